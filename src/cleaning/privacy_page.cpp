#include "cleaning/privacy_page.h"

#include "core/scan_host.h"
#include "dialogs/message_dialogs.h"
#include "registry_scan/scan_context.h"
#include "engine/file_ops.h"

namespace qrv {

namespace {

constexpr int kFirstRowTop = 84;
constexpr int kRowPitch = 40;

std::size_t Index(int row) { return static_cast<std::size_t>(row - 1); }

void SetResultStyle(Label& label, bool items) {
  label.hand = items;
  label.colour = items ? kRed : kDarkGrey;
  label.font.bold = true;
  label.font.underline = items;
}

}  // namespace

PrivacyPage::PrivacyPage(MainWindow& window) : Page("Panel4A"), window_(window) {
  const LanguageTable& language = window.App().language;
  Panel4ALabel1A.name = "Panel4ALabel1A";
  Panel4ALabel1A.r = PageBounds(20, 10, 520, 26);
  Panel4ALabel1A.text = language.Text(TextId::Action4Cleanup);
  Panel4ALabel1A.font = {14, true, false};
  Panel4ALabel1B.name = "Panel4ALabel1B";
  Panel4ALabel1B.r = PageBounds(22, 42, 440, 18);
  Panel4ALabel1B.font = {9, false, false};
  Panel4ALabel2.name = "Panel4ALabel2";
  Panel4ALabel2.r = PageBounds(400, 42, 296, 18);
  Panel4ALabel2.align = Align::Right;
  Panel4ALabel2.font = {9, true, false};
  Panel4ALabel3.name = "Panel4ALabel3";
  // Wide enough for the sentence naming the browsers a scan skipped.
  Panel4ALabel3.r = PageBounds(22, 300, 674, 18);
  Panel4ALabel3.font = {9, false, false};
  for (int row = 1; row <= kPrivacyRows; ++row) {
    const std::size_t n = Index(row);
    const int top = kFirstRowTop + kRowPitch * (row - 1);
    Label& caption = CaptionLabels[n];
    caption.name = "Panel4ALabel" + std::to_string(row + 3) + "A";
    caption.r = PageBounds(92, top, 300, 22);
    caption.text = PrivacyRowCaption(language, row) + " .....";
    caption.font = {11, false, false};
    caption.hand = true;
    caption.onClick = [this, row] { Panel4ALabelAClick(row); };
    Label& result = ResultLabels[n];
    result.name = "Panel4ALabel" + std::to_string(row + 3) + "B";
    result.r = PageBounds(420, top, 276, 22);
    result.font = {11, true, false};
    result.onClick = [this, row] { Panel4AFoundLabelClick(row); };
    TickBox& check = Checks[n];
    check.box.name = "Panel4ACheck" + std::to_string(row);
    check.box.r = PageBounds(62, top + 2, 16, 16);
    check.box.hand = true;
    check.box.onClick = [this, row] { Panel4ALabelAClick(row); };
    Picture& icon = Icons[n];
    icon.name = "Panel4AImage" + std::to_string(row);
    icon.image = "warning";
    icon.r = PageBounds(396, top + 2, 16, 16);
  }
  Panel4AProgressBar1A.name = "Panel4AProgressBar1A";
  Panel4AProgressBar1A.image = "progress_track";
  Panel4AProgressBar1A.r = PageBounds(92, 346, 533, 12);
  Panel4AProgressBar1B.name = "Panel4AProgressBar1B";
  Panel4AProgressBar1B.image = "progress_fill";
  Panel4AProgressBar1B.r = PageBounds(92, 346, 0, 12);
  Panel4AProgressBar2.name = "Panel4AProgressBar2";
  Panel4AProgressBar2.image = "row_marker";
  Panel4AProgressBar2.r = PageBounds(36, kFirstRowTop, 16, 16);
  AnimationArea.name = "Panel4AGifArea";
  AnimationArea.r = PageBounds(92, 326, 533, 34);
  AnimationArea.fill = kAnimationBack;
  AnimationArea.visible = false;
  Panel4AGifImage.name = "Panel4AGifImage";
  Panel4AGifImage.r = AnimationArea.r;
  Panel4AGifImage.visible = false;

  const Bounds place = PageBounds(296, 368, 123, 32);
  const auto make = [&](ImageButton& b, const char* name, TextId caption, std::function<void()> action) {
    ButtonGroup::Make(b, Buttons, name, place, "button", std::move(action));
    b.caption.text = language.Text(caption);
    b.caption.font = {11, true, false};
    b.caption.colour = kWhite;
  };
  make(Panel4AButton1, "Panel4AButton1", TextId::ButtonsScan, [this] { Panel4AButton1Click(); });
  make(Panel4AButton2, "Panel4AButton2", TextId::ButtonsClean, [this] { Panel4AButton2Click(); });
  make(Panel4AButton3, "Panel4AButton3", TextId::ButtonsCancel, [this] { Panel4AButton3Click(); });
  Back.onMouseMove = [this] { Buttons.ResetAll(); };
  Panel4AEnter();
}

PrivacyRows PrivacyPage::Ticked() const {
  PrivacyRows rows{};
  for (int row = 1; row <= kPrivacyRows; ++row) rows[static_cast<std::size_t>(row)] = Checks[Index(row)].checked;
  return rows;
}

std::size_t PrivacyPage::Total() const {
  std::size_t total = 0;
  for (int row = 1; row <= kPrivacyRows; ++row) total += window_.App().Slot(PrivacyRowSlot(row)).size();
  return total;
}

void PrivacyPage::ResetRows(bool keepTicks) {
  const LanguageTable& language = window_.App().language;
  Panel4ALabel1B.text = language.Text(TextId::Action4ClickScan);
  Panel4ALabel1B.visible = true;
  Panel4ALabel2.visible = false;
  Panel4ALabel3.text.clear();
  for (int row = 1; row <= kPrivacyRows; ++row) {
    const std::size_t n = Index(row);
    ResultLabels[n].text.clear();
    SetResultStyle(ResultLabels[n], false);
    Icons[n].visible = false;
    if (!keepTicks) Checks[n].Set(true);
  }
  Panel4AProgressBar1A.visible = false;
  Panel4AProgressBar1B.r.width = 0;
  Panel4AProgressBar2.visible = false;
  Panel4AProgressBar2.r.top = CaptionLabels[0].r.top;
  Panel4AButton1.SetVisible(true);
  Panel4AButton2.SetVisible(false);
  Panel4AButton3.SetVisible(false);
}

void PrivacyPage::Panel4AEnter() {
  ResetRows(false);
  SetChecksVisible(true);
  window_.SetHelpMode(HelpMode::Back);
}

void PrivacyPage::SetChecksVisible(bool visible) {
  for (TickBox& check : Checks) check.box.visible = visible;
}

void PrivacyPage::PlayAnimation(bool play) { ShowAnimation(window_.App(), AnimationArea, Panel4AGifImage, play); }

void PrivacyPage::SetResult(int row, TextId what, std::size_t count) {
  Label& label = ResultLabels[Index(row)];
  label.text = std::to_string(count) + " " + window_.App().language.Text(what);
  if (count > 0) Icons[Index(row)].visible = true;
}

// The scan moves the status line and the row marker and fills the result lines.
class PrivacyPage::Progress : public PrivacyObserver {
 public:
  explicit Progress(PrivacyPage& page) : page_(page) {}
  void RowStarted(int row) override {
    page_.Panel4ALabel3.text = PrivacyRowCaption(page_.window_.App().language, row);
    page_.Panel4AProgressBar2.r.top = page_.CaptionLabels[Index(row)].r.top;
  }
  void Counted(int row) override {
    const TextId what = row == 3 ? TextId::Action2ItemsFound
                        : row == 5 ? TextId::Action2ErrorsDetected
                                   : TextId::Action2FilesFound;
    page_.SetResult(row, what, page_.window_.App().Slot(PrivacyRowSlot(row)).size());
  }

