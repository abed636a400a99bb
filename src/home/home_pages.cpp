#include "home/home_pages.h"

#include "core/language_styles.h"
#include "core/settings.h"
#include "dialogs/message_dialogs.h"
#include "tools/schedule_dialog.h"
#include "tools/startup_dialogs.h"
#include "tools/tweak_view.h"

namespace qrv {

namespace {

constexpr Colour kBlack = 0;
constexpr Colour kGreen = 32768;
constexpr int kGap = 10;  // between a label and the one that follows it

const std::array<TextId, kHomeLines> kLineCaptions{TextId::Action1RegistryOptimization, TextId::Action1PrivacyFiles,
                                                   TextId::Action1JunkFiles, TextId::Action1StartupOptimization,
                                                   TextId::Action1PerformanceBoost};
const std::array<TextId, kHomePhases> kPhaseCaptions{TextId::ScanningItem1, TextId::ScanningItem2,
                                                     TextId::ScanningItem3, TextId::ScanningItem4,
                                                     TextId::ScanningItem5};
const std::array<TextId, kSummaryGroups> kDetails{TextId::DetailsRegistryErrors,  TextId::DetailsTempRegistryValues,
                                                  TextId::DetailsTempFiles,       TextId::DetailsWebPages,
                                                  TextId::DetailsInternetCookies, TextId::DetailsResidualFiles,
                                                  TextId::DetailsInvalidShortcuts};

std::size_t At(int oneBased) { return static_cast<std::size_t>(oneBased - 1); }

void MakeLink(Label& label, int size) {
  label.font = {size, true, true};
  label.hand = true;
}

void MakeButton(ImageButton& button, ButtonGroup& group, const char* name, Bounds place, const char* image,
                std::string caption, int size, std::function<void()> action) {
  ButtonGroup::Make(button, group, name, place, image, std::move(action));
  button.caption.text = DisplayCaption(caption);
  button.caption.font = {size, true, false};
  button.caption.colour = kWhite;
}

// The animation's area shows only while it plays: a stopped one leaves the
// page white.
void Play(const AppState& app, Panel& area, Animation& gif, bool play) {
  ShowAnimation(app, area, gif, play);
  area.visible = play;
}

}  // namespace

std::string DisplayCaption(const std::string& text) {
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    shown += text[i];
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') ++i;
  }
  return shown;
}

void ShowTweaksDialog(MainWindow& window) {
  TForm1c form(window.App(), window.Messages());
  window.Runner().RunModal(form);
}

void ShowStartupManager(MainWindow& window) {
  TForm1d form(window.App(), window.Messages(), window.Runner(), window.Scans(),
               [&window](const std::string& filter) { return window.ChooseFileToOpen(filter); });
  window.Runner().RunModal(form);
}

void ShowScheduleDialog(MainWindow& window) {
  TForm4 form(window.App());
  window.Runner().RunModal(form);
}

// ------------------------------------------------------------------ Home

