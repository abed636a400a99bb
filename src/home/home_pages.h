#pragma once
// The Home tab's three pages: the start page with the last-run dates, the
// schedule and the gauge (Panel1); the one-click scan in progress (Panel2A);
// and its summary with Repair & Optimize (Panel2B). They show what the
// operations of home_scan.h do.
#include <array>
#include <cstdint>
#include <string>

#include "core/page.h"
#include "home/home_scan.h"

namespace qrv {

inline constexpr int kHomeLines = 5;     // the five kinds of maintenance
inline constexpr int kSummaryLines = 9;  // seven groups, the tweaks, the startup programs

// Shows what the last Home scan found and repairs it.
class SummaryPage : public Page, private ScanHost {
 public:
  explicit SummaryPage(MainWindow& window);

  void Enter() override { Panel2BEnter(); }
  // Builds the page from the slots. Groups repaired since the last scan keep
  // their "repaired" line; every other group shows what its slots hold now.
  void Panel2BEnter();
  // The summary shows this scan from now on: nothing of it is repaired yet.
  void NewScan(std::uint64_t stamp) {
    repaired_.fill(false);
    stamp_ = stamp;
  }
  // Whether the lists still hold the scan the page shows: a scan on another
  // page replaces them, and then the summary offers a new scan instead.
  bool Current() const;
  void Panel2BCheckClick(int group);
  void Panel2BLabel1Click(int group);  // More info of groups 1 to 7
  void Panel2BLabel8Click();           // the tweaks
  void Panel2BLabel9Click();           // the startup manager
  void Panel2BButton1Click();          // Repair & Optimize
  void Panel2BButton2Click();          // Cancel while repairing, else Close

  bool Ticked(int group) const { return Checks.at(Index(group)).checked; }
  bool Repaired(int group) const { return repaired_.at(static_cast<std::size_t>(group)); }
  const HomeRepairResult& LastRepair() const { return lastRepair_; }

  Picture Panel2BWarningImage;
  Label Panel2BActionLabelA;
  Label Panel2BActionLabelB;
  std::array<TickBox, kSummaryLines> Checks;   // Panel2BCheck1 ... 9
  std::array<Picture, kSummaryLines> Icons;    // Panel2BImage1 ... 9
  std::array<Label, kSummaryGroups> Counts;    // Panel2BLabel1A ... 7A
  std::array<Label, kSummaryLines> Texts;      // Panel2BLabel1B ... 7B, 8A, 9A
  std::array<Label, kSummaryLines> Links;      // Panel2BLabel1C ... 7C, 8B, 9B
  Panel AnimationArea;
  Animation Panel2BGifImage;
  ImageButton Panel2BButton1;
  ImageButton Panel2BButton2;
  ButtonGroup Buttons;

 protected:
  void AddContents(Scene& scene) override;

 private:
  static std::size_t Index(int line) { return static_cast<std::size_t>(line - 1); }
  void ShowGroup(int group);
  void MarkRepaired(int group);
  void PlaceAfter(Label& label, const Label& before);
  void ShowRepair(bool repair);
  void ShowReplaced();
  void SetGroupRowsVisible(bool visible);
  void StartNewScan();
  void ProcessMessages() override { window_.Scans().ProcessMessages(); }
  void SetProgressWidth(int, int) override {}

  MainWindow& window_;
  std::array<bool, kSummaryGroups + 1> repaired_{};
  std::array<std::size_t, kSummaryGroups + 1> found_{};  // the count a repaired group keeps showing
  HomeRepairResult lastRepair_;
  std::uint64_t stamp_ = 0;
};

// The one-click scan in progress: five phases, their results and icons, the
// current step, the bar and Cancel.
class ScanPage : public Page {
 public:
  ScanPage(MainWindow& window, SummaryPage& summary);

  // Empties what the page shows (step 1 of the scan).
  void Prepare();
  // Runs the scan on this page and ends on the summary.
  void RunScan();
  void CancelButtonClick();
  void SetProgressWidth(int pixels) override { Panel2AProgressBar1B.r.width = pixels; }

  Label Panel2ALabel3;                         // heading
  std::array<Label, kHomePhases> Captions;     // Panel2ALabel4A ... 8A
  std::array<Label, kHomePhases> Results;      // Panel2ALabel4B ... 8B
  std::array<Picture, kHomePhases> Icons;      // Panel2AImage4 ... 8
  Label Panel2ALabel1;                         // step caption
  Label Panel2ALabel2;                         // step result
  Picture Panel2AProgressBar1A;                // track
  Picture Panel2AProgressBar1B;                // fill
  Picture Panel2AProgressBar2;                 // row marker
  Panel AnimationArea;
  Animation Panel2AGifImage;
  ImageButton Panel2AButton1;                  // Cancel
  ButtonGroup Buttons;

 protected:
  void AddContents(Scene& scene) override;

 private:
  class Progress;
  void SetPhaseResult(int phase, std::size_t total, TextId what, bool found);

  MainWindow& window_;
  SummaryPage& summary_;
};

// The Home page: status of each kind of maintenance, the schedule, the
// gauge, the links to the tabs and tools, and Start Scan.
class HomePage : public Page {
 public:
  HomePage(MainWindow& window, ScanPage& scan);

  void Enter() override { Panel1Enter(); }
  void Panel1Enter();
  void Panel1LabelClick(int line);  // line 1 to 5, 6 the schedule caption
  void Panel1Label9cClick();        // Change settings
  void Panel1Button1Click();        // Start Scan
  // Which gauge is in front (1 to 5).
  int FrontGauge() const { return frontGauge_; }

  Label Panel1Label1;  // welcome
  Label Panel1Label2;  // hint
  Label Panel1Label3;  // "Status"
  std::array<Label, kHomeLines + 1> Captions;  // Panel1Label4a ... 9a
  std::array<Label, kHomeLines + 1> Statuses;  // Panel1Label4b ... 9b
  Label Panel1Label9c;                          // Change settings
  std::array<Picture, kHomeLines> Gauges;       // Panel1Gauge1 ... 5
  ImageButton Panel1Button1;
  ButtonGroup Buttons;

 protected:
  void AddContents(Scene& scene) override;

 private:
  void ShowSchedule();
  MainWindow& window_;
  ScanPage& scan_;
  int frontGauge_ = 5;
};

// The tools the Home pages open, modally.
void ShowTweaksDialog(MainWindow& window);
void ShowStartupManager(MainWindow& window);
void ShowScheduleDialog(MainWindow& window);

// A caption as a label shows it: "&&" stands for one "&".
std::string DisplayCaption(const std::string& text);

}  // namespace qrv