 private:
  PrivacyPage& page_;
};

void PrivacyPage::Panel4AButton1Click() {
  AppState& app = window_.App();
  const PrivacyRows rows = Ticked();
  if (rows == PrivacyRows{}) {
    window_.Messages().Information(app.language.Text(TextId::Action7Message1));
    return;
  }
  ResetRows(true);
  SetChecksVisible(false);
  Panel4AProgressBar2.visible = true;
  Panel4AButton1.SetVisible(false);
  Panel4AButton2.SetVisible(false);
  Panel4AButton3.caption.text = app.language.Text(TextId::ButtonsCancel);
  Panel4AButton3.SetVisible(true);
  Panel4ALabel1B.visible = false;
  PlayAnimation(true);

  Progress progress(*this);
  PrivacyScan scan(app, window_.Scans());
  scan.Run(rows, &progress);
  stamp_ = scan.Stamp();

  PlayAnimation(false);
  for (int row = 1; row <= kPrivacyRows; ++row)
    if (!app.Slot(PrivacyRowSlot(row)).empty()) SetResultStyle(ResultLabels[Index(row)], true);
  SetChecksVisible(true);
  Panel4ALabel2.text = app.language.Text(TextId::Action2Total) + ": " + std::to_string(Total()) + " " +
                       app.language.Text(TextId::Action2FilesFound);
  Panel4ALabel2.visible = true;
  Panel4ALabel1B.text = app.language.Text(TextId::Action4ClickClean);
  Panel4ALabel1B.visible = true;
  // A browser that was running is named until the next scan: its cache was left out.
  Panel4ALabel3.text = SkippedBrowsersText(app.language, scan.SkippedBrowsers());
  Panel4AProgressBar1B.r.width = 0;
  Panel4AProgressBar2.visible = false;
  Panel4AButton3.SetVisible(false);
  Panel4AButton1.SetVisible(false);
  Panel4AButton2.SetVisible(true);
}

void PrivacyPage::Panel4AButton2Click() {
  AppState& app = window_.App();
  const LanguageTable& language = app.language;
  const auto close = [&] {
    Panel4AButton1.SetVisible(false);
    Panel4AButton2.SetVisible(false);
    Panel4AButton3.caption.text = language.Text(TextId::ButtonsClose);
    Panel4AButton3.SetVisible(true);
  };
  if (!app.HoldsResultsOf(ResultsOwner::Privacy, stamp_)) {
    // Another page's scan has filled the lists since.
    window_.Messages().Information(language.Text(TextId::MessagesResultsReplaced));
    Panel4AEnter();
    return;
  }
  if (Total() == 0) {
    window_.Messages().Information(language.Text(TextId::Action2AllFixed));
    close();
    return;
  }
  const PrivacyRows rows = Ticked();
  if (rows == PrivacyRows{}) {
    window_.Messages().Information(language.Text(TextId::Action7Message1));
    return;
  }
  Panel4ALabel1B.visible = false;
  Panel4ALabel2.visible = false;
  PlayAnimation(true);
  SetChecksVisible(false);
  Panel4AButton1.SetVisible(false);
  Panel4AButton2.SetVisible(false);
  Panel4AButton3.caption.text = language.Text(TextId::ButtonsCancel);
  Panel4AButton3.SetVisible(true);

  lastClean_ = CleanPrivacy(app, window_.Scans(), rows);
  PlayAnimation(false);
  SetChecksVisible(true);
  if (lastClean_.outcome != PrivacyCleanOutcome::Cleaned) {
    // Nothing was deleted: the lists stay, and Clean with them.
    window_.Messages().Information(language.Text(TextId::MessagesRepairFailed));
    Panel4AButton3.SetVisible(false);
    Panel4AButton2.SetVisible(true);
    return;
  }
  for (int row = 1; row <= kPrivacyRows; ++row) {
    Label& label = ResultLabels[Index(row)];
    label.text = std::to_string(lastClean_.removed[static_cast<std::size_t>(row)]) + " " +
                 language.Text(TextId::Action4ItemsCleaned);
    SetResultStyle(label, false);
  }
  Panel4AProgressBar1B.r.width = 0;
  Panel4ALabel1B.text.clear();
  Panel4ALabel1B.visible = true;
  Panel4ALabel2.text = language.Text(TextId::Action2Total) + ": " + std::to_string(lastClean_.totalRemoved) + " " +
                       language.Text(TextId::Action4ItemsCleaned);
  Panel4ALabel2.visible = true;
  if (!lastClean_.left.empty())
    window_.Messages().Details(language.Text(TextId::MessagesEntriesLeft), lastClean_.left);
  window_.Messages().RebootNotice();
  close();
}

void PrivacyPage::Panel4AButton3Click() {
  AppState& app = window_.App();
  if (app.CancelFlag) {
    if (window_.Messages().Confirm(app.language.Text(TextId::MessagesStop))) app.CancelFlag = false;
    return;
  }
  window_.Tab1Click();
}

void PrivacyPage::Panel4ALabelAClick(int row) {
  if (window_.App().CancelFlag) return;
  TickBox& check = Checks[Index(row)];
  check.Set(!check.checked);
}

void PrivacyPage::Panel4AFoundLabelClick(int row) {
  AppState& app = window_.App();
  if (app.CancelFlag || Total() == 0) return;
  const FolderSet& f = app.folders;
  const std::string* folder = row == 1   ? &f.TmpFolder
                              : row == 2 ? &f.InternetCacheFolder
                              : row == 3 ? &f.HistoryFolder
                              : row == 4 ? &f.CookiesFolder
                                         : nullptr;
  if (folder != nullptr) {
    app.platform.ShellExecute("open", "explorer.exe", *folder, kSwShowNormal);
  } else if (!app.Slot(kSlotTempValues).empty() && !app.HoldsResultsOf(ResultsOwner::Privacy, stamp_)) {
    // Another page's scan has filled the lists since: shown, not acted on.
    window_.Messages().Details(app.language.Text(TextId::DetailsRegistryErrors), app.Slot(kSlotTempValues));
  } else if (!app.Slot(kSlotTempValues).empty()) {
    const std::size_t ignored = window_.Messages().Details(
        app.language.Text(TextId::ButtonsDetails), app.language.Text(TextId::DetailsRegistryErrors), app.Slot(kSlotTempValues),
        app.language.Text(TextId::ButtonsIgnore),
        [&app](std::size_t line) { return IgnoreFinding(app, kSlotTempValues, line); });
    // A new scan of the same rows leaves the ignored entries out of the lists and of the clean.
    if (ignored > 0) Panel4AButton1Click();
  }
}

void PrivacyPage::AddContents(Scene& scene) {
  for (Label* label : {&Panel4ALabel1A, &Panel4ALabel1B, &Panel4ALabel2, &Panel4ALabel3}) scene.push_back(label);
  for (std::size_t i = 0; i < CaptionLabels.size(); ++i) {
    scene.push_back(&Checks[i].box);
    scene.push_back(&CaptionLabels[i]);
    scene.push_back(&Icons[i]);
    scene.push_back(&ResultLabels[i]);
  }
  scene.push_back(&Panel4AProgressBar2);
  scene.push_back(&Panel4AProgressBar1A);
  scene.push_back(&Panel4AProgressBar1B);
  scene.push_back(&AnimationArea);
  scene.push_back(&Panel4AGifImage);
  AddButton(scene, Panel4AButton1);
  AddButton(scene, Panel4AButton2);
  AddButton(scene, Panel4AButton3);
}

}  // namespace qrv