HomePage::HomePage(MainWindow& window, ScanPage& scan) : Page("Panel1"), window_(window), scan_(scan) {
  const LanguageTable& language = window.App().language;
  const LanguageStyle& style = StyleOf(window.App().LanguageNumber);
  const int lineSize = style.homeLine;
  const int startSize = style.homeStart;

  Panel1Label1.name = "Panel1Label1";
  Panel1Label1.r = PageBounds(20, 14, 480, 30);
  Panel1Label1.text = language.Text(TextId::Action1Welcome);
  Panel1Label1.font = {16, true, false};
  Panel1Label2.name = "Panel1Label2";
  Panel1Label2.r = PageBounds(22, 50, 470, 36);
  Panel1Label2.text = language.Text(TextId::Action1ClickStart);
  Panel1Label2.font = {10, false, false};
  Panel1Label2.wrap = true;
  Panel1Label3.name = "Panel1Label3";
  Panel1Label3.r = PageBounds(40, 108, 400, 24);
  Panel1Label3.text = language.Text(TextId::Action1Status);
  Panel1Label3.font = {13, true, false};

  for (int line = 1; line <= kHomeLines + 1; ++line) {
    const int top = line <= kHomeLines ? 146 + 38 * (line - 1) : 348;
    Label& caption = Captions[At(line)];
    caption.name = "Panel1Label" + std::to_string(line + 3) + "a";
    caption.r = PageBounds(60, top, 350, 22);
    caption.text = line <= kHomeLines ? language.Text(kLineCaptions[At(line)])
                                      : language.Text(TextId::ScheduleScheduledScan);
    MakeLink(caption, lineSize);
    caption.onClick = [this, line] { Panel1LabelClick(line); };
    Label& status = Statuses[At(line)];
    status.name = "Panel1Label" + std::to_string(line + 3) + "b";
    status.r = PageBounds(420, top, 280, 22);
    status.font = {lineSize, false, false};
  }
  // The schedule's status follows its caption.
  Label& schedule = Captions[At(kHomeLines + 1)];
  schedule.r.width = window.Measure().Width(schedule.text, schedule.font);
  Statuses[At(kHomeLines + 1)].r.left = schedule.r.Right() + kGap;
  Statuses[At(kHomeLines + 1)].font.bold = true;
  Panel1Label9c.name = "Panel1Label9c";
  Panel1Label9c.r = PageBounds(0, 348, 0, 22);
  Panel1Label9c.text = language.Text(TextId::ScheduleChangeSettings);
  MakeLink(Panel1Label9c, lineSize);
  Panel1Label9c.font.bold = false;
  Panel1Label9c.r.width = window.Measure().Width(Panel1Label9c.text, Panel1Label9c.font);
  Panel1Label9c.onClick = [this] { Panel1Label9cClick(); };

  for (int n = 1; n <= kHomeLines; ++n) {
    Picture& gauge = Gauges[At(n)];
    gauge.name = "Panel1Gauge" + std::to_string(n);
    gauge.image = "gauge" + std::to_string(n);
    gauge.r = PageBounds(530, 10, 160, 100);
  }
  MakeButton(Panel1Button1, Buttons, "Panel1Button1", PageBounds(516, 340, 180, 44), "button_start",
             language.Text(TextId::ButtonsStartScan), startSize, [this] { Panel1Button1Click(); });
  Back.onMouseMove = [this] { Buttons.ResetAll(); };
  Panel1Enter();
}

void HomePage::Panel1Enter() {
  AppState& app = window_.App();
  const LanguageTable& language = app.language;
  int dated = 0;
  for (int line = 1; line <= kHomeLines; ++line) {
    Label& status = Statuses[At(line)];
    if (const auto when = settings::Read(app.platform, settings::kRunDate[line - 1])) {
      status.text = language.Text(TextId::Action1LastRun) + " " + app.platform.ShortDate(*when);
      status.colour = kBlack;
      ++dated;
    } else {
      status.text = language.Text(TextId::Action1NeverRun);
      status.colour = kRed;
    }
  }
  ShowSchedule();
  frontGauge_ = dated <= 1 ? 5 : 6 - dated;
  for (int n = 1; n <= kHomeLines; ++n) Gauges[At(n)].visible = n == frontGauge_;
  Panel1Button1.SetVisible(true);
}

void HomePage::ShowSchedule() {
  AppState& app = window_.App();
  Label& status = Statuses[At(kHomeLines + 1)];
  const bool on = settings::Read(app.platform, settings::kScheduleOn);
  status.text = app.language.Text(on ? TextId::Action1On : TextId::Action1Off);
  status.colour = on ? kBlack : kRed;
  status.r.width = window_.Measure().Width(status.text, status.font);
  Panel1Label9c.r.left = status.r.Right() + kGap;
}

