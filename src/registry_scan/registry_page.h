#pragma once
// The Registry tab: the scan of the ten categories with its progress, Stop
// and counts, the details of a category, and Fix.
#include <array>
#include <cstdint>
#include <string>

#include "core/page.h"
#include "engine/fix_script.h"
#include "registry_scan/registry_scan.h"

namespace qrv {

class RegistryPage : public Page {
 public:
  explicit RegistryPage(MainWindow& window);

  void Enter() override { Panel3Enter(); }
  void Panel3Enter();
  void Panel3Button1Click();  // Scan
  void Panel3Button2Click();  // Fix
  void Panel3Button3Click();  // Stop while scanning, else Close
  void Panel3FoundLabelClick(int category);
  void SetProgressWidth(int pixels) override { Panel3ProgressBar1B.r.width = pixels; }

  // The caption of a category (1 to 10) in the user's language.
  std::string CategoryCaption(int category) const;
  // What the last Fix did (empty paths when it wrote nothing).
  const RepairResult& LastRepair() const { return lastRepair_; }

  Label Panel3Label11A;  // title
  Label Panel3Label11B;  // status
  Label Panel3Label11C;  // total
  std::array<Label, kRegistryCategories> CaptionLabels;  // Panel3Label01A ...
  std::array<Label, kRegistryCategories> ResultLabels;   // Panel3Label01B ...
  std::array<Picture, kRegistryCategories> WarningIcons;  // Panel3Image01 ...
  Picture Panel3ProgressBar1A;  // track
  Picture Panel3ProgressBar1B;  // fill
  Picture Panel3ProgressBar2;   // row marker
  ImageButton Panel3Button1;
  ImageButton Panel3Button2;
  ImageButton Panel3Button3;
  ButtonGroup Buttons;

 protected:
  void AddContents(Scene& scene) override;

 private:
  class Progress;
  void SetResultLabel(int category);
  void SetResultStyle(Label& label, bool findings);
  int Total() const;
  // Whether the lists still hold this page's scan; otherwise says so and
  // returns the page to its start.
  bool ResultsStillShown();

  MainWindow& window_;
  RepairResult lastRepair_;
  std::uint64_t stamp_ = 0;
};

}  // namespace qrv
