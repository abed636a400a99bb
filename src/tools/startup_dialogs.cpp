#include "tools/startup_dialogs.h"

#include <utility>

#include "core/language_styles.h"
#include "engine/file_ops.h"

namespace qrv {

namespace {

void PlaceRadio(TickBox& radio, const std::string& name, int left, int top, const std::string& caption) {
  radio.box.name = name;
  radio.box.r = {left, top, 16, 16};
  radio.box.hand = true;
  radio.caption.name = name + "Label";
  radio.caption.r = {left + 20, top, 200, 18};
  radio.caption.text = caption;
  radio.caption.hand = true;
}

}  // namespace

TForm3d::TForm3d(AppState& app, Dialogs& messages, ChooseFile choose)
    : SkinnedDialog("TForm3d", 350, 230, 48), app_(app), messages_(messages), choose_(std::move(choose)) {
  const LanguageTable& t = app.language;
  Title.text = t.Text(TextId::Action8AddToList);
  ProgramLabel.name = "ProgramLabel";
  ProgramLabel.r = {16, 48, 280, 18};
  ProgramLabel.text = t.Text(TextId::Action8Program);
  ProgramLabel.font = {9, false, false};
  PathFrame.name = "PathFrame";
  PathFrame.r = {16, 72, 289, 23};
  PathFrame.framed = true;
  Path.name = "Path";
  Path.r = {20, 72, 281, 23};
  Path.centreVertically = true;
  Browse.name = "Browse";
  Browse.r = {312, 74, 18, 18};
  Browse.image = "folder_a";
  Browse.hand = true;
  Browse.tooltip = t.Text(TextId::Action8Location);
  Browse.onClick = [this] { BrowseClick(); };
  Browse.onMouseMove = [this] {
    Buttons.ResetAll();
    Browse.image = "folder_b";
  };
  WndImage.onMouseMove = [this] {
    Buttons.ResetAll();
    Browse.image = "folder_a";
  };
  PlaceRadio(OnlyForMe, "OnlyForMe", 106, 112, t.Text(TextId::Action8OnlyForMe));
  PlaceRadio(ForAllUsers, "ForAllUsers", 106, 136, t.Text(TextId::Action8ForAllUsers));
  OnlyForMe.box.onClick = OnlyForMe.caption.onClick = [this] { Select(false); };
  ForAllUsers.box.onClick = ForAllUsers.caption.onClick = [this] { Select(true); };
  Select(false);
  MakeButton(Button1, "Button1", 48, 178, t.Text(TextId::ButtonsApply), [this] { Button1Click(); });
  MakeButton(Button2, "Button2", 184, 178, t.Text(TextId::ButtonsCancel), [this] { Button2Click(); });
}

void TForm3d::Select(bool allUsers) {
  OnlyForMe.SetRadio(!allUsers);
  ForAllUsers.SetRadio(allUsers);
}

void TForm3d::BrowseClick() {
  if (!choose_) return;
  const std::string file = choose_(kProgramFilter);
  if (!file.empty()) Path.text = file;
}

void TForm3d::Button1Click() {
  if (!FileExists(app_.platform, Path.text)) {
    messages_.Information(app_.language.Text(TextId::Action8Message1));
    return;
  }
  AddStartupProgram(app_, Path.text, ForAllUsers.checked);
  Close();
}

void TForm3d::AddContents(Scene& scene) {
  for (Node* n : std::initializer_list<Node*>{&ProgramLabel, &PathFrame, &Path, &Browse, &OnlyForMe.box,
                                              &OnlyForMe.caption, &ForAllUsers.box, &ForAllUsers.caption})
    scene.push_back(n);
  AddButton(scene, Button1);
  AddButton(scene, Button2);
}

TForm1d::TForm1d(AppState& app, Dialogs& messages, ModalRunner& runner, ScanHost& host, ChooseFile choose)
    : SkinnedDialog("TForm1d", 730, 470, 80, 690), app_(app), messages_(messages), runner_(runner), host_(host),
      choose_(std::move(choose)) {
  const LanguageTable& t = app.language;
  Title.text = t.Text(TextId::Action2FixAction9b);
  Title.r.top = 6;
  Hint.name = "Hint";
  Hint.r = {26, 40, 680, 26};
  Hint.wrap = true;
  Hint.text = t.Text(TextId::Action8Hint);
  List.name = "List";
  List.r = {26, 80, 680, 310};
  List.checkboxes = false;
  List.columns = {{t.Text(TextId::Action8User), 112}, {t.Text(TextId::Action8Program), 140},
                  {t.Text(TextId::Action8Location), 370}};
  const int x[] = {88, 228, 372, 516};
  MakeButton(Button1, "Button1", x[0], 406, t.Text(TextId::Action8Add), [this] { Button1Click(); });
  MakeButton(Button2, "Button2", x[1], 406, t.Text(TextId::ButtonsRemove), [this] { Button2Click(); });
  MakeButton(Button3, "Button3", x[2], 406, t.Text(TextId::Action8Ask), [this] { Button3Click(); });
  MakeButton(Button4, "Button4", x[3], 406, t.Text(TextId::ButtonsClose), [this] { Button4Click(); });
  for (ImageButton* b : {&Button1, &Button2, &Button3, &Button4})
    b->caption.font.size = StyleOf(app.LanguageNumber).startupButton;
  CloseGlyph.name = "CloseGlyph";
  CloseGlyph.r = {698, 3, 22, 22};
  CloseGlyph.image = "close_glyph";
  CloseGlyph.hand = true;
  CloseGlyph.tooltip = t.Text(TextId::ButtonsClose);
  CloseGlyph.onClick = [this] { Close(); };
  CloseGlyph.onMouseMove = [this] {
    Buttons.ResetAll();
    CloseGlyph.image = "close_glyph_b";
  };
  WndImage.onMouseMove = [this] {
    Buttons.ResetAll();
    CloseGlyph.image = "close_glyph";
  };
}

void TForm1d::Show() {
  SkinnedDialog::Show();
  FillList();
}

void TForm1d::FillList() {
  Buttons.ResetAll();
  entries_.clear();
  codes_.clear();
  List.rows.clear();
  List.selected = -1;
  entries_ = ReadStartupList(app_, host_);
  for (const StartupEntry& e : entries_) {
    codes_.push_back(e.source);
    ReportList::Row row;
    row.checked = false;
    row.cells = {e.user, e.program, e.location};
    row.iconFile = e.iconFile;
    row.icon = e.hasIcon;
    List.rows.push_back(std::move(row));
  }
  ++List.version;
}

const StartupEntry* TForm1d::Selected() const {
  if (List.selected < 0 || static_cast<std::size_t>(List.selected) >= entries_.size()) return nullptr;
  return &entries_[static_cast<std::size_t>(List.selected)];
}

void TForm1d::Button1Click() {
  TForm3d form(app_, messages_, choose_);
  runner_.RunModal(form);
}

void TForm1d::Button2Click() {
  const StartupEntry* entry = Selected();
  if (entry == nullptr) return;
  if (!messages_.Confirm(app_.language.Text(TextId::Action8Message2))) return;
  lastUndo_ = RemoveStartupEntry(app_, *entry).undoPath;
  FillList();
}

void TForm1d::Button3Click() {
  const StartupEntry* entry = Selected();
  if (entry != nullptr) AskTheWeb(app_, *entry);
}

void TForm1d::AddContents(Scene& scene) {
  scene.push_back(&Hint);
  scene.push_back(&List);
  for (ImageButton* b : {&Button1, &Button2, &Button3, &Button4}) AddButton(scene, *b);
  scene.push_back(&CloseGlyph);
}

}  // namespace qrv