void HomePage::Panel1LabelClick(int line) {
  if (window_.App().CancelFlag) return;
  switch (line) {
    case 1: window_.TabClick(2); return;
    case 2:
    case 3: window_.TabClick(3); return;
    case 4: ShowStartupManager(window_); return;
    case 5:
      ShowTweaksDialog(window_);
      Panel1Enter();  // an Apply there dates line 5
      return;
    default:
      ShowScheduleDialog(window_);
      ShowSchedule();
      return;
  }
}

void HomePage::Panel1Label9cClick() { Panel1LabelClick(kHomeLines + 1); }

void HomePage::Panel1Button1Click() {
  if (window_.App().CancelFlag) return;
  scan_.RunScan();
}

void HomePage::AddContents(Scene& scene) {
  scene.push_back(&Panel1Label1);
  scene.push_back(&Panel1Label2);
  scene.push_back(&Panel1Label3);
  for (std::size_t i = 0; i < Captions.size(); ++i) {
    scene.push_back(&Captions[i]);
    scene.push_back(&Statuses[i]);
  }
  scene.push_back(&Panel1Label9c);
  for (Picture& gauge : Gauges) scene.push_back(&gauge);
  AddButton(scene, Panel1Button1);
}

// ------------------------------------------------------------- scanning

ScanPage::ScanPage(MainWindow& window, SummaryPage& summary) : Page("Panel2A"), window_(window), summary_(summary) {
  const LanguageTable& language = window.App().language;
  const LanguageStyle& style = StyleOf(window.App().LanguageNumber);
  const int phaseSize = style.scanPhase;
  const int stepSize = style.scanStep;

  Panel2ALabel3.name = "Panel2ALabel3";
  Panel2ALabel3.r = PageBounds(20, 10, 520, 28);
  Panel2ALabel3.text = language.Text(TextId::Action1Scanning) + " ...";
  Panel2ALabel3.font = {14, true, false};
  for (int phase = 1; phase <= kHomePhases; ++phase) {
    const int top = 62 + 38 * (phase - 1);
    const std::string row = std::to_string(phase + 3);
    Label& caption = Captions[At(phase)];
    caption.name = "Panel2ALabel" + row + "A";
    caption.r = PageBounds(62, top, 380, 22);
    caption.text = language.Text(kPhaseCaptions[At(phase)]) + " .....";
    caption.font = {phaseSize, false, false};
    Label& result = Results[At(phase)];
    result.name = "Panel2ALabel" + row + "B";
    result.r = PageBounds(478, top, 226, 22);
    result.font = {phaseSize, true, false};
    Picture& icon = Icons[At(phase)];
    icon.name = "Panel2AImage" + row;
    icon.image = phase == kHomePhases ? "info" : "warning";
    icon.r = PageBounds(452, top + 2, 16, 16);
  }
  Panel2ALabel1.name = "Panel2ALabel1";
  Panel2ALabel1.r = PageBounds(62, 262, 400, 26);
  Panel2ALabel1.font = {stepSize, true, false};
  Panel2ALabel2.name = "Panel2ALabel2";
  Panel2ALabel2.r = PageBounds(478, 262, 226, 26);
  Panel2ALabel2.font = {stepSize, true, false};
  Panel2AProgressBar1A.name = "Panel2AProgressBar1A";
  Panel2AProgressBar1A.image = "progress_track";
  Panel2AProgressBar1A.r = PageBounds(92, 300, 533, 12);
  Panel2AProgressBar1B.name = "Panel2AProgressBar1B";
  Panel2AProgressBar1B.image = "progress_fill";
  Panel2AProgressBar1B.r = PageBounds(92, 300, 0, 12);
  Panel2AProgressBar2.name = "Panel2AProgressBar2";
  Panel2AProgressBar2.image = "row_marker";
  Panel2AProgressBar2.r = PageBounds(36, 64, 16, 16);
  AnimationArea.name = "Panel2AGifArea";
  AnimationArea.r = PageBounds(208, 330, 300, 16);
  Panel2AGifImage.name = "Panel2AGifImage";
  Panel2AGifImage.r = AnimationArea.r;
  MakeButton(Panel2AButton1, Buttons, "Panel2AButton1", PageBounds(296, 366, 123, 32), "button",
             language.Text(TextId::ButtonsCancel), style.scanCancel, [this] { CancelButtonClick(); });
  Back.onMouseMove = [this] { Buttons.ResetAll(); };
  Prepare();
}

