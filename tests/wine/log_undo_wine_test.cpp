// What the Log/Undo page relies on under Wine: a file replaced whole, the
// shell's "open" verb on a registry script reaching the registry editor, and
// the real list view showing the page's own selection after every refill.
#include <gtest/gtest.h>

#include "wine/wine_env.h"
#include <tlhelp32.h>

#include <stdexcept>

#include "core/scan_host.h"
#include "dialogs/message_dialogs.h"
#include "engine/text.h"
#include "tools/log_undo_view.h"
#include "ui/report_list.h"

namespace qrv::wine {
namespace {

TEST(LogUndoWineTest, MoveReplacesTheTargetWhole) {
  Win32Platform p;
  const std::string folder = TestFolders(p).LogFolder + "\\Save";
  ForceDirectories(p, folder);
  const std::string target = folder + "\\saved.log", temporary = target + ".~tmp";
  ASSERT_TRUE(p.WriteFile(target, "old"));
  ASSERT_TRUE(p.WriteFile(temporary, "new contents"));
  ASSERT_TRUE(p.MoveFileExReplaceExisting(temporary, target));
  std::string bytes;
  ASSERT_TRUE(p.ReadFile(target, bytes));
  EXPECT_EQ(bytes, "new contents");
  EXPECT_FALSE(FileExists(p, temporary));
  EXPECT_FALSE(p.MoveFileExReplaceExisting(folder + "\\missing", target));
  ASSERT_TRUE(p.ReadFile(target, bytes));
  EXPECT_EQ(bytes, "new contents");
  p.DeleteFile(target);
}

// The image name of a running process, or empty.
std::string ProcessImage(DWORD id) {
  std::string name;
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return name;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
    if (entry.th32ProcessID == id) name = win32::Narrow(entry.szExeFile);
  ::CloseHandle(snapshot);
  return name;
}

// Starts the program for the file (verb "open") and gives the started process's image name.
bool OpenAndName(const std::wstring& file, const std::wstring& parameters, std::string& image) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info) || info.hProcess == nullptr) return false;
  image = UpperCaseText(ProcessImage(::GetProcessId(info.hProcess)));
  // The editor asks before it imports; nothing is written while it waits.
  ::TerminateProcess(info.hProcess, 0);
  ::WaitForSingleObject(info.hProcess, 10000);
  ::CloseHandle(info.hProcess);
  return true;
}

// Undo opens the file; where the shell has no association for registry
// scripts (a fresh Wine prefix), it opens the registry editor with the file.
TEST(LogUndoWineTest, OpeningAnUndoFileStartsTheRegistryEditorsImport) {
  Win32Platform p;
  const std::string file = TestFolders(p).UndoFolder + "\\Undo open.reg";
  ASSERT_TRUE(p.WriteFile(file, "\xFF\xFE" + Utf16LeBytes("Windows Registry Editor Version 5.00\r\n\r\n"
                                                           "[HKEY_CURRENT_USER\\Software\\QuorvaneWineTest\\Open]\r\n"
                                                           "\"v\"=\"1\"\r\n")));
  std::string image;
  if (!OpenAndName(win32::Wide(file), L"", image)) {
    ASSERT_TRUE(OpenAndName(win32::Wide(p.GetWindowsDirectory() + "\\regedit.exe"), win32::Wide("\"" + file + "\""),
                            image));
  }
  // (Without a screen the editor may have ended already and is no longer listed.)
  if (!image.empty()) {
    EXPECT_NE(image.find("REGEDIT"), std::string::npos) << image;
  }
  p.DeleteFile(file);
  DeleteTree(HKEY_CURRENT_USER, L"Software\\QuorvaneWineTest\\Open");
}

// The main window as the Log/Undo page sees it, without the rest of the
// program: messages are recorded, dialogs closed as by Escape.
class PageHost : public MainWindow, public ModalRunner, public TextMeasure {
 public:
  explicit PageHost(AppState& app) : app_(app), dialogs_(app.language, app.platform, *this) {}
  AppState& App() override { return app_; }
  Dialogs& Messages() override { return dialogs_; }
  TextMeasure& Measure() override { return *this; }
  ScanHost& Scans() override { return scans_; }
  void SetHelpMode(HelpMode) override {}
  void Tab1Click() override {}
  void TabClick(int) override {}
  Page& PageOf(PageId) override { throw std::logic_error("the Log/Undo page asks for no other page"); }
  void BringToFront(PageId) override {}
  ModalRunner& Runner() override { return *this; }
  std::string ChooseFileToOpen(const std::string&) override { return {}; }
  void RunModal(SkinnedDialog& dialog) override {
    dialog.Show();
    if (auto* info = dynamic_cast<TForm3a*>(&dialog)) messages.push_back(info->Message.text);
    if (!dialog.Closed()) dialog.KeyDown(Key::Escape);
  }
  int Width(const std::string& text, const Font&) override { return static_cast<int>(text.size()) * 6; }

