#include "registry_scan/registry_page.h"

#include "core/language_styles.h"
#include "dialogs/message_dialogs.h"
#include "registry_scan/scan_context.h"

namespace qrv {

namespace {

constexpr int kFirstRowTop = 72;
constexpr int kRowPitch = 27;

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

}  // namespace

RegistryPage::RegistryPage(MainWindow& window) : Page("Panel3"), window_(window) {
  const LanguageTable& language = window.App().language;
  const LanguageStyle& style = StyleOf(window.App().LanguageNumber);
  const int rowSize = style.registryRow;
  const int statusSize = style.registryStatus;
  const int buttonSize = style.registryButton;

  Panel3Label11A.name = "Panel3Label11A";
  Panel3Label11A.r = PageBounds(20, 10, 520, 26);
  Panel3Label11A.text = language.Text(TextId::Action3Registry);
  Panel3Label11A.font = {14, true, false};
  Panel3Label11B.name = "Panel3Label11B";
  Panel3Label11B.r = PageBounds(22, 42, 440, 18);
  Panel3Label11B.font = {statusSize, false, false};
  Panel3Label11C.name = "Panel3Label11C";
  Panel3Label11C.r = PageBounds(400, 42, 296, 18);
  Panel3Label11C.align = Align::Right;
  Panel3Label11C.font = {statusSize, true, false};

  for (int i = 0; i < kRegistryCategories; ++i) {
    const auto n = static_cast<std::size_t>(i);
    const int top = kFirstRowTop + kRowPitch * i;
    Label& caption = CaptionLabels[n];
    caption.name = "Panel3Label" + TwoDigits(i + 1) + "A";
    caption.r = PageBounds(62, top, 330, 22);
    caption.text = RegistryCategoryCaption(language, i + 1);
    caption.font = {rowSize, false, false};
    Label& result = ResultLabels[n];
    result.name = "Panel3Label" + TwoDigits(i + 1) + "B";
    result.r = PageBounds(430, top, 266, 22);
    result.font = {rowSize, true, false};
    result.onClick = [this, i] { Panel3FoundLabelClick(i + 1); };
    Picture& icon = WarningIcons[n];
    icon.name = "Panel3Image" + TwoDigits(i + 1);
    icon.image = "warning";
    icon.r = PageBounds(404, top + 2, 16, 16);
  }
  Panel3ProgressBar1A.name = "Panel3ProgressBar1A";
  Panel3ProgressBar1A.image = "progress_track";
  Panel3ProgressBar1A.r = PageBounds(92, 346, 533, 12);
  Panel3ProgressBar1B.name = "Panel3ProgressBar1B";
  Panel3ProgressBar1B.image = "progress_fill";
  Panel3ProgressBar1B.r = PageBounds(92, 346, 0, 12);
  Panel3ProgressBar2.name = "Panel3ProgressBar2";
  Panel3ProgressBar2.image = "row_marker";
  Panel3ProgressBar2.r = PageBounds(36, kFirstRowTop, 16, 16);

  const Bounds place = PageBounds(296, 368, 123, 32);
  const auto make = [&](ImageButton& b, const char* name, TextId caption, std::function<void()> action) {
    ButtonGroup::Make(b, Buttons, name, place, "button", std::move(action));
    b.caption.text = language.Text(caption);
    b.caption.font = {buttonSize, true, false};
    b.caption.colour = kWhite;
  };
  make(Panel3Button1, "Panel3Button1", TextId::ButtonsScan, [this] { Panel3Button1Click(); });
  make(Panel3Button2, "Panel3Button2", TextId::ButtonsFix, [this] { Panel3Button2Click(); });
  make(Panel3Button3, "Panel3Button3", TextId::ButtonsCancel, [this] { Panel3Button3Click(); });
  Back.onMouseMove = [this] { Buttons.ResetAll(); };
  Panel3Enter();
}

std::string RegistryPage::CategoryCaption(int category) const {
  return RegistryCategoryCaption(window_.App().language, category);
}

void RegistryPage::SetResultStyle(Label& label, bool findings) {
  label.hand = findings;
  label.colour = findings ? kRed : kDarkGrey;
  label.font.bold = true;
  label.font.underline = findings;
}

void RegistryPage::Panel3Enter() {
  Panel3Label11B.text.clear();
  for (int i = 0; i < kRegistryCategories; ++i) {
    const auto n = static_cast<std::size_t>(i);
    ResultLabels[n].text.clear();
    SetResultStyle(ResultLabels[n], false);
    WarningIcons[n].visible = false;
  }
  Panel3ProgressBar1A.visible = false;
  Panel3ProgressBar1B.r.width = 0;
  Panel3ProgressBar2.visible = false;
  Panel3ProgressBar2.r.top = CaptionLabels[0].r.top;
  Panel3Button1.SetVisible(true);
  Panel3Button2.SetVisible(false);
  Panel3Button3.caption.text = window_.App().language.Text(TextId::ButtonsCancel);
  Panel3Button3.SetVisible(false);
  Panel3Label11C.text.clear();
  window_.SetHelpMode(HelpMode::Back);
}

void RegistryPage::SetResultLabel(int category) {
  AppState& app = window_.App();
  const std::size_t count = app.FindingList.at(static_cast<std::size_t>(category)).size();
  Label& label = ResultLabels.at(static_cast<std::size_t>(category - 1));
  label.text = std::to_string(count) + " " + app.language.Text(TextId::Action2ErrorsDetected);
  if (count > 0) {
    WarningIcons.at(static_cast<std::size_t>(category - 1)).visible = true;
    SetResultStyle(label, true);
  }
}

// The scan moves the page's status line, row marker, bar and counts.
class RegistryPage::Progress : public RegistryScanObserver {
 public:
  explicit Progress(RegistryPage& page) : page_(page) {}
  void CategoryStarted(int category) override {
    page_.Panel3Label11B.text = page_.CategoryCaption(category);
    page_.Panel3ProgressBar2.r.top = page_.CaptionLabels.at(static_cast<std::size_t>(category - 1)).r.top;
    page_.Panel3ProgressBar1B.r.width = 0;
    if (category == 1) page_.Panel3ProgressBar1A.visible = true;
  }
  void CheckStarted(int) override { page_.Panel3ProgressBar1B.r.width = 0; }
  void Counted(int category) override { page_.SetResultLabel(category); }