void ScanPage::Prepare() {
  Panel2ALabel1.text.clear();
  Panel2ALabel2.text.clear();
  Panel2ALabel2.colour = kDarkGrey;
  for (int phase = 1; phase <= kHomePhases; ++phase) {
    Results[At(phase)].text.clear();
    Results[At(phase)].colour = kDarkGrey;
    Icons[At(phase)].visible = false;
  }
  Panel2AProgressBar1A.visible = false;
  Panel2AProgressBar1B.r.width = 0;
  Panel2AProgressBar2.r.top = Captions[0].r.top + 2;
  Panel2AProgressBar2.visible = false;
  Play(window_.App(), AnimationArea, Panel2AGifImage, false);
}

void ScanPage::SetPhaseResult(int phase, std::size_t total, TextId what, bool found) {
  const LanguageTable& language = window_.App().language;
  Label& result = Results[At(phase)];
  result.text = std::to_string(total) + " " + language.Text(what);
  Panel2ALabel2.text = std::to_string(total) + " " + language.Text(TextId::Action2ErrorsDetected);
  if (found) {
    Icons[At(phase)].visible = true;
    result.colour = Panel2ALabel2.colour = kRed;
  }
}

// The scan moves the marker, the step line and the phases' results.
class ScanPage::Progress : public HomeScanObserver {
 public:
  explicit Progress(ScanPage& page) : page_(page), app_(page.window_.App()) {}
  void PhaseStarted(int phase) override {
    phase_ = phase;
    page_.Panel2AProgressBar2.r.top = page_.Captions[At(phase)].r.top + 2;
    page_.Panel2ALabel2.text.clear();
    page_.Panel2ALabel2.colour = kDarkGrey;
    if (phase > 1) page_.Panel2ALabel1.text = app_.language.Text(kPhaseCaptions[At(phase)]);
  }
  void StepStarted(int) override { page_.Panel2ALabel2.text.clear(); }
  void CategoryStarted(int category) override {
    category_ = category;
    page_.Panel2ALabel1.text = RegistryCategoryCaption(app_.language, category);
  }
  void Counted(int category) override { category_ = category; }
  void PhaseCounted(int phase) override {
    if (phase == 1) {
      std::size_t sum = 0;
      for (int n = kSlotFirstRegistry; n <= kSlotLastRegistry; ++n) sum += app_.Slot(n).size();
      page_.SetPhaseResult(1, sum, TextId::Action2ErrorsDetected, sum > 0);
      // The step line counts the category being checked.
      page_.Panel2ALabel2.text = std::to_string(app_.Slot(category_).size()) + " " +
                                 app_.language.Text(TextId::Action2ErrorsDetected);
      return;
    }
    std::size_t total = 0;
    TextId what = TextId::Action2FilesFound;
    if (phase == 2) {
      total = app_.Slot(kSlotTempFiles).size() + app_.Slot(kSlotWebPages).size() + app_.Slot(kSlotCookies).size();
    } else if (phase == 3) {
      total = app_.Slot(kSlotResidualFiles).size();
    } else if (phase == 4) {
      total = app_.Slot(kSlotShortcuts).size();
      what = TextId::Action2ErrorsDetected;
    } else {
      total = app_.StartupCount;
      what = TextId::Action2FixAction9c;
    }
    page_.SetPhaseResult(phase, total, what, phase < kHomePhases && total > 0);
    if (phase == kHomePhases) {
      page_.Icons[At(phase)].visible = true;  // always: the count is information
      page_.Panel2ALabel2.text = page_.Results[At(phase)].text;
    }
  }

