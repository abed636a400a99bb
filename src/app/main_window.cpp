#include "app/main_window.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/language_styles.h"
#include "engine/file_ops.h"
#include "engine/fix_script.h"
#include "app/about_page.h"
#include "app/clean_up_page.h"
#include "cleaning/privacy_page.h"
#include "cleaning/residual_page.h"
#include "cleaning/shortcut_page.h"
#include "home/home_pages.h"
#include "registry_scan/registry_page.h"
#include "tools/tweak_view.h"

namespace qrv {

namespace {

constexpr int kHelpRightEdge = 728;

const std::array<TextId, 5> kTabCaptions{TextId::ActionsAction1, TextId::ActionsAction3, TextId::ActionsAction4,
                                         TextId::ActionsAction5, TextId::AboutAbout};

}  // namespace

// ------------------------------------------------------------- main window

TForm1a::TForm1a(AppState& app, WindowHost& host, ModalRunner& runner, TextMeasure& measure)
    : app_(app), host_(host), runner_(runner), measure_(measure) {
  WndImage.name = "WndImage";
  WndImage.image = "background";
  WndImage.r = {0, 0, kMainWindowWidth, kMainWindowHeight};
  WndImage.onMouseMove = [this] { WndImageMouseMove(); };
  for (int i = 0; i < 5; ++i) {
    const auto n = static_cast<std::size_t>(i);
    Tab[n].name = "Tab" + std::to_string(i + 1);
    Tab[n].image = "tab" + std::to_string(i + 1);
    Tab[n].r = {278, 52, 482, 42};
    Tab[n].onMouseMove = WndImage.onMouseMove;
    Label& l = TabLabel[n];
    l.name = "TabLabel" + std::to_string(i + 1);
    l.r = {300 + 90 * i, 54, 80, 33};
    l.align = Align::Centre;
    l.centreVertically = true;
    l.font = {10, true, false};
    l.hand = true;
    l.role = Role::PageTab;
  }
  TabLabel[0].onClick = [this] { Tab1Click(); };
  TabLabel[1].onClick = [this] { Tab2Click(); };
  TabLabel[2].onClick = [this] { Tab3Click(); };
  TabLabel[3].onClick = [this] { Tab4Click(); };
  TabLabel[4].onClick = [this] { Tab5Click(); };
  ButtonGroup::Make(TopButton1, TopButtons, "TopButton1", {678, 9, 25, 23}, "top_about", [this] { TopButton1Click(); });
  ButtonGroup::Make(TopButton2, TopButtons, "TopButton2", {704, 9, 25, 23}, "top_minimize",
                    [this] { TopButton2Click(); });
  ButtonGroup::Make(TopButton3, TopButtons, "TopButton3", {730, 9, 25, 23}, "top_close", [this] { TopButton3Click(); });
  for (ImageButton* b : {&TopButton1, &TopButton2, &TopButton3}) b->caption.visible = false;
  HelpLabel.name = "HelpLabel";
  HelpLabel.font = {10, true, false};
  HelpLabel.colour = kDarkGrey;
  HelpLabel.hand = true;
  HelpLabel.align = Align::Right;
  HelpLabel.onClick = [this] { HelpLabelClick(); };
  for (int i = 0; i < kPageCount; ++i) pages_[static_cast<std::size_t>(i)] = std::make_unique<Page>("Panel");
}

TForm1a::~TForm1a() = default;

void TForm1a::SetPage(PageId id, std::unique_ptr<Page> page) { pages_.at(static_cast<std::size_t>(id)) = std::move(page); }

void TForm1a::CreateForm() {
  const LanguageTable& language = app_.language;
  dialogs_ = std::make_unique<Dialogs>(language, app_.platform, runner_);
  for (auto& slot : app_.FindingList) slot.clear();
  app_.FixScript.Clear();
  app_.TempValueScript.Clear();

  auto summary = std::make_unique<SummaryPage>(*this);
  auto scan = std::make_unique<ScanPage>(*this, *summary);
  SetPage(PageId::Panel1, std::make_unique<HomePage>(*this, *scan));
  SetPage(PageId::Panel2A, std::move(scan));
  SetPage(PageId::Panel2B, std::move(summary));
  SetPage(PageId::Panel3, std::make_unique<RegistryPage>(*this));
  SetPage(PageId::Panel4, std::make_unique<CleanUpPage>(language, [this](int n) {
            if (n == 1) Panel4Button1Click();
            if (n == 2) Panel4Button2Click();
            if (n == 3) Panel4Button3Click();
          }));
  SetPage(PageId::Panel4A, std::make_unique<PrivacyPage>(*this));
  SetPage(PageId::Panel4B, std::make_unique<ResidualPage>(*this));
  SetPage(PageId::Panel4C, std::make_unique<ShortcutPage>(*this));
  SetPage(PageId::Panel5, std::make_unique<OptimizePage>(*this));
  SetPage(PageId::Panel6, std::make_unique<AboutPage>(*this));

  for (std::size_t i = 0; i < 5; ++i) TabLabel[i].text = language.Text(kTabCaptions[i]);
  TopButton1.a.tooltip = TopButton1.b.tooltip = language.Text(TextId::AboutAbout);
  TopButton2.a.tooltip = TopButton2.b.tooltip = language.Text(TextId::ButtonsMinimize);
  TopButton3.a.tooltip = TopButton3.b.tooltip = language.Text(TextId::ButtonsClose);
  SetHelpMode(HelpMode::Help);

  for (Label& l : TabLabel) l.font.size = StyleOf(app_.LanguageNumber).tabCaption;

  app_.CancelFlag = false;
}

bool TForm1a::CloseForm() {
  if (app_.CancelFlag) return false;
  const std::string fixFile = FixScriptFile(app_.folders);
  if (FileExists(app_.platform, fixFile)) app_.platform.DeleteFile(fixFile);
  app_.UndoScript.Clear();
  for (auto& slot : app_.FindingList) slot.clear();
  app_.FixScript.Clear();
  app_.TempValueScript.Clear();
  return true;
}

void TForm1a::SelectTab(int tab) {
  for (int i = 0; i < 5; ++i) {
    Label& l = TabLabel[static_cast<std::size_t>(i)];
    l.colour = i + 1 == tab ? kWhite : kDarkGrey;
    l.current = i + 1 == tab;
  }
  frontTab_ = tab;
}

namespace {

// What each tab brings to the front and sets: page, whether its entry runs,
// ScanMode, BackTarget, and the help link (unless the page's entry sets it).
struct TabRow {
  PageId page;
  bool enters;
  int scanMode;
  int backTarget;
  std::optional<HelpMode> help;
};
const std::array<TabRow, 5> kTabRows{{{PageId::Panel1, true, kScanModeHome, 1, HelpMode::Help},
                                      {PageId::Panel3, true, kScanModeRegistry, 2, std::nullopt},
                                      {PageId::Panel4, false, kScanModeRegistry, 2, HelpMode::Back},
                                      {PageId::Panel5, true, 4, 2, std::nullopt},
                                      {PageId::Panel6, true, 5, 1, HelpMode::Help}}};

}  // namespace

void TForm1a::TabClick(int tab) {
  if (app_.CancelFlag) return;
  const TabRow& row = kTabRows.at(static_cast<std::size_t>(tab - 1));
  SelectTab(tab);
  BringToFront(row.page);
  if (row.enters) PageOf(row.page).Enter();
  app_.ScanMode = row.scanMode;
  BackTarget = row.backTarget;
  if (row.help) SetHelpMode(*row.help);
}

HelpMode TForm1a::Mode() const {
  return HelpLabel.text.find('>') == std::string::npos ? HelpMode::Back : HelpMode::Help;
}

void TForm1a::SetHelpMode(HelpMode mode) {
  HelpLabel.accName = app_.language.Text(mode == HelpMode::Help ? TextId::ButtonsHelp : TextId::ButtonsBack);
  HelpLabel.text = (mode == HelpMode::Help ? "> " : "< ") + HelpLabel.accName;
  const int width = measure_.Width(HelpLabel.text, HelpLabel.font);
  HelpLabel.r = {kHelpRightEdge - width, 520, width, 18};
}

void TForm1a::HelpLabelClick() {
  if (Mode() == HelpMode::Back) {
    if (app_.CancelFlag) return;
    if (BackTarget == 2) {
      Tab1Click();
      PageOf(PageId::Panel2B).Enter();
      BringToFront(PageId::Panel2B);
      return;
    }
  }
  const std::string help = app_.folders.ProgramFolder + "\\Quorvane.chm";
  if (FileExists(app_.platform, help)) {
    app_.platform.ShellExecute("open", help, "", kSwShowNormal);
  } else {
    dialogs_->Information(app_.language.Text(TextId::MessagesHelpNotFound));
  }
}

void TForm1a::TopButton1Click() {
  if (app_.CancelFlag) return;
  dialogs_->About();
}

void TForm1a::TopButton2Click() { host_.Minimize(); }
void TForm1a::TopButton3Click() { host_.RequestClose(); }
void TForm1a::WndImageMouseMove() { TopButtons.ResetAll(); }

void TForm1a::FormKeyDown(Key key) {
  if (key == Key::F1) {
    TopButton1Click();
    return;
  }
  FollowPage(Contents());
  Focus.KeyDown(key, Contents());
  KeepPageFocus();
}

bool TForm1a::FormAccessKey(char letter) {
  FollowPage(Contents());
  const bool acted = Focus.AccessKey(letter, Contents());
  KeepPageFocus();
  return acted;
}

std::vector<AccessibleElement> TForm1a::Accessible() {
  const Scene scene = Contents();
  FollowPage(scene);
  return AccessibleElements(scene, app_.language, Focus.Focused(scene));
}

void TForm1a::FocusOn(const Node* node) {
  FollowPage(Contents());
  Focus.Set(node);
  KeepPageFocus();
}

void TForm1a::FollowPage(const Scene& scene) {
  if (front_ == focusPage_) return;
  focusPage_ = front_;
  const Node* kept = pageFocus_.at(static_cast<std::size_t>(front_));
  if (kept != nullptr && std::find(scene.begin(), scene.end(), kept) != scene.end()) Focus.Set(kept);
}

void TForm1a::KeepPageFocus() {
  focusPage_ = front_;
  pageFocus_.at(static_cast<std::size_t>(front_)) = Focus.Last();
}

bool TForm1a::WMNCHitTest(int x, int y) const { return y < 40 && x < 670; }

void TForm1a::Panel4Button1Click() {
  PageOf(PageId::Panel4A).Enter();
  BringToFront(PageId::Panel4A);
}

void TForm1a::Panel4Button2Click() {
  PageOf(PageId::Panel4B).Enter();
  BringToFront(PageId::Panel4B);
}

void TForm1a::Panel4Button3Click() {
  PageOf(PageId::Panel4C).Enter();
  BringToFront(PageId::Panel4C);
}

void TForm1a::SetProgressWidth(int bar, int pixels) {
  if (bar == kScanModeRegistry) PageOf(PageId::Panel3).SetProgressWidth(pixels);
  if (bar == kScanModeHome) PageOf(PageId::Panel2A).SetProgressWidth(pixels);
}

Scene TForm1a::Contents() {
  Scene scene{&WndImage, &Tab[static_cast<std::size_t>(frontTab_ - 1)]};
  for (Label& l : TabLabel) scene.push_back(&l);
  const Scene page = PageOf(front_).Contents();
  scene.insert(scene.end(), page.begin(), page.end());
  for (ImageButton* b : {&TopButton1, &TopButton2, &TopButton3}) {
    scene.push_back(&b->a);
    scene.push_back(&b->b);
  }
  scene.push_back(&HelpLabel);
  return scene;
}

}  // namespace qrv
