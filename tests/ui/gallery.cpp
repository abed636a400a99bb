// Shows one message dialog with sample content, for screenshots of dialogs
// that the main window only opens in the middle of a task.
// "widgets" shows the list view and the animation that the scan pages use.
// "startup", "addstartup" and "schedule" show the startup manager, its Add
// dialog and the schedule dialog over the prefix's real registry.
// "optimize-system", "-internet", "-security" show the Optimize Windows dialog on that page.
//   ui_gallery.exe confirmation|details|details-ignore|ignored|reboot|information|about|widgets|startup|addstartup|schedule|optimize-... <language 1-5>
#include <string>
#include <vector>

#include "core/scan_host.h"
#include "core/startup.h"
#include "tools/schedule_dialog.h"
#include "tools/startup_dialogs.h"
#include "ui/choice_controls.h"

#include "core/language.h"
#include "dialogs/message_dialogs.h"
#include "engine/win32/win32_platform.h"
#include "tools/tweak_view.h"
#include "ui/dialog_view.h"
#include "ui/images.h"
#include "ui/win.h"


namespace {

class WidgetsDemo : public qrv::SkinnedDialog {
 public:
  WidgetsDemo(const qrv::LanguageTable& language, const std::string& folder)
      : SkinnedDialog("WidgetsDemo", 730, 470, 40, 690) {
    Title.text = language.Text(qrv::TextId::ActionsAction7);
    Title.r.top = 6;
    List.r = {26, 80, 680, 250};
    List.columns = {{language.Text(qrv::TextId::Action7Date), 120},
                    {language.Text(qrv::TextId::Action7Size), 80},
                    {language.Text(qrv::TextId::Action7FileName), 180},
                    {language.Text(qrv::TextId::Action7Path), 280}};
    List.rows = {{true, {"2026-11-30", "12 KB", "setup.log", "C:\\windows\\temp"}, "C:\\windows\\notepad.exe"},
                 {true, {"2026-12-01", "3 KB", "report.bak", "C:\\users\\Public"}, ""},
                 {false, {"2026-12-02", "1 KB", "~draft.tmp", "C:\\users\\Public\\Documents"}, ""}};
    Progress.r = {215, 350, 300, 16};
    Progress.file = folder + "\\ProgressBar.gif";
    MakeButton(CloseButton, "CloseButton", 300, 406, language.Text(qrv::TextId::ButtonsClose), [this] { Close(); });
  }
  qrv::ReportList List;
  qrv::Animation Progress;
  qrv::ImageButton CloseButton;

 protected:
  void AddContents(qrv::Scene& scene) override {
    scene.push_back(&List);
    scene.push_back(&Progress);
    qrv::AddButton(scene, CloseButton);
  }
};

// The Optimize Windows dialog opened on one of its pages.
class OptimizeDemo : public qrv::TForm1c {
 public:
  OptimizeDemo(qrv::AppState& app, qrv::Dialogs& dialogs, qrv::TweakPage page) : TForm1c(app, dialogs), page_(page) {}
  void Show() override {
    TForm1c::Show();
    View.SelectPage(page_);
  }

 private:
  qrv::TweakPage page_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string which = argv[1];
  const unsigned language = argc > 2 ? static_cast<unsigned>(std::stoul(argv[2])) : 1;
  qrv::Win32Platform platform;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_DATE_CLASSES};
  InitCommonControlsEx(&controls);
  qrv::ui::GdiplusSession gdiplus;
  std::string folder = platform.GetModuleFileName();
  folder = folder.substr(0, folder.rfind('\\'));
  qrv::LanguageTable table;
  table.Open(platform, folder + "\\" + qrv::LanguageFileName(language),
             [&](const std::string& s) { return platform.FromAnsi(s); });
  qrv::ui::DialogRunner runner;
  runner.SetLanguage(&table);
  qrv::Dialogs dialogs(table, platform, runner);
  if (which == "confirmation") {
    dialogs.Confirm(table.Text(qrv::TextId::MessagesStop));
  } else if (which == "information") {
    dialogs.Information(table.Text(qrv::TextId::Action2AllFixed));
  } else if (which == "details") {
    dialogs.Details(table.Text(qrv::TextId::DetailsRegistryErrors),
                    {"File not found: C:\\PROGRAM FILES\\OLDAPP\\OLDAPP.EXE",
                     "File not found: C:\\PROGRAM FILES\\GONE\\TOOL.EXE",
                     "Relation not found: HKEY_CLASSES_ROOT\\.xyz"});
  } else if (which == "details-ignore" || which == "ignored") {
    // The list with its action, a line selected so that the action shows.
    const bool ignored = which == "ignored";
    qrv::TForm1b form(table);
    if (ignored) form.Title.text = table.Text(qrv::TextId::Action6Ignored);
    form.Explanation.text = table.Text(ignored ? qrv::TextId::Action6IgnoredExplanation
                                               : qrv::TextId::DetailsRegistryErrors);
    form.Lines.lines = ignored ? std::vector<std::string>{
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\oldapp.exe",
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run -> Backup Agent",
        "D:\\Archive\\thesis.bak",
        "Archive\\notes.old  " + table.Text(qrv::TextId::Action6IgnoredUnreadable)}
                               : std::vector<std::string>{"File not found: C:\\PROGRAM FILES\\OLDAPP\\OLDAPP.EXE",
                                                          "File not found: C:\\PROGRAM FILES\\GONE\\TOOL.EXE"};
    form.OfferAction(table.Text(ignored ? qrv::TextId::Action6IgnoredRemove : qrv::TextId::ButtonsIgnore),
                     [](std::size_t) { return false; });
    form.Entries.selected = 0;
    form.ActionButton.SetVisible(true);
    runner.RunModal(form);
  } else if (which == "reboot") {
    qrv::TForm3c form(table, platform);
    runner.RunModal(form);
  } else if (which == "widgets") {
    WidgetsDemo demo(table, folder);
    runner.RunModal(demo);
  } else if (which == "startup" || which == "addstartup" || which == "schedule") {
    qrv::AppState app(platform);
    qrv::LoadSettings(app);
    app.LanguageNumber = language;
    app.language.Open(platform, folder + "\\" + qrv::LanguageFileName(language),
                      [&](const std::string& s) { return platform.FromAnsi(s); });
    qrv::Dialogs messages(app.language, platform, runner);
    qrv::QuietScanHost host;
    const qrv::ChooseFile choose = [](const std::string& filter) { return qrv::ui::ChooseFileToOpen(nullptr, filter); };
    if (which == "startup") {
      qrv::TForm1d form(app, messages, runner, host, choose);
      runner.RunModal(form);
    } else if (which == "addstartup") {
      qrv::TForm3d form(app, messages, choose);
      form.Path.text = app.folders.WindowsFolder + "notepad.exe";
      runner.RunModal(form);
    } else {
      qrv::TForm4 form(app);
      runner.RunModal(form);
    }
  } else if (which.rfind("optimize-", 0) == 0) {
    qrv::AppState app(platform);
    app.language = table;
    app.LanguageNumber = language;
    const std::string page = which.substr(9);
    OptimizeDemo form(app, dialogs,
                      page == "internet"   ? qrv::TweakPage::Internet
                      : page == "security" ? qrv::TweakPage::Security
                                           : qrv::TweakPage::System);
    runner.RunModal(form);
  } else if (which == "about") {
    dialogs.About();
  } else {
    return 2;
  }
  return 0;
}