 private:
  ScanPage& page_;
  AppState& app_;
  int phase_ = 0;
  int category_ = 1;
};

void ScanPage::RunScan() {
  AppState& app = window_.App();
  Prepare();
  Panel2AProgressBar1A.visible = true;
  Play(app, AnimationArea, Panel2AGifImage, true);
  window_.BringToFront(PageId::Panel2A);
  Panel2AProgressBar2.visible = true;
  Panel2AButton1.SetVisible(true);

  Progress progress(*this);
  HomeScan scan(app, window_.Scans());
  scan.Run(&progress);
  summary_.NewScan(scan.Stamp());

  Panel2AProgressBar1A.visible = false;
  Panel2AProgressBar2.visible = false;
  Play(app, AnimationArea, Panel2AGifImage, false);
  summary_.Panel2BEnter();
  window_.BringToFront(PageId::Panel2B);
}

void ScanPage::CancelButtonClick() {
  AppState& app = window_.App();
  if (app.CancelFlag && window_.Messages().Confirm(app.language.Text(TextId::MessagesStop))) app.CancelFlag = false;
}

void ScanPage::AddContents(Scene& scene) {
  scene.push_back(&Panel2ALabel3);
  for (std::size_t i = 0; i < Captions.size(); ++i) {
    scene.push_back(&Captions[i]);
    scene.push_back(&Icons[i]);
    scene.push_back(&Results[i]);
  }
  scene.push_back(&Panel2ALabel1);
  scene.push_back(&Panel2ALabel2);
  scene.push_back(&Panel2AProgressBar2);
  scene.push_back(&Panel2AProgressBar1A);
  scene.push_back(&Panel2AProgressBar1B);
  scene.push_back(&AnimationArea);
  scene.push_back(&Panel2AGifImage);
  AddButton(scene, Panel2AButton1);
}

// -------------------------------------------------------------- summary

SummaryPage::SummaryPage(MainWindow& window) : Page("Panel2B"), window_(window) {
  const LanguageTable& language = window.App().language;
  const int repairSize = StyleOf(window.App().LanguageNumber).summaryRepair;

  Panel2BWarningImage.name = "Panel2BWarningImage";
  Panel2BWarningImage.image = "warning_large";
  Panel2BWarningImage.r = PageBounds(20, 12, 32, 32);
  Panel2BActionLabelA.name = "Panel2BActionLabelA";
  Panel2BActionLabelA.r = PageBounds(62, 16, 600, 26);
  Panel2BActionLabelA.font = {14, true, false};
  Panel2BActionLabelB.name = "Panel2BActionLabelB";
  Panel2BActionLabelB.r = PageBounds(62, 16, 500, 26);
  Panel2BActionLabelB.font = {14, true, false};
  Panel2BActionLabelB.colour = kRed;

  for (int line = 1; line <= kSummaryLines; ++line) {
    const int top = 62 + 32 * (line - 1);
    const std::string n = std::to_string(line);
    const bool group = line <= kSummaryGroups;
    TickBox& check = Checks[At(line)];
    check.box.name = "Panel2BCheck" + n;
    check.box.r = PageBounds(30, top + 2, 16, 16);
    check.caption.visible = false;
    check.Set(!group);
    if (group) {
      check.box.hand = true;
      check.box.onClick = [this, line] { Panel2BCheckClick(line); };
    }
    Picture& icon = Icons[At(line)];
    icon.name = "Panel2BImage" + n;
    icon.image = group ? "warning" : "info";
    icon.r = PageBounds(56, top + 2, 16, 16);
    Label& text = Texts[At(line)];
    text.name = group ? "Panel2BLabel" + n + "B" : "Panel2BLabel" + n + "A";
    text.r = PageBounds(82, top, 400, 22);
    text.font = {11, false, false};
    Label& link = Links[At(line)];
    link.name = group ? "Panel2BLabel" + n + "C" : "Panel2BLabel" + n + "B";
    link.r = PageBounds(0, top, 0, 22);
    link.text = language.Text(line == kSummaryLines ? TextId::Action2FixAction9b : TextId::Action2MoreInfo);
    MakeLink(link, 10);
    link.font.bold = false;
    link.r.width = window.Measure().Width(link.text, link.font);
    if (group) {
      Label& count = Counts[At(line)];
      count.name = "Panel2BLabel" + n + "A";
      count.r = PageBounds(82, top, 0, 22);
      count.font = {11, true, false};
      link.onClick = [this, line] { Panel2BLabel1Click(line); };
      check.box.labelledBy = {&count, &text};
    }
  }
  Links[At(8)].onClick = [this] { Panel2BLabel8Click(); };
  Links[At(9)].onClick = [this] { Panel2BLabel9Click(); };
  Texts[At(8)].text = language.Text(TextId::Action2FixAction8);
  PlaceAfter(Links[At(8)], Texts[At(8)]);

  AnimationArea.name = "Panel2BGifArea";
  AnimationArea.r = PageBounds(208, 346, 300, 16);
  Panel2BGifImage.name = "Panel2BGifImage";
  Panel2BGifImage.r = AnimationArea.r;
  const Bounds place = PageBounds(268, 362, 180, 44);
  MakeButton(Panel2BButton1, Buttons, "Panel2BButton1", place, "button_start",
             language.Text(TextId::Action2FixAction10), repairSize, [this] { Panel2BButton1Click(); });
  MakeButton(Panel2BButton2, Buttons, "Panel2BButton2", place, "button_start", language.Text(TextId::ButtonsCancel),
             repairSize, [this] { Panel2BButton2Click(); });
  Back.onMouseMove = [this] { Buttons.ResetAll(); };
  Play(window.App(), AnimationArea, Panel2BGifImage, false);
}

