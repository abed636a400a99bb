#pragma once
// The Log/Undo page of the fifth tab: the log and undo folders, the three
// modes, the check list of files and the viewer; Select all / Deselect all,
// Delete, Save as (log mode) and Undo (undo mode). In the third mode,
// "Removed files", the list holds the removals whose files are kept for
// recovery and the viewer the original paths of the selected one; the first
// button empties the recovery folders for good, the second puts the files of
// the ticked removals back, and two links change the number of days they are
// kept. The About page hosts it.
#include <string>
#include <vector>

#include "core/page.h"
#include "engine/recovery.h"

namespace qrv {

class LogUndoView {
 public:
  explicit LogUndoView(MainWindow& window);

  // The tab's entry: the leftover fix script file goes, the folder fields are
  // filled and log mode is chosen.
  void Enter();
  void SetVisible(bool visible);

  enum class Mode { Log, Undo, Removed };
  void Panel6Check1Click() { SelectMode(Mode::Log); }
  void Panel6Check2Click() { SelectMode(Mode::Undo); }
  void Panel6Check3Click() { SelectMode(Mode::Removed); }
  void Panel6FileListClick();                      // the selection moved: show it
  void Panel6Label3Click();                        // Select all
  void Panel6Label4Click();                        // Deselect all
  void Panel6Button1Click();                       // Delete
  void Panel6utton2Click();                        // Save as / Undo / Restore
  void OpenFolder(bool undoFolder);
  // The ignore list, in a dialog that takes entries off it.
  void IgnoredLabelClick();
  void ChangeDaysKept(int step);                   // Removed files: the days' links

  bool InUndoMode() const { return mode_ == Mode::Undo; }
  Mode CurrentMode() const { return mode_; }
  const std::string& Folder() const;
  // The names listed, in list order.
  std::vector<std::string> Names() const;

  void AddContents(Scene& scene);

  Label LogFolderLabel;
  Label UndoFolderLabel;
  Panel LogFolderFrame;
  Panel UndoFolderFrame;
  Label LogFolderField;
  Label UndoFolderField;
  ImageButton LogFolderButton;
  ImageButton UndoFolderButton;
  TickBox LogMode;   // Panel6Check1
  TickBox UndoMode;  // Panel6Check2
  TickBox RemovedMode;  // Panel6Check3
  Label DaysLabel;      // Removed files: the days kept
  Label DaysDown;
  Label DaysUp;
  ReportList FileList;
  TextBox Viewer;
  Label SelectAllLabel;    // Panel6Label3
  Label DeselectAllLabel;  // Panel6Label4
  Label IgnoredLabel;
  ImageButton DeleteButton;  // Panel6Button1
  ImageButton SecondButton;  // Panel6Button2: Save as or Undo
  ButtonGroup Buttons;

 private:
  void SelectMode(Mode mode);
  void List();
  void ListRemoved();
  void ShowDays();
  void RestoreTicked();
  void EmptyKept();
  void ShowSelected();
  void SaveAs();
  void Undo();

  MainWindow& window_;
  Mode mode_ = Mode::Log;
  std::vector<Removal> removals_;  // Removed files: the list's rows
};

// The text of a log or undo file as the viewer shows it: a UTF-16 or UTF-8
// byte-order mark is recognised, other bytes are ANSI text.
std::vector<std::string> ViewerLines(Platform& platform, const std::string& bytes);

// Writes the bytes under a temporary name beside the target and puts them in
// its place only when all of them are on the disk; the target is untouched
// otherwise. True when the file was saved.
bool SaveWhole(Platform& platform, const std::string& target, const std::string& bytes);

}  // namespace qrv
