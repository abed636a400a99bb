#pragma once
// "Manage start up" (TForm1d) and "Add to startup list" (TForm3d): the
// list of the programs started at logon with Add, Remove, Ask and Close.
#include <functional>
#include <string>
#include <vector>

#include "core/scan_host.h"
#include "core/startup.h"
#include "dialogs/message_dialogs.h"
#include "dialogs/skinned_dialog.h"
#include "tools/startup_manager.h"

namespace qrv {

// The system's file-open dialog with a filter ("Programs|*.exe|All files|*.*"):
// the chosen file's full path, or empty when the user cancels.
using ChooseFile = std::function<std::string(const std::string& filter)>;

inline constexpr const char* kProgramFilter = "Programs|*.exe|All files|*.*";

class TForm3d : public SkinnedDialog {
 public:
  TForm3d(AppState& app, Dialogs& messages, ChooseFile choose);
  void BrowseClick();
  void Button1Click();  // Apply
  void Button2Click() { Close(); }
  bool ForAllUsersSelected() const { return ForAllUsers.checked; }

  Label ProgramLabel;
  Panel PathFrame;
  Label Path;  // read-only: filled only by the browse button
  Picture Browse;
  TickBox OnlyForMe;
  TickBox ForAllUsers;
  ImageButton Button1;
  ImageButton Button2;

 protected:
  void AddContents(Scene& scene) override;

 private:
  void Select(bool allUsers);
  AppState& app_;
  Dialogs& messages_;
  ChooseFile choose_;
};

class TForm1d : public SkinnedDialog {
 public:
  TForm1d(AppState& app, Dialogs& messages, ModalRunner& runner, ScanHost& host, ChooseFile choose);
  void Show() override;  // ShowForm: the buttons back to normal and the list filled
  void Button1Click();   // Add
  void Button2Click();   // Remove
  void Button3Click();   // Ask
  void Button4Click() { Close(); }

  // The rows and, parallel to them, each row's source code.
  const std::vector<StartupEntry>& Entries() const { return entries_; }
  const std::vector<int>& Codes() const { return codes_; }
  // The path of the last removal's undo file.
  const std::string& LastUndoFile() const { return lastUndo_; }

  Label Hint;
  ReportList List;
  ImageButton Button1;
  ImageButton Button2;
  ImageButton Button3;
  ImageButton Button4;
  Picture CloseGlyph;

 protected:
  void AddContents(Scene& scene) override;

 private:
  void FillList();
  const StartupEntry* Selected() const;
  AppState& app_;
  Dialogs& messages_;
  ModalRunner& runner_;
  ScanHost& host_;
  ChooseFile choose_;
  std::vector<StartupEntry> entries_;
  std::vector<int> codes_;
  std::string lastUndo_;
};

}  // namespace qrv