void SummaryPage::PlaceAfter(Label& label, const Label& before) {
  TextMeasure& measure = window_.Measure();
  label.r.left = before.r.left + measure.Width(before.text, before.font) + kGap;
  label.r.width = measure.Width(label.text, label.font);
}

void SummaryPage::ShowRepair(bool repair) {
  const LanguageTable& language = window_.App().language;
  Panel2BButton2.caption.text = language.Text(repair ? TextId::ButtonsCancel : TextId::ButtonsClose);
  Panel2BButton1.SetVisible(repair);
  Panel2BButton2.SetVisible(!repair);
}

bool SummaryPage::Current() const { return window_.App().HoldsResultsOf(ResultsOwner::Home, stamp_); }

void SummaryPage::SetGroupRowsVisible(bool visible) {
  for (int g = 1; g <= kSummaryGroups; ++g) {
    Checks[At(g)].box.visible = Counts[At(g)].visible = Texts[At(g)].visible = visible;
    if (!visible) Icons[At(g)].visible = Links[At(g)].visible = false;
  }
}

// The lists hold another page's scan: nothing of this one can be shown or
// repaired any more, and button 2 starts a new scan.
void SummaryPage::ShowReplaced() {
  const LanguageTable& language = window_.App().language;
  Panel2BWarningImage.visible = false;
  Panel2BActionLabelA.text = language.Text(TextId::MessagesResultsReplaced);
  Panel2BActionLabelA.font.size = 11;
  Panel2BActionLabelA.wrap = true;
  Panel2BActionLabelA.r.height = 44;
  Panel2BActionLabelA.colour = kRed;
  Panel2BActionLabelA.visible = true;
  Panel2BActionLabelB.visible = false;
  SetGroupRowsVisible(false);
  Panel2BButton2.caption.text = language.Text(TextId::ButtonsStartScan);
  Panel2BButton1.SetVisible(false);
  Panel2BButton2.SetVisible(true);
}

void SummaryPage::StartNewScan() { static_cast<ScanPage&>(window_.PageOf(PageId::Panel2A)).RunScan(); }