  std::vector<std::string> messages;

 private:
  AppState& app_;
  QuietScanHost scans_;
  Dialogs dialogs_;
};

// The window that holds the list view hands its notifications to the view,
// as the main window does.
ui::ReportListView* g_listView = nullptr;

LRESULT CALLBACK ListHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY && g_listView != nullptr &&
      reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == g_listView->Handle()) {
    g_listView->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

TEST(LogUndoWineTest, TheListShowsThePagesSelectionAfterEveryRefillAndReportsTheUsers) {
  Win32Platform p;
  AppState app{p};
  app.folders = TestFolders(p);
  app.folders.LogFolder = app.folders.ProgramFolder + "\\ListLog";
  app.folders.UndoFolder = app.folders.ProgramFolder + "\\ListUndo";
  ForceDirectories(p, app.folders.LogFolder);
  ForceDirectories(p, app.folders.UndoFolder);
  const std::vector<std::string> undoNames{"Undo 1.reg", "Undo 2.reg", "Undo 3.reg"};
  for (const std::string& name : undoNames) ASSERT_TRUE(p.WriteFile(app.folders.UndoFolder + "\\" + name, name));
  for (const char* name : {"Log 1.log", "Log 2.log"}) ASSERT_TRUE(p.WriteFile(app.folders.LogFolder + "\\" + name, name));

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ListHostProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QuorvaneListHost";
  ::RegisterClassW(&windowClass);
  const HWND parent = ::CreateWindowExW(0, L"QuorvaneListHost", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                                        nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);

  PageHost host(app);
  LogUndoView page(host);
  page.Enter();
  {
    ui::ReportListView view(parent, page.FileList);
    g_listView = &view;
    const auto shown = [&] { return static_cast<int>(ListView_GetNextItem(view.Handle(), -1, LVNI_SELECTED)); };
    const auto viewer = [&](const std::string& name) { return page.Viewer.lines == std::vector<std::string>{name}; };
    view.Sync();
    EXPECT_EQ(ListView_GetItemCount(view.Handle()), 2);
    EXPECT_EQ(page.FileList.selected, 0);
    EXPECT_EQ(shown(), 0);

    // Every refill (a mode chosen, the same again) keeps the row the page selected, shown.
    for (const char* refill : {"undo mode", "log mode and back"}) {
      if (std::string(refill) != "undo mode") {
        page.Panel6Check1Click();
        view.Sync();
      }
      page.Panel6Check2Click();
      view.Sync();
      EXPECT_EQ(ListView_GetItemCount(view.Handle()), 3) << refill;
      EXPECT_EQ(page.FileList.selected, 0) << refill << ": the page's selection stays";
      EXPECT_EQ(shown(), 0) << refill << ": and the list shows it";
      EXPECT_TRUE(viewer("Undo 1.reg")) << refill;

      // The user picks the third row: the page follows and shows it.
      ListView_SetItemState(view.Handle(), 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      EXPECT_EQ(page.FileList.selected, 2) << refill;
      EXPECT_TRUE(viewer("Undo 3.reg")) << refill;
      view.Sync();
      EXPECT_EQ(shown(), 2) << refill;
    }
    // A tick in the list is the page's tick.
    ListView_SetCheckState(view.Handle(), 1, TRUE);
    EXPECT_TRUE(page.FileList.rows.at(1).checked);
    EXPECT_FALSE(page.FileList.rows.at(0).checked);

    // The user's click leaves no row selected: the page has none either, and Undo says so.
    ListView_SetItemState(view.Handle(), -1, 0, LVIS_SELECTED);
    EXPECT_EQ(shown(), -1);
    EXPECT_EQ(page.FileList.selected, -1);
    page.Panel6utton2Click();
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back(), "You must select an undo file!");
    g_listView = nullptr;
  }
  ::DestroyWindow(parent);
  for (const std::string& name : undoNames) p.DeleteFile(app.folders.UndoFolder + "\\" + name);
  for (const char* name : {"Log 1.log", "Log 2.log"}) p.DeleteFile(app.folders.LogFolder + "\\" + name);
}

}  // namespace
}  // namespace qrv::wine
