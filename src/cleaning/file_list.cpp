#include "cleaning/file_list.h"

#include <algorithm>

#include "cleaning/file_walk.h"
#include "core/ignore_list.h"
#include "core/scan_host.h"
#include "dialogs/message_dialogs.h"
#include "engine/text.h"
#include "registry_scan/scan_context.h"

namespace qrv {

FileListPage::FileListPage(MainWindow& window, const std::string& prefix, const Texts& texts,
                           std::vector<ReportList::Column> columns)
    : Page(prefix), window_(window), texts_(texts) {
  const LanguageTable& language = window.App().language;
  ActionLabel.name = prefix + "ActionLabel";
  ActionLabel.r = PageBounds(20, 10, 520, 26);
  ActionLabel.text = language.Text(texts.title);
  ActionLabel.font = {14, true, false};
  Label2.name = prefix + "Label2";
  Label2.r = PageBounds(22, 44, 120, 18);
  Label2.text = language.Text(TextId::Action7ChooseFolder);
  Label2.font = {9, true, false};
  EditFrame.name = prefix + "Edit1Frame";
  EditFrame.r = PageBounds(146, 41, 330, 22);
  EditFrame.framed = true;
  Edit1.name = prefix + "Edit1";
  Edit1.r = PageBounds(150, 43, 322, 18);
  Edit1.font = {9, false, false};
  ButtonDir.a.name = prefix + "ButtonDir";
  ButtonDir.a.tooltip = Label2.text;
  ButtonDir.a.hand = true;
  ButtonDir.b.name = prefix + "ButtonDirB";
  ButtonDir.a.image = "folder_a";
  ButtonDir.b.image = "folder_b";
  ButtonDir.a.r = ButtonDir.b.r = PageBounds(482, 39, 26, 26);
  ButtonDir.a.onClick = ButtonDir.b.onClick = [this] { ButtonDirClick(); };
  ButtonDir.SetVisible(true);
  Label1.name = prefix + "Label1";
  Label1.r = PageBounds(420, 70, 276, 18);
  Label1.align = Align::Right;
  Label1.font = {9, true, false};
  InfoList.name = prefix + "InfoList";
  InfoList.r = PageBounds(22, 92, 674, 246);
  InfoList.columns = std::move(columns);
  // The red links above the list, each 10 pixels after the one before.
  const auto link = [&](Label& l, const char* name, TextId caption, int left, std::function<void()> click) {
    l.name = prefix + name;
    l.text = language.Text(caption);
    l.font = {9, false, true};
    l.colour = kRed;
    l.hand = true;
    l.onClick = std::move(click);
    l.r = PageBounds(left, 70, window.Measure().Width(l.text, l.font) + 2, 18);
  };
  link(SelectLabel, "SelectLabel", TextId::ButtonsSelectAll, 22, [this] { SelectLabelClick(); });
  link(DeselectLabel, "DeselectLabel", TextId::ButtonsDeselectAll, 0, [this] { DeselectLabelClick(); });
  DeselectLabel.r.left = SelectLabel.r.Right() + 10;
  link(IgnoreLabel, "IgnoreLabel", TextId::ButtonsIgnore, 0, [this] { IgnoreLabelClick(); });
  IgnoreLabel.r.left = DeselectLabel.r.Right() + 10;

  const Bounds place = PageBounds(296, 368, 123, 32);
  const auto make = [&](ImageButton& b, const std::string& name, TextId caption, std::function<void()> action) {
    ButtonGroup::Make(b, Buttons, name, place, "button", std::move(action));
    b.caption.text = language.Text(caption);
    b.caption.font = {11, true, false};
    b.caption.colour = kWhite;
  };
  make(Button1, prefix + "Button1", texts.search, [this] { Button1Click(); });
  make(Button2, prefix + "Button2", texts.remove, [this] { Button2Click(); });
  make(Button3, prefix + "Button3", TextId::ButtonsCancel, [this] { CancelButtonClick(); });
  Back.onMouseMove = [this] { Buttons.ResetAll(); };
}

void FileListPage::SetRoot(const std::string& folder) { Edit1.text = WithTrailingBackslash(folder); }

void FileListPage::ShowIdle() {
  Button1.SetVisible(true);
  Button2.SetVisible(false);
  Button3.SetVisible(false);
}

void FileListPage::Reset(const std::string& root) {
  InfoList.rows.clear();
  ++InfoList.version;
  // The list this page found, and only that: the slot may hold another
  // page's results by now, which that page's repair still needs.
  AppState& app = window_.App();
  if (app.HoldsResultsOf(owner_, stamp_)) app.Slot(1).clear();
  Label1.text.clear();
  SetRoot(root);
  ShowIdle();
  window_.SetHelpMode(HelpMode::Back);
}

void FileListPage::ButtonDirClick() {
  AppState& app = window_.App();
  if (app.CancelFlag || !dirEnabled_) return;
  app.CancelFlag = true;
  const std::optional<std::string> chosen =
      app.platform.BrowseForFolder(app.language.Text(TextId::Action7ChooseFolder), Edit1.text);
  if (chosen && !chosen->empty()) SetRoot(*chosen);
  app.CancelFlag = false;
}

void FileListPage::AddRow(std::vector<std::string> cells, const std::string& iconFile, int iconIndex) {
  ReportList::Row row;
  row.cells = std::move(cells);
  row.iconFile = iconFile;
  row.iconIndex = iconIndex;
  InfoList.rows.push_back(std::move(row));
  ++InfoList.version;
}

void FileListPage::ShowScanned(std::size_t scanned) {
  Label1.text = std::to_string(scanned) + " " + window_.App().language.Text(TextId::Action2FilesScanned);
}

void FileListPage::Button1Click() {
  AppState& app = window_.App();
  Label1.text.clear();
  dirEnabled_ = false;
  Button1.SetVisible(false);
  Button2.SetVisible(false);
  Button3.SetVisible(true);
  InfoList.rows.clear();
  ++InfoList.version;
  Search(Edit1.text);
  owner_ = app.Owner;
  stamp_ = app.ResultsStamp;
  for (ReportList::Row& row : InfoList.rows) row.checked = true;
  ++InfoList.version;
  dirEnabled_ = true;
  Label1.text = std::to_string(InfoList.rows.size()) + " " + app.language.Text(texts_.found);
  Button1.SetVisible(false);
  Button3.SetVisible(false);
  Button2.SetVisible(true);
}

bool FileListPage::RowsStillCurrent() {
  AppState& app = window_.App();
  if (app.HoldsResultsOf(owner_, stamp_) && app.Slot(1).size() == InfoList.rows.size()) return true;
  // Another page's scan has filled the list this page's rows stand for.
  window_.Messages().Information(app.language.Text(TextId::MessagesResultsReplaced));
  InfoList.rows.clear();
  ++InfoList.version;
  Label1.text.clear();
  ShowIdle();
  return false;
}

void FileListPage::IgnoreLabelClick() {
  AppState& app = window_.App();
  if (app.CancelFlag || InfoList.rows.empty() || !RowsStillCurrent()) return;
  const int row = InfoList.selected;
  if (row < 0 || static_cast<std::size_t>(row) >= InfoList.rows.size()) {
    window_.Messages().Information(app.language.Text(TextId::MessagesIgnoreSelect));
    return;
  }
  auto& slot = app.Slot(1);
  if (!AddIgnoreEntry(app.platform, {slot[static_cast<std::size_t>(row)], std::nullopt})) {
    window_.Messages().Information(app.language.Text(TextId::MessagesIgnoreNotStored));
    return;
  }
  slot.erase(slot.begin() + row);
  InfoList.rows.erase(InfoList.rows.begin() + row);
  InfoList.selected = -1;
  ++InfoList.version;
  Label1.text = std::to_string(InfoList.rows.size()) + " " + app.language.Text(texts_.found);
}

void FileListPage::Button2Click() {
  AppState& app = window_.App();
  if (app.CancelFlag) return;
  if (!InfoList.rows.empty() && !RowsStillCurrent()) return;
  if (!InfoList.rows.empty()) {
    std::vector<bool> ticked;
    for (const ReportList::Row& row : InfoList.rows) ticked.push_back(row.checked);
    if (std::find(ticked.begin(), ticked.end(), true) == ticked.end()) {
      window_.Messages().Information(app.language.Text(TextId::Action7Message1));
      return;
    }
    if (!window_.Messages().Confirm(app.language.Text(TextId::Action7Message2))) return;
    if (texts_.clearResultOnRemove) Label1.text.clear();
    dirEnabled_ = false;
    Button1.SetVisible(false);
    Button2.SetVisible(false);
    Button3.SetVisible(true);
    ScanContext s(app, window_.Scans());
    app.CancelFlag = true;
    const std::string deletedText = app.language.Text(TextId::Action2FilesDeleted);
    RemoveListedFiles(s, app.Slot(1), kKeptListRemoval, ticked,
                      [&](std::size_t deleted) { Label1.text = std::to_string(deleted) + " " + deletedText; });
    InfoList.rows.clear();
    ++InfoList.version;
    app.Slot(1).clear();
    app.CancelFlag = false;
    dirEnabled_ = true;
  }
  ShowIdle();
}

void FileListPage::CancelButtonClick() {
  AppState& app = window_.App();
  if (app.CancelFlag && window_.Messages().Confirm(app.language.Text(TextId::MessagesStop))) app.CancelFlag = false;
}

void FileListPage::SelectLabelClick() {
  if (window_.App().CancelFlag || InfoList.rows.empty()) return;
  for (ReportList::Row& row : InfoList.rows) row.checked = true;
  ++InfoList.version;
}

void FileListPage::DeselectLabelClick() {
  if (window_.App().CancelFlag || InfoList.rows.empty()) return;
  for (ReportList::Row& row : InfoList.rows) row.checked = false;
  ++InfoList.version;
}

void FileListPage::AddContents(Scene& scene) {
  for (Node* node : std::initializer_list<Node*>{&ActionLabel, &Label2, &EditFrame, &Edit1, &ButtonDir.a, &ButtonDir.b,
                                                 &Label1, &SelectLabel, &DeselectLabel, &IgnoreLabel, &InfoList})
    scene.push_back(node);
  AddButton(scene, Button1);
  AddButton(scene, Button2);
  AddButton(scene, Button3);
}

}  // namespace qrv