void SummaryPage::Panel2BEnter() {
  AppState& app = window_.App();
  const LanguageTable& language = app.language;
  if (!Current()) {
    ShowReplaced();
    return;
  }
  SetGroupRowsVisible(true);
  Panel2BActionLabelA.font.size = 14;
  Panel2BActionLabelA.wrap = false;
  Panel2BActionLabelA.r.height = 26;
  ShowRepair(true);
  std::size_t total = 0;
  for (int g = 1; g <= kSummaryGroups; ++g) total += GroupCount(app, g);
  Panel2BWarningImage.visible = total > 0;
  Panel2BActionLabelA.visible = true;
  Panel2BActionLabelA.colour = kDarkGrey;
  if (total > 0) {
    Panel2BActionLabelA.text = language.Text(TextId::Action2Warning) + ":";
    Panel2BActionLabelB.text = language.Text(TextId::Action2OptimizationRequired);
    PlaceAfter(Panel2BActionLabelB, Panel2BActionLabelA);
    Panel2BActionLabelB.visible = true;
  } else {
    Panel2BActionLabelA.text = language.Text(TextId::Action2AllFixed);
    Panel2BActionLabelB.visible = false;
  }
  for (int g = 1; g <= kSummaryGroups; ++g) ShowGroup(g);
  Label& startup = Texts[At(9)];
  startup.text = std::to_string(app.StartupCount) + " " + language.Text(TextId::Action2FixAction9a);
  PlaceAfter(Links[At(9)], startup);
}

void SummaryPage::ShowGroup(int group) {
  AppState& app = window_.App();
  if (Repaired(group)) {
    MarkRepaired(group);
    return;
  }
  const std::size_t count = GroupCount(app, group);
  Label& number = Counts[At(group)];
  Label& text = Texts[At(group)];
  number.text = std::to_string(count);
  number.r.width = window_.Measure().Width(number.text, number.font);
  text.text = GroupCaption(app.language, group, false);
  PlaceAfter(text, number);
  PlaceAfter(Links[At(group)], text);
  const bool found = count > 0;
  Checks[At(group)].Set(found);
  Checks[At(group)].box.hand = found;
  Icons[At(group)].visible = found;
  number.colour = text.colour = found ? kRed : kGreen;
  Links[At(group)].visible = found;
}

void SummaryPage::MarkRepaired(int group) {
  AppState& app = window_.App();
  Label& number = Counts[At(group)];
  Label& text = Texts[At(group)];
  number.text = std::to_string(found_.at(static_cast<std::size_t>(group)));
  number.r.width = window_.Measure().Width(number.text, number.font);
  text.text = GroupCaption(app.language, group, true);
  PlaceAfter(text, number);
  Checks[At(group)].Set(false);
  Checks[At(group)].box.hand = false;
  number.colour = text.colour = kGreen;
  Icons[At(group)].visible = false;
  Links[At(group)].visible = false;
}

void SummaryPage::Panel2BCheckClick(int group) {
  AppState& app = window_.App();
  // A box is usable only while its group holds items and is not repaired.
  if (app.CancelFlag || !Current() || Repaired(group) || GroupCount(app, group) == 0) return;
  TickBox& check = Checks[At(group)];
  check.Set(!check.checked);
  bool any = false;
  for (int g = 1; g <= kSummaryGroups; ++g) any = any || Ticked(g);
  ShowRepair(any);
}

void SummaryPage::Panel2BLabel1Click(int group) {
  AppState& app = window_.App();
  if (!Current()) return;
  const std::vector<std::string> items = GroupItems(app, group);
  if (items.empty()) {
    window_.Messages().Information(app.language.Text(TextId::Action2NothingToView));
    return;
  }
  window_.Messages().Details(app.language.Text(kDetails[At(group)]), items);
}

void SummaryPage::Panel2BLabel8Click() { ShowTweaksDialog(window_); }
void SummaryPage::Panel2BLabel9Click() { ShowStartupManager(window_); }

