#pragma once
// The Clean Up tab's first page: the five privacy rows, their scan and clean.
#include <array>
#include <string>

#include "cleaning/privacy_scan.h"
#include "core/page.h"

namespace qrv {

class PrivacyPage : public Page {
 public:
  explicit PrivacyPage(MainWindow& window);

  void Enter() override { Panel4AEnter(); }
  void Panel4AEnter();
  void Panel4AButton1Click();  // Scan
  void Panel4AButton2Click();  // Clean
  void Panel4AButton3Click();  // Cancel while working, else Close
  void Panel4ALabelAClick(int row);
  void Panel4AFoundLabelClick(int row);

  // The rows ticked now, [1] to [5].
  PrivacyRows Ticked() const;
  const PrivacyCleanResult& LastClean() const { return lastClean_; }

  Label Panel4ALabel1A;  // title
  Label Panel4ALabel1B;  // instruction
  Label Panel4ALabel2;   // total
  Label Panel4ALabel3;   // status
  std::array<Label, kPrivacyRows> CaptionLabels;  // Panel4ALabel4A ... 8A
  std::array<Label, kPrivacyRows> ResultLabels;   // Panel4ALabel4B ... 8B
  std::array<TickBox, kPrivacyRows> Checks;       // Panel4ACheck1 ...
  std::array<Picture, kPrivacyRows> Icons;        // Panel4AImage1 ...
  Picture Panel4AProgressBar1A;
  Picture Panel4AProgressBar1B;
  Picture Panel4AProgressBar2;  // row marker
  Animation Panel4AGifImage;
  Panel AnimationArea;          // cleared when the work ends
  ImageButton Panel4AButton1;
  ImageButton Panel4AButton2;
  ImageButton Panel4AButton3;
  ButtonGroup Buttons;

 protected:
  void AddContents(Scene& scene) override;

 private:
  class Progress;
  void ResetRows(bool keepTicks);
  void SetResult(int row, TextId what, std::size_t count);
  void SetChecksVisible(bool visible);
  void PlayAnimation(bool play);
  std::size_t Total() const;

  MainWindow& window_;
  PrivacyCleanResult lastClean_;
  std::uint64_t stamp_ = 0;  // the scan the page shows
};

}  // namespace qrv
