#include "dialogs/message_dialogs.h"

#include "core/settings.h"
#include "core/startup.h"

namespace qrv {

namespace {

Label MessageLabel(int left, int top, int width, int height) {
  Label l;
  l.name = "Message";
  l.r = {left, top, width, height};
  l.wrap = true;
  l.font = {9, false, false};
  return l;
}

}  // namespace

TForm3a::TForm3a(const LanguageTable& language) : SkinnedDialog("TForm3a", 350, 230, 58) {
  Title.text = language.Text(TextId::MessagesInformation);
  Message = MessageLabel(28, 58, 300, 80);
  MakeButton(OkButton, "OkButton", 112, 170, language.Text(TextId::ButtonsOk), [this] { Close(); });
}

void TForm3a::AddContents(Scene& scene) {
  scene.push_back(&Message);
  AddButton(scene, OkButton);
}

TForm3b::TForm3b(const LanguageTable& language) : SkinnedDialog("TForm3b", 350, 230, 58) {
  Title.text = language.Text(TextId::MessagesConfirmation);
  Message = MessageLabel(28, 58, 300, 80);
  MakeButton(OkButton, "OkButton", 40, 170, language.Text(TextId::ButtonsOk), [this] {
    Answer = 1;
    Close();
  });
  MakeButton(CancelButton, "CancelButton", 192, 170, language.Text(TextId::ButtonsCancel), [this] { Close(); });
}

void TForm3b::Show() {
  SkinnedDialog::Show();
  Buttons.ResetAll();
  Answer = 2;
}

void TForm3b::AddContents(Scene& scene) {
  scene.push_back(&Message);
  AddButton(scene, OkButton);
  AddButton(scene, CancelButton);
}

TForm1b::TForm1b(const LanguageTable& language) : SkinnedDialog("TForm1b", 500, 500, 104) {
  Title.text = language.Text(TextId::ButtonsDetails);
  Explanation = MessageLabel(14, 48, 470, 40);
  Explanation.name = "Explanation";
  Lines.name = "Lines";
  Lines.r = {14, 104, 470, 330};
  MakeButton(OkButton, "OkButton", 190, 448, language.Text(TextId::ButtonsOk), [this] { Close(); });
  Entries.name = "Entries";
  Entries.r = Lines.r;
  Entries.checkboxes = false;
  // Wider than the list: a long key scrolls instead of being cut.
  Entries.columns = {{"", 800}};
  Entries.visible = false;
}

void TForm1b::OfferAction(const std::string& caption, std::function<bool(std::size_t)> act) {
  act_ = std::move(act);
  Lines.visible = false;
  Entries.visible = true;
  Entries.rows.clear();
  origin_.clear();
  for (std::size_t i = 0; i < Lines.lines.size(); ++i) {
    ReportList::Row row;
    row.checked = false;
    row.icon = false;
    row.cells = {Lines.lines[i]};
    Entries.rows.push_back(std::move(row));
    origin_.push_back(i);
  }
  Entries.selected = -1;
  ++Entries.version;
  OkButton.a.r.left = OkButton.b.r.left = 260;
  OkButton.caption.r.left = 260;
  MakeButton(ActionButton, "ActionButton", 120, 448, caption, [this] { ActionButtonClick(); });
  ActionButton.SetVisible(false);
  Entries.onSelect = [this] { ActionButton.SetVisible(Entries.selected >= 0); };
}

void TForm1b::ActionButtonClick() {
  const int row = Entries.selected;
  if (!act_ || row < 0 || static_cast<std::size_t>(row) >= Entries.rows.size()) return;
  if (!act_(origin_[static_cast<std::size_t>(row)])) return;
  Entries.rows.erase(Entries.rows.begin() + row);
  origin_.erase(origin_.begin() + row);
  Entries.selected = -1;
  ++Entries.version;
  ActionButton.SetVisible(false);
}

void TForm1b::AddContents(Scene& scene) {
  scene.push_back(&Explanation);
  scene.push_back(Entries.visible ? static_cast<Node*>(&Entries) : &Lines);
  AddButton(scene, OkButton);
  if (act_) AddButton(scene, ActionButton);
}

TForm3c::TForm3c(const LanguageTable& language, RegistryView& registry)
    : SkinnedDialog("TForm3c", 350, 230, 58), registry_(registry) {
  Title.text = language.Text(TextId::MessagesInformation);
  Message = MessageLabel(28, 58, 300, 50);
  Message.text = language.Text(TextId::Action4RebootMessage1);
  DontShow.box.name = "CheckBox";
  DontShow.box.r = {86, 143, 16, 16};
  DontShow.box.hand = true;
  DontShow.caption.name = "CheckBoxLabel";
  DontShow.caption.r = {106, 142, 220, 18};
  DontShow.caption.text = language.Text(TextId::Action4RebootMessage2);
  DontShow.caption.hand = true;
  DontShow.box.onClick = DontShow.caption.onClick = [this] { DontShow.Set(!DontShow.checked); };
  DontShow.Set(false);
  MakeButton(OkButton, "OkButton", 112, 176, language.Text(TextId::ButtonsOk), [this] {
    if (DontShow.checked) settings::Write(registry_, settings::kShowRebootMessage, false);
    Close();
  });
}

void TForm3c::Show() {
  SkinnedDialog::Show();
  DontShow.Set(false);
}

void TForm3c::AddContents(Scene& scene) {
  scene.push_back(&Message);
  scene.push_back(&DontShow.box);
  scene.push_back(&DontShow.caption);
  AddButton(scene, OkButton);
}

TForm2a::TForm2a(const LanguageTable& language) : SkinnedDialog("TForm2a", 410, 410, 32) {
  Title.text = language.Text(TextId::AboutAbout);
  ProductName.name = "ProductName";
  ProductName.r = {96, 32, 200, 40};
  ProductName.text = "Quorvane";
  ProductName.font = {20, true, false};
  Version.name = "Version";
  Version.r = {300, 40, 100, 20};
  Version.text = language.Text(TextId::AboutVersion) + " 2.1";
  Version.font = {9, false, false};
  Logo.name = "Logo";
  Logo.r = {40, 80, 200, 108};
  Logo.image = "logo";
  MakeButton(CloseButton, "CloseButton", 142, 350, language.Text(TextId::ButtonsClose), [this] { Close(); });
}

void TForm2a::AddContents(Scene& scene) {
  scene.push_back(&ProductName);
  scene.push_back(&Version);
  scene.push_back(&Logo);
  AddButton(scene, CloseButton);
}

Dialogs::Dialogs(const LanguageTable& language, RegistryView& registry, ModalRunner& runner)
    : Form3a(language), Form3b(language), language_(language), registry_(registry), runner_(runner) {}

void Dialogs::Information(const std::string& text) {
  Form3a.Message.text = text;
  runner_.RunModal(Form3a);
}

bool Dialogs::Confirm(const std::string& question) {
  Form3b.Message.text = question;
  runner_.RunModal(Form3b);
  return Form3b.Answer == 1;
}

void Dialogs::Details(const std::string& explanation, const std::vector<std::string>& lines) {
  TForm1b form(language_);
  form.Explanation.text = explanation;
  form.Lines.lines = lines;
  runner_.RunModal(form);
}

std::size_t Dialogs::Details(const std::string& title, const std::string& explanation,
                             const std::vector<std::string>& lines, const std::string& actionCaption,
                             std::function<bool(std::size_t)> act) {
  TForm1b form(language_);
  form.Title.text = title;
  form.Explanation.text = explanation;
  form.Lines.lines = lines;
  std::size_t taken = 0;
  form.OfferAction(actionCaption, [&taken, &act](std::size_t line) {
    if (!act(line)) return false;
    ++taken;
    return true;
  });
  runner_.RunModal(form);
  return taken;
}

void Dialogs::RebootNotice() {
  if (!settings::Read(registry_, settings::kShowRebootMessage)) return;
  TForm3c form(language_, registry_);
  runner_.RunModal(form);
}

void Dialogs::About() {
  TForm2a form(language_);
  runner_.RunModal(form);
}

}  // namespace qrv
