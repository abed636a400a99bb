// Shows one message dialog with sample content, for screenshots of dialogs
// that the main window only opens in the middle of a task.
//   ui_gallery.exe confirmation|details|reboot|information|about <language 1-5>
#include <string>

#include "core/language.h"
#include "dialogs/message_dialogs.h"
#include "engine/win32/win32_platform.h"
#include "ui/dialog_view.h"
#include "ui/images.h"
#include "ui/win.h"

#include "engine/win32/win32_names.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string which = argv[1];
  const unsigned language = argc > 2 ? static_cast<unsigned>(std::stoul(argv[2])) : 1;
  qrv::Win32Platform platform;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  qrv::ui::GdiplusSession gdiplus;
  std::string folder = platform.GetModuleFileName();
  folder = folder.substr(0, folder.rfind('\\'));
  qrv::LanguageTable table;
  table.Open(platform, folder + "\\" + qrv::LanguageFileName(language),
             [&](const std::string& s) { return platform.FromAnsi(s); });
  qrv::ui::DialogRunner runner;
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
  } else if (which == "reboot") {
    qrv::TForm3c form(table, platform);
    runner.RunModal(form);
  } else if (which == "about") {
    dialogs.About();
  } else {
    return 2;
  }
  return 0;
}
