#include "tools/tweak_view.h"

#include "core/language_styles.h"
#include "core/settings.h"

namespace qrv {

namespace {

constexpr int kPageTabHeight = 22;
constexpr int kPageTabWidth = 110;

constexpr std::array<TextId, kTweakPages> kPageCaptions{TextId::Action5System, TextId::Action5Internet,
                                                        TextId::Action5Security};

int ButtonFontSize(const AppState& app) { return StyleOf(app.LanguageNumber).tweakButton; }

void MakeViewButton(ImageButton& button, ButtonGroup& group, const std::string& name, Bounds r,
                    const std::string& caption, int size, std::function<void()> action) {
  ButtonGroup::Make(button, group, name, r, "button", std::move(action));
  button.caption.text = caption;
  button.caption.font = {size, true, false};
  button.caption.colour = kWhite;
}

}  // namespace

void StampTweakRun(AppState& app) {
  settings::Write(app.platform, settings::kTweaksRunDate, app.platform.Now());
}

// ------------------------------------------------------------------ the view

TweakView::TweakView(AppState& app, Dialogs& dialogs, const TweakLayout& layout, ButtonGroup& buttons,
                     std::function<void()> recommend, std::function<void()> apply)
    : app_(app), dialogs_(dialogs), layout_(layout) {
  const LanguageTable& language = app.language;
  Title.name = "TitleLabel";
  Title.r = At(layout.title);
  Title.text = language.Text(TextId::Action5OptimizeWindows);
  Description.name = "DescriptionLabel";
  Description.r = At(layout.description);
  Description.text = language.Text(TextId::Action5Hint1);
  Description.wrap = true;
  Description.align = layout.descriptionAlign;
  Description.font = {9, false, false};
  Hint.name = "HintLabel";
  Hint.r = At(layout.hint);
  Hint.wrap = true;
  Hint.align = Align::Centre;
  Hint.font = {8, false, false};
  Footnote.name = "FootnoteLabel";
  Footnote.r = At(layout.footnote);
  Footnote.text = language.Text(TextId::Action5Hint2);
  Footnote.font = {8, false, false};

  const Bounds pages = At(layout.pages);
  for (int p = 0; p < kTweakPages; ++p) {
    Label& tab = PageTabs[static_cast<std::size_t>(p)];
    tab.name = "TabSheet" + std::to_string(p + 1);
    tab.r = {pages.left + 2 + (kPageTabWidth + 2) * p, pages.top, kPageTabWidth, kPageTabHeight};
    tab.text = language.Text(kPageCaptions[static_cast<std::size_t>(p)]);
    // Drawn by the view: white, the caption centred both ways.
    tab.opaque = true;
    tab.back = kWhite;
    tab.align = Align::Centre;
    tab.centreVertically = true;
    tab.hand = true;
    tab.onClick = [this, p] { SelectPage(static_cast<TweakPage>(p)); };
    tab.role = Role::PageTab;
  }
  Sheet.name = "PageControl";
  Sheet.r = {pages.left, pages.top + kPageTabHeight, pages.width, pages.height - kPageTabHeight};
  Sheet.framed = true;
  Sheet.frame = 0xC8C0B8;

  const auto& table = TweakTable();
  for (int p = 0; p < kTweakPages; ++p) {
    const std::vector<int> rows = TweakRowsOf(static_cast<TweakPage>(p));
    for (std::size_t n = 0; n < rows.size(); ++n) {
      const int index = rows[n];
      const TweakRow& row = table[static_cast<std::size_t>(index)];
      TickBox& box = Rows[static_cast<std::size_t>(index)];
      const std::string id = std::to_string(p + 1) + (row.number < 10 ? "0" : "") + std::to_string(row.number);
      const int top = Sheet.r.top + 8 + 20 * static_cast<int>(n);
      box.box.name = "CheckBox" + id;
      box.box.r = {Sheet.r.left + 8, top, 16, 16};
      box.box.hand = true;
      box.caption.name = "CheckLabel" + id;
      box.caption.r = {Sheet.r.left + 36, top, Sheet.r.width - 44, 16};
      box.caption.text = language.Text(row.caption) + (row.rebootMark ? " *" : "");
      box.caption.hand = true;
      box.box.onClick = box.caption.onClick = [this, index] { Toggle(index); };
      box.caption.onMouseMove = [this, index] { ShowHint(index); };
    }
  }

  const int size = ButtonFontSize(app);
  MakeViewButton(RecommendButton, buttons, "RecommendButton", At(layout.recommend),
                 language.Text(TextId::Action5Recommend), size, std::move(recommend));
  MakeViewButton(ApplyButton, buttons, "ApplyButton", At(layout.apply), language.Text(TextId::ButtonsApply), size,
                 std::move(apply));
  ShowStates();
  SelectPage(TweakPage::System);
}

Bounds TweakView::At(const Bounds& r) const {
  return {layout_.originX + r.left, layout_.originY + r.top, r.width, r.height};
}

void TweakView::Open() {
  states_.fill(false);
  SelectPage(TweakPage::System);
  ReadRows();
  Hint.text.clear();
}

void TweakView::ReadRows() {
  states_ = read_ = ReadTweaks(app_.platform);
  ShowStates();
}

void TweakView::ShowStates() {
  for (std::size_t i = 0; i < Rows.size(); ++i) Rows[i].Set(states_[i]);
}

void TweakView::SelectPage(TweakPage page) {
  page_ = page;
  for (int p = 0; p < kTweakPages; ++p) {
    Label& tab = PageTabs[static_cast<std::size_t>(p)];
    tab.font.bold = p == static_cast<int>(page);
    tab.current = p == static_cast<int>(page);
    tab.colour = p == static_cast<int>(page) ? kDarkGrey : 8421504;
  }
  const auto& table = TweakTable();
  for (std::size_t i = 0; i < Rows.size(); ++i) {
    const bool shown = table[i].page == page;
    Rows[i].box.visible = Rows[i].caption.visible = shown;
  }
}

void TweakView::Toggle(int index) {
  const auto i = static_cast<std::size_t>(index);
  states_.at(i) = !states_.at(i);
  Rows[i].Set(states_[i]);
}

void TweakView::ShowHint(int index) {
  Hint.text = app_.language.Text(TweakTable().at(static_cast<std::size_t>(index)).hint);
}

bool TweakView::Recommend() {
  if (!dialogs_.Confirm(app_.language.Text(TextId::Action5Message1))) return false;
  RecommendTweaks(page_, states_);
  ShowStates();
  return true;
}

bool TweakView::Apply() {
  if (!dialogs_.Confirm(app_.language.Text(TextId::Action5Message2))) return false;
  lastApply_ = ApplyTweaks(app_, page_, read_, states_);
  return true;
}

void TweakView::AddContents(Scene& scene) {
  scene.push_back(&Title);
  scene.push_back(&Description);
  scene.push_back(&Sheet);
  for (Label& tab : PageTabs) scene.push_back(&tab);
  for (TickBox& row : Rows) {
    scene.push_back(&row.box);
    scene.push_back(&row.caption);
  }
  scene.push_back(&Hint);
  AddButton(scene, RecommendButton);
  AddButton(scene, ApplyButton);
  scene.push_back(&Footnote);
}

// ---------------------------------------------------------------- the dialog

namespace {

TweakLayout DialogLayout() {
  TweakLayout l;
  l.title = {24, 6, 600, 24};
  l.description = {16, 40, 700, 34};
  l.descriptionAlign = Align::Centre;
  l.pages = {86, 92, 580, 220};
  l.hint = {16, 328, 700, 34};
  l.recommend = {144, 382, 123, 32};
  l.apply = {300, 382, 123, 32};
  l.footnote = {48, 432, 660, 18};
  return l;
}

TweakLayout TabLayout() {
  TweakLayout l;
  l.originX = PageBounds(0, 0, 0, 0).left;
  l.originY = PageBounds(0, 0, 0, 0).top;
  l.title = {8, 0, 600, 26};
  l.description = {8, 32, 700, 34};
  l.pages = {110, 76, 500, 220};
  l.hint = {8, 304, 700, 34};
  l.recommend = {224, 350, 123, 32};
  l.apply = {364, 350, 123, 32};
  l.footnote = {8, 392, 700, 15};
  return l;
}

}  // namespace

TForm1c::TForm1c(AppState& app, Dialogs& dialogs)
    : SkinnedDialog("TForm1c", 730, 470, 40, 690),
      View(app, dialogs, DialogLayout(), Buttons, [this] { Button1Click(); }, [this] { Button2Click(); }),
      app_(app) {
  Title.visible = false;  // the view's title stands in its place
  View.Title.colour = kWhite;
  View.Title.font = {10, true, false};
  MakeButton(Button3, "Button3", 452, 382, app.language.Text(TextId::ButtonsClose), [this] { Button3Click(); });
  Button3.caption.font = View.ApplyButton.caption.font;
  ButtonGroup::Make(CloseGlyph, Buttons, "CloseGlyph", {698, 3, 22, 22}, "close_glyph", [this] { Button3Click(); });
  CloseGlyph.a.image = "close_glyph";
  CloseGlyph.caption.visible = false;
  CloseGlyph.a.tooltip = CloseGlyph.b.tooltip = app.language.Text(TextId::ButtonsClose);
  WndImage.onMouseMove = [this] {
    Buttons.ResetAll();
    View.Hint.text.clear();
  };
}

void TForm1c::ShowForm() {
  SkinnedDialog::Show();
  Buttons.ResetAll();
  View.Open();
}

void TForm1c::Button1Click() {
  if (View.Recommend()) StampTweakRun(app_);
}

void TForm1c::Button2Click() {
  if (!View.Apply()) return;
  View.ReadRows();
  StampTweakRun(app_);
}

void TForm1c::AddContents(Scene& scene) {
  View.AddContents(scene);
  AddButton(scene, Button3);
  AddButton(scene, CloseGlyph);
}

// ------------------------------------------------------------------- the tab

OptimizePage::OptimizePage(MainWindow& window)
    : Page("Panel5"),
      View(window.App(), window.Messages(), TabLayout(), Buttons, [this] { Panel5Button2Click(); },
           [this] { Panel5Button3Click(); }),
      window_(window) {
  View.Title.font = {14, true, false};
  Back.onMouseMove = [this] { Buttons.ResetAll(); };
}

void OptimizePage::Panel5Enter() {
  View.Open();
  window_.SetHelpMode(HelpMode::Back);
  StampTweakRun(window_.App());
}

void OptimizePage::Panel5Button2Click() { View.Recommend(); }

void OptimizePage::Panel5Button3Click() {
  if (View.Apply()) Panel5Enter();
}

void OptimizePage::AddContents(Scene& scene) { View.AddContents(scene); }

}  // namespace qrv