void SummaryPage::Panel2BButton1Click() {
  AppState& app = window_.App();
  const LanguageTable& language = app.language;
  if (app.CancelFlag) return;
  if (!Current()) {
    // Another page's scan has filled the lists since the summary was built.
    ShowReplaced();
    return;
  }
  std::size_t total = 0;
  for (int g = 1; g <= kSummaryGroups; ++g) total += GroupCount(app, g);
  if (total == 0) {
    ShowRepair(false);
    window_.Messages().Information(language.Text(TextId::Action2AllFixed));
    return;
  }
  ShowRepair(false);
  Panel2BButton2.caption.text = language.Text(TextId::ButtonsCancel);
  Panel2BWarningImage.visible = Panel2BActionLabelA.visible = Panel2BActionLabelB.visible = false;
  Play(app, AnimationArea, Panel2BGifImage, true);

  SummaryTicks ticks{};
  std::array<std::size_t, kSummaryGroups + 1> counts{};
  for (int g = 1; g <= kSummaryGroups; ++g) {
    ticks.at(static_cast<std::size_t>(g)) = Ticked(g);
    counts.at(static_cast<std::size_t>(g)) = GroupCount(app, g);
  }
  lastRepair_ = RepairHome(app, window_.Scans(), ticks);
  bool failed = false;
  bool repaired = false;
  for (int g = 1; g <= kSummaryGroups; ++g) {
    const GroupOutcome outcome = lastRepair_.outcome.at(static_cast<std::size_t>(g));
    if (outcome == GroupOutcome::Repaired) {
      repaired = true;
      repaired_.at(static_cast<std::size_t>(g)) = true;
      found_.at(static_cast<std::size_t>(g)) = counts.at(static_cast<std::size_t>(g));
      MarkRepaired(g);
    } else if (outcome == GroupOutcome::LogNotWritten || outcome == GroupOutcome::UndoNotWritten ||
               outcome == GroupOutcome::NotImported) {
      failed = true;
    } else if (outcome == GroupOutcome::Cancelled) {
      ShowGroup(g);  // what a stopped group removed is no longer listed
    }
  }

  Play(app, AnimationArea, Panel2BGifImage, false);
  Panel2BActionLabelA.text = language.Text(TextId::Action2Total) + ": " + std::to_string(lastRepair_.fixed) + " " +
                             language.Text(TextId::Action2ProblemsFixed) + ".";
  Panel2BActionLabelA.visible = true;
  ShowRepair(false);
  // "Not changed" only when nothing at all was repaired.
  if (failed)
    window_.Messages().Information(
        language.Text(repaired ? TextId::MessagesRepairIncomplete : TextId::MessagesRepairFailed));
  if (!lastRepair_.left.empty())
    window_.Messages().Details(language.Text(TextId::MessagesEntriesLeft), lastRepair_.left);
  window_.Messages().RebootNotice();
}

void SummaryPage::Panel2BButton2Click() {
  AppState& app = window_.App();
  if (app.CancelFlag) {
    if (window_.Messages().Confirm(app.language.Text(TextId::MessagesStop))) app.CancelFlag = false;
    return;
  }
  if (!Current()) {
    StartNewScan();
    return;
  }
  window_.Tab1Click();
}

void SummaryPage::AddContents(Scene& scene) {
  scene.push_back(&Panel2BWarningImage);
  scene.push_back(&Panel2BActionLabelA);
  scene.push_back(&Panel2BActionLabelB);
  for (int line = 1; line <= kSummaryLines; ++line) {
    scene.push_back(&Checks[At(line)].box);
    scene.push_back(&Icons[At(line)]);
    if (line <= kSummaryGroups) scene.push_back(&Counts[At(line)]);
    scene.push_back(&Texts[At(line)]);
    scene.push_back(&Links[At(line)]);
  }
  scene.push_back(&AnimationArea);
  scene.push_back(&Panel2BGifImage);
  AddButton(scene, Panel2BButton1);
  AddButton(scene, Panel2BButton2);
}

}  // namespace qrv