 private:
  RegistryPage& page_;
};

int RegistryPage::Total() const {
  return static_cast<int>(RegistryScan(window_.App(), window_.Scans()).Total());
}

void RegistryPage::Panel3Button1Click() {
  AppState& app = window_.App();
  Panel3Enter();
  Panel3ProgressBar2.visible = true;
  Panel3Button1.SetVisible(false);
  Panel3Button2.SetVisible(false);
  Panel3Button3.SetVisible(true);

  Progress progress(*this);
  RegistryScan scan(app, window_.Scans());
  scan.Run(&progress);
  stamp_ = scan.Stamp();

  Panel3ProgressBar1A.visible = false;
  Panel3ProgressBar1B.r.width = 0;
  Panel3ProgressBar2.visible = false;
  Panel3Label11B.text.clear();
  const int total = Total();
  Panel3Label11C.text = std::to_string(total) + " " + app.language.Text(TextId::Action2ErrorsDetected);
  if (total > 0) {
    Panel3Button1.SetVisible(false);
    Panel3Button2.SetVisible(true);
    Panel3Button3.SetVisible(false);
    return;
  }
  window_.Messages().Information(app.language.Text(TextId::Action2AllFixed));
  Panel3Button1.SetVisible(false);
  Panel3Button2.SetVisible(false);
  Panel3Button3.caption.text = app.language.Text(TextId::ButtonsClose);
  Panel3Button3.SetVisible(true);
}

void RegistryPage::Panel3Button3Click() {
  AppState& app = window_.App();
  if (app.CancelFlag) {
    if (window_.Messages().Confirm(app.language.Text(TextId::MessagesStop))) app.CancelFlag = false;
    return;
  }
  window_.Tab1Click();
}

bool RegistryPage::ResultsStillShown() {
  AppState& app = window_.App();
  if (app.HoldsResultsOf(ResultsOwner::Registry, stamp_)) return true;
  // Another page's scan has filled the lists since: nothing here is current.
  window_.Messages().Information(app.language.Text(TextId::MessagesResultsReplaced));
  Panel3Enter();
  return false;
}

void RegistryPage::Panel3FoundLabelClick(int category) {
  AppState& app = window_.App();
  if (app.CancelFlag || Total() == 0 || !ResultsStillShown()) return;
  const std::size_t ignored = window_.Messages().Details(
      app.language.Text(TextId::ButtonsDetails), app.language.Text(TextId::DetailsRegistryErrors), app.FindingList.at(static_cast<std::size_t>(category)),
      app.language.Text(TextId::ButtonsIgnore), [&app, category](std::size_t line) {
        return IgnoreFinding(app, category, line);
      });
  // A new scan leaves the ignored entries out of the lists and of the repair.
  if (ignored > 0) Panel3Button1Click();
}

void RegistryPage::Panel3Button2Click() {
  AppState& app = window_.App();
  if (app.CancelFlag || !ResultsStillShown()) return;
  const RegistryRepairResult result = RepairRegistry(app);
  lastRepair_ = result.repair;
  if (!result.Imported()) {
    // Nothing was imported: the findings stay, and Fix with them.
    window_.Messages().Information(app.language.Text(TextId::MessagesRepairFailed));
    return;
  }
  const std::string fixed = app.language.Text(TextId::Action2ProblemsFixed);
  for (int n = 1; n <= kRegistryCategories; ++n) {
    Label& label = ResultLabels.at(static_cast<std::size_t>(n - 1));
    label.text = std::to_string(result.counts.at(static_cast<std::size_t>(n))) + " " + fixed;
    SetResultStyle(label, false);
  }
  Panel3Label11C.text = std::to_string(result.total) + " " + fixed;
  Panel3Button1.SetVisible(false);
  Panel3Button2.SetVisible(false);
  Panel3Button3.caption.text = app.language.Text(TextId::ButtonsClose);
  Panel3Button3.SetVisible(true);
  if (!result.left.empty()) window_.Messages().Details(app.language.Text(TextId::MessagesEntriesLeft), result.left);
}

void RegistryPage::AddContents(Scene& scene) {
  scene.push_back(&Panel3Label11A);
  scene.push_back(&Panel3Label11B);
  scene.push_back(&Panel3Label11C);
  for (std::size_t i = 0; i < CaptionLabels.size(); ++i) {
    scene.push_back(&CaptionLabels[i]);
    scene.push_back(&WarningIcons[i]);
    scene.push_back(&ResultLabels[i]);
  }
  scene.push_back(&Panel3ProgressBar2);
  scene.push_back(&Panel3ProgressBar1A);
  scene.push_back(&Panel3ProgressBar1B);
  AddButton(scene, Panel3Button1);
  AddButton(scene, Panel3Button2);
  AddButton(scene, Panel3Button3);
}

}  // namespace qrv
