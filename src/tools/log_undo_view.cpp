#include "tools/log_undo_view.h"

#include <initializer_list>

#include "core/ignore_list.h"
#include "core/language_styles.h"
#include "core/scan_host.h"
#include "dialogs/message_dialogs.h"
#include "core/settings.h"
#include "engine/file_ops.h"
#include "engine/fix_script.h"
#include "engine/reg_script_reader.h"
#include "engine/text.h"
#include "tools/log_files.h"

namespace qrv {

namespace {

// The Log/Undo page lies in the tab's page control, under its page tabs.
Bounds SheetBounds(int left, int top, int width, int height) { return PageBounds(left, top + 34, width, height); }

constexpr const char* kSaveFilter = "Log files|*.log|All files|*.*";

void MakeTick(TickBox& tick, const std::string& name, const std::string& caption, std::function<void()> click) {
  tick.box.name = name;
  tick.box.hand = tick.caption.hand = true;
  tick.caption.name = name + "Label";
  tick.caption.text = caption;
  tick.box.onClick = tick.caption.onClick = std::move(click);
}

}  // namespace

std::vector<std::string> ViewerLines(Platform& platform, const std::string& bytes) {
  return SplitLines(DecodeTextFile(bytes, [&](const std::string& b) { return platform.FromAnsi(b); }));
}

bool SaveWhole(Platform& platform, const std::string& target, const std::string& bytes) {
  std::string temporary = target + ".~tmp";
  for (int n = 1; platform.GetFileAttributes(temporary) != kInvalidFileAttributes; ++n)
    temporary = target + ".~tmp" + std::to_string(n);
  if (platform.WriteFile(temporary, bytes) && platform.MoveFileExReplaceExisting(temporary, target)) return true;
  platform.DeleteFile(temporary);
  return false;
}

LogUndoView::LogUndoView(MainWindow& window) : window_(window) {
  const AppState& app = window.App();
  const LanguageTable& language = app.language;
  TextMeasure& measure = window.Measure();

  const auto folderRow = [&](Label& label, Panel& frame, Label& field, ImageButton& button, const char* name,
                             TextId caption, int top, bool undo) {
    label.name = std::string(name) + "Label";
    label.text = language.Text(caption);
    label.align = Align::Right;
    label.r = SheetBounds(8, top + 2, 215, 18);
    frame.name = std::string(name) + "Frame";
    frame.r = SheetBounds(231, top, 370, 20);
    frame.framed = true;
    frame.frame = 0xC8C0B8;
    field.name = std::string(name) + "Edit";
    field.r = SheetBounds(235, top + 2, 362, 16);
    ButtonGroup::Make(button, Buttons, std::string(name) + "Button", SheetBounds(607, top + 1, 18, 18), "folder",
                      [this, undo] { OpenFolder(undo); });
    button.caption.visible = false;
    button.a.tooltip = button.b.tooltip = language.Text(TextId::Action6OpenFolder);
  };
  folderRow(LogFolderLabel, LogFolderFrame, LogFolderField, LogFolderButton, "Panel6LogFolder",
            TextId::Action6LogFolder, 22, false);
  folderRow(UndoFolderLabel, UndoFolderFrame, UndoFolderField, UndoFolderButton, "Panel6UndoFolder",
            TextId::Action6UndoFolder, 52, true);

  MakeTick(LogMode, "Panel6Check1", language.Text(TextId::Action6LogFiles), [this] { Panel6Check1Click(); });
  MakeTick(UndoMode, "Panel6Check2", language.Text(TextId::Action6UndoFiles), [this] { Panel6Check2Click(); });
  LogMode.box.r = SheetBounds(204, 84, 16, 16);
  const int firstWidth = measure.Width(LogMode.caption.text, LogMode.caption.font);
  LogMode.caption.r = SheetBounds(224, 84, firstWidth + 4, 16);
  UndoMode.box.r = SheetBounds(224 + firstWidth + 24, 84, 16, 16);
  const int secondWidth = measure.Width(UndoMode.caption.text, UndoMode.caption.font);
  UndoMode.caption.r = SheetBounds(224 + firstWidth + 44, 84, secondWidth + 4, 16);
  MakeTick(RemovedMode, "Panel6Check3", language.Text(TextId::RecoveryRemovedFiles), [this] { Panel6Check3Click(); });
  const int thirdLeft = 224 + firstWidth + 44 + secondWidth + 24;
  RemovedMode.box.r = SheetBounds(thirdLeft, 84, 16, 16);
  RemovedMode.caption.r =
      SheetBounds(thirdLeft + 20, 84, measure.Width(RemovedMode.caption.text, RemovedMode.caption.font) + 4, 16);

  FileList.name = "Panel6FileList";
  FileList.r = SheetBounds(44, 118, 160, 180);
  FileList.columns = {{"", 136}};
  FileList.onSelect = [this] { Panel6FileListClick(); };
  Viewer.name = "Panel6Memo";
  Viewer.r = SheetBounds(215, 118, 450, 180);

  const auto link = [&](Label& l, const char* name, TextId caption, int left, std::function<void()> click) {
    l.name = name;
    l.text = language.Text(caption);
    l.font = {8, false, true};
    l.hand = true;
    l.r = SheetBounds(left, 302, measure.Width(l.text, l.font) + 4, 16);
    l.onClick = std::move(click);
  };
  link(SelectAllLabel, "Panel6Label3", TextId::ButtonsSelectAll, 48, [this] { Panel6Label3Click(); });
  link(DeselectAllLabel, "Panel6Label4", TextId::ButtonsDeselectAll, 48 + SelectAllLabel.r.width + 12,
       [this] { Panel6Label4Click(); });
  DaysLabel.name = "Panel6DaysLabel";
  DaysLabel.align = Align::Right;
  DaysLabel.font = {8, false, false};
  DaysLabel.r = SheetBounds(395, 302, 236, 16);
  const auto dayLink = [&](Label& l, const char* name, const char* text, int left, int step) {
    l.name = name;
    l.text = text;
    l.font = {9, true, true};
    l.hand = true;
    l.align = Align::Centre;
    l.r = SheetBounds(left, 301, 14, 16);
    l.onClick = [this, step] { ChangeDaysKept(step); };
  };
  dayLink(DaysDown, "Panel6DaysDown", "-", 635, -1);
  dayLink(DaysUp, "Panel6DaysUp", "+", 651, 1);
  // At the right end of the buttons' row.
  link(IgnoredLabel, "Panel6IgnoredLabel", TextId::Action6Ignored, 0, [this] { IgnoredLabelClick(); });
  IgnoredLabel.r.left = Viewer.r.Right() - IgnoredLabel.r.width;
  IgnoredLabel.r.top += 34;

  const int size = StyleOf(app.LanguageNumber).logUndoButton;
  const auto button = [&](ImageButton& b, const char* name, int left, const std::string& caption,
                          std::function<void()> action) {
    ButtonGroup::Make(b, Buttons, name, SheetBounds(left, 328, 123, 32), "button", std::move(action));
    b.caption.text = caption;
    b.caption.font = {size, true, false};
    b.caption.colour = kWhite;
  };
  button(DeleteButton, "Panel6Button1", 228, language.Text(TextId::ButtonsDelete), [this] { Panel6Button1Click(); });
  button(SecondButton, "Panel6Button2", 360, language.Text(TextId::Action6SaveAs), [this] { Panel6utton2Click(); });
  LogMode.SetRadio(true);
  UndoMode.SetRadio(false);
  RemovedMode.SetRadio(false);
  for (Label* l : {&DaysLabel, &DaysDown, &DaysUp}) l->visible = false;
}

const std::string& LogUndoView::Folder() const {
  const FolderSet& f = window_.App().folders;
  return mode_ == Mode::Undo ? f.UndoFolder : f.LogFolder;
}

std::vector<std::string> LogUndoView::Names() const {
  std::vector<std::string> names;
  for (const ReportList::Row& row : FileList.rows) names.push_back(row.cells.at(0));
  return names;
}

void LogUndoView::Enter() {
  AppState& app = window_.App();
  const std::string fixFile = FixScriptFile(app.folders);
  if (FileExists(app.platform, fixFile)) app.platform.DeleteFile(fixFile);
  LogFolderField.text = app.folders.LogFolder;
  UndoFolderField.text = app.folders.UndoFolder;
  SelectMode(Mode::Log);
}

void LogUndoView::SetVisible(bool visible) {
  for (Node* n : std::initializer_list<Node*>{&LogFolderLabel, &UndoFolderLabel, &LogFolderFrame, &UndoFolderFrame,
                                              &LogFolderField, &UndoFolderField, &LogMode.box, &LogMode.caption,
                                              &UndoMode.box, &UndoMode.caption, &RemovedMode.box,
                                              &RemovedMode.caption, &FileList, &Viewer, &SelectAllLabel,
                                              &DeselectAllLabel, &IgnoredLabel})
    n->visible = visible;
  for (Label* l : {&DaysLabel, &DaysDown, &DaysUp}) l->visible = visible && mode_ == Mode::Removed;
  for (ImageButton* b : {&LogFolderButton, &UndoFolderButton, &DeleteButton, &SecondButton}) {
    b->SetVisible(visible);
    if (b == &LogFolderButton || b == &UndoFolderButton) b->caption.visible = false;
  }
}

void LogUndoView::SelectMode(Mode mode) {
  LogMode.SetRadio(mode == Mode::Log);
  UndoMode.SetRadio(mode == Mode::Undo);
  RemovedMode.SetRadio(mode == Mode::Removed);
  mode_ = mode;
  const LanguageTable& language = window_.App().language;
  const bool removed = mode == Mode::Removed;
  DeleteButton.caption.text = language.Text(removed ? TextId::RecoveryEmpty : TextId::ButtonsDelete);
  SecondButton.caption.text = language.Text(removed          ? TextId::RecoveryRestore
                                            : mode == Mode::Undo ? TextId::Action6Undo
                                                                 : TextId::Action6SaveAs);
  for (Label* l : {&DaysLabel, &DaysDown, &DaysUp}) l->visible = removed && FileList.visible;
  ShowDays();
  List();
}

void LogUndoView::ShowDays() {
  AppState& app = window_.App();
  DaysLabel.text = app.language.Text(TextId::RecoveryDaysKept) + " " +
                   std::to_string(settings::Read(app.platform, settings::kKeepRemovedDays));
}

void LogUndoView::ChangeDaysKept(int step) {
  AppState& app = window_.App();
  const long days = static_cast<long>(settings::Read(app.platform, settings::kKeepRemovedDays)) + step;
  if (days < 1 || days > static_cast<long>(settings::kKeepRemovedDays.limit)) return;
  settings::Write(app.platform, settings::kKeepRemovedDays, static_cast<std::uint32_t>(days));
  ShowDays();
}

void LogUndoView::ListRemoved() {
  AppState& app = window_.App();
  removals_ = ListRemovals(app.platform, app.folders);
  for (const Removal& r : removals_) FileList.rows.push_back({false, {r.id}, {}});
}

void LogUndoView::List() {
  AppState& app = window_.App();
  FileList.rows.clear();
  FileList.selected = -1;
  Viewer.lines.clear();
  ++Viewer.version;
  const std::string& folder = Folder();
  removals_.clear();
  if (mode_ == Mode::Removed) {
    ListRemoved();
  } else if (FolderExists(app.platform, folder)) {
    for (const std::string& name : ListFilesWithExtension(app.platform, folder, InUndoMode() ? ".reg" : ".log")) {
      window_.Scans().ProcessMessages();
      FileList.rows.push_back({false, {name}, {}});
    }
  }
  ++FileList.version;
  if (!FileList.rows.empty()) {
    FileList.selected = 0;
    ShowSelected();
  }
}

void LogUndoView::ShowSelected() {
  if (FileList.rows.empty() || FileList.selected < 0) return;
  if (mode_ == Mode::Removed) {
    if (static_cast<std::size_t>(FileList.selected) >= removals_.size()) return;
    Viewer.lines.clear();
    for (const RemovedFile& f : removals_[static_cast<std::size_t>(FileList.selected)].files)
      Viewer.lines.push_back(f.original);
    ++Viewer.version;
    return;
  }
  AppState& app = window_.App();
  const std::string path = Folder() + "\\" + FileList.rows.at(static_cast<std::size_t>(FileList.selected)).cells[0];
  std::string bytes;
  if (!FileExists(app.platform, path) || !app.platform.ReadFile(path, bytes)) return;
  Viewer.lines = ViewerLines(app.platform, bytes);
  ++Viewer.version;
}

void LogUndoView::Panel6FileListClick() { ShowSelected(); }

void LogUndoView::Panel6Label3Click() {
  for (ReportList::Row& row : FileList.rows) row.checked = true;
}

void LogUndoView::Panel6Label4Click() {
  for (ReportList::Row& row : FileList.rows) row.checked = false;
}

void LogUndoView::OpenFolder(bool undoFolder) {
  const FolderSet& f = window_.App().folders;
  window_.App().platform.ShellExecute("open", undoFolder ? f.UndoFolder : f.LogFolder, "", kSwShowNormal);
}

void LogUndoView::Panel6Button1Click() {
  AppState& app = window_.App();
  const LanguageTable& language = app.language;
  Dialogs& dialogs = window_.Messages();
  if (mode_ == Mode::Removed) {
    EmptyKept();
    return;
  }
  if (FileList.rows.empty()) return;
  std::vector<std::string> ticked;
  for (const ReportList::Row& row : FileList.rows)
    if (row.checked) ticked.push_back(row.cells[0]);
  if (ticked.empty()) {
    dialogs.Information(language.Text(TextId::Action6Message1));
    return;
  }
  const std::string folder = Folder();
  if (!FolderExists(app.platform, folder)) {
    dialogs.Information(language.Text(InUndoMode() ? TextId::Action6Message6 : TextId::Action6Message2));
    return;
  }
  if (!dialogs.Confirm(language.Text(InUndoMode() ? TextId::Action6Message8 : TextId::Action6Message4))) return;
  int deleted = 0;
  for (const std::string& name : ticked) {
    const std::string path = folder + "\\" + name;
    if (app.platform.DeleteFileItself(path, false) == FileSystem::Deletion::Deleted) ++deleted;
  }
  List();
  if (!FileList.rows.empty()) {
    FileList.selected = static_cast<int>(FileList.rows.size()) - 1;
    ShowSelected();
  }
  dialogs.Information(std::to_string(deleted) + " " +
                      language.Text(InUndoMode() ? TextId::Action6Message9 : TextId::Action6Message5));
}

void LogUndoView::Panel6utton2Click() {
  if (mode_ == Mode::Removed)
    RestoreTicked();
  else if (mode_ == Mode::Undo)
    Undo();
  else
    SaveAs();
}

void LogUndoView::RestoreTicked() {
  AppState& app = window_.App();
  const LanguageTable& language = app.language;
  if (FileList.rows.empty()) return;
  std::vector<RemovedFile> files;
  for (std::size_t i = 0; i < FileList.rows.size() && i < removals_.size(); ++i)
    if (FileList.rows[i].checked) files.insert(files.end(), removals_[i].files.begin(), removals_[i].files.end());
  if (files.empty()) {
    window_.Messages().Information(language.Text(TextId::Action6Message1));
    return;
  }
  std::size_t restored = 0;
  std::string occupied, missing;
  for (const RestoreResult& r : RestoreFiles(app.platform, app.folders, files)) {
    if (r.outcome == RestoreOutcome::Restored) ++restored;
    if (r.outcome == RestoreOutcome::Occupied || r.outcome == RestoreOutcome::Failed) occupied += "\n" + r.original;
    if (r.outcome == RestoreOutcome::Missing) missing += "\n" + r.original;
  }
  List();
  std::string text = std::to_string(restored) + " " + language.Text(TextId::RecoveryMessage1);
  if (!occupied.empty()) text += "\n" + language.Text(TextId::RecoveryMessage2) + occupied;
  if (!missing.empty()) text += "\n" + language.Text(TextId::RecoveryMessage6) + missing;
  window_.Messages().Information(text);
}

void LogUndoView::EmptyKept() {
  AppState& app = window_.App();
  const LanguageTable& language = app.language;
  if (removals_.empty()) {
    window_.Messages().Information(language.Text(TextId::RecoveryMessage5));
    return;
  }
  if (!window_.Messages().Confirm(language.Text(TextId::RecoveryMessage3))) return;
  const std::size_t deleted = EmptyRecovery(app.platform, app.folders);
  List();
  window_.Messages().Information(std::to_string(deleted) + " " + language.Text(TextId::RecoveryMessage4));
}

void LogUndoView::SaveAs() {
  AppState& app = window_.App();
  if (Viewer.lines.empty()) return;
  const std::string start = FolderExists(app.platform, app.folders.LogFolder) ? app.folders.LogFolder
                                                                              : app.folders.ProgramFolder;
  std::string file;
  if (!app.platform.GetSaveFileName(kSaveFilter, start, file)) return;
  if (file.size() < 4 || file.compare(file.size() - 4, 4, ".log") != 0) file += ".log";
  std::string text;
  for (const std::string& line : Viewer.lines) text += line + "\r\n";
  if (!SaveWhole(app.platform, file, "\xFF\xFE" + Utf16LeBytes(text))) {
    window_.Messages().Information(app.language.Text(TextId::Action6Message12));
    return;
  }
  window_.Messages().Information(app.language.Text(TextId::Action6Message10));
}

void LogUndoView::Undo() {
  AppState& app = window_.App();
  if (!FolderExists(app.platform, app.folders.UndoFolder)) {
    window_.Messages().Information(app.language.Text(TextId::Action6Message6));
    return;
  }
  // Undo acts on the selected file, never on a ticked one: with none
  // selected the user is told, rather than nothing happening.
  if (FileList.selected < 0 || static_cast<std::size_t>(FileList.selected) >= FileList.rows.size()) {
    window_.Messages().Information(app.language.Text(TextId::Action6Message13));
    return;
  }
  const std::string path =
      app.folders.UndoFolder + "\\" + FileList.rows.at(static_cast<std::size_t>(FileList.selected)).cells[0];
  if (!FileExists(app.platform, path)) {
    window_.Messages().Information(app.language.Text(TextId::Action6Message11));
    return;
  }
  // The registry editor's own import, which asks the user before it writes.
  // Without the shell's association for registry scripts (a fresh Wine
  // prefix has none) the editor is opened with the file itself. On 64-bit
  // Windows the associated editor is the native one, while this program's
  // undo files belong to the 32-bit view it reads: its own editor opens them.
  const std::string quoted = "\"" + path + "\"";
  if (app.platform.IsWow64() || !app.platform.ShellExecute("open", path, "", kSwShowNormal))
    app.platform.ShellExecute("open", app.folders.RegistryEditor, quoted, kSwShowNormal);
}

void LogUndoView::IgnoredLabelClick() {
  AppState& app = window_.App();
  if (app.CancelFlag) return;
  const LanguageTable& language = app.language;
  const std::vector<IgnoreEntry> entries = LoadIgnoreEntries(app.platform);
  std::vector<std::string> lines;
  for (const IgnoreEntry& e : entries) {
    const bool readable = ReadIgnoreEntry(e).kind != IgnoreTarget::Kind::Unreadable;
    lines.push_back(IgnoreEntryText(e) + (readable ? "" : "  " + language.Text(TextId::Action6IgnoredUnreadable)));
  }
  window_.Messages().Details(language.Text(TextId::Action6Ignored), language.Text(TextId::Action6IgnoredExplanation),
                             lines, language.Text(TextId::Action6IgnoredRemove),
                             [&](std::size_t line) { return RemoveIgnoreEntry(app.platform, entries.at(line)); });
}

void LogUndoView::AddContents(Scene& scene) {
  for (Node* n : std::initializer_list<Node*>{&LogFolderLabel, &UndoFolderLabel, &LogFolderFrame, &UndoFolderFrame,
                                              &LogFolderField, &UndoFolderField})
    scene.push_back(n);
  AddButton(scene, LogFolderButton);
  AddButton(scene, UndoFolderButton);
  for (Node* n : std::initializer_list<Node*>{&LogMode.box, &LogMode.caption, &UndoMode.box, &UndoMode.caption,
                                              &RemovedMode.box, &RemovedMode.caption, &FileList, &Viewer,
                                              &SelectAllLabel, &DeselectAllLabel, &DaysLabel, &DaysDown, &DaysUp,
                                              &IgnoredLabel})
    scene.push_back(n);
  AddButton(scene, DeleteButton);
  AddButton(scene, SecondButton);
}

}  // namespace qrv
