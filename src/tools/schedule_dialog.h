#pragma once
// "Scheduled Scan" (TForm4): the weekly scan switched on or off, its day and
// time, stored by Apply with the Run value of the companion.
#include "core/startup.h"
#include "dialogs/skinned_dialog.h"
#include "tools/schedule.h"

namespace qrv {

class TForm4 : public SkinnedDialog {
 public:
  explicit TForm4(AppState& app);  // reads the settings
  void Show() override;
  void CheckBoxClick();
  void Button1Click();  // Apply
  void Button2Click() { Close(); }

  TickBox Enable;       // the box only: its caption is the separate label below
  Label EnableCaption;  // clicking it does not toggle the box
  DropDownList Day;
  Label At;
  TimePicker Time;
  ImageButton Button1;
  ImageButton Button2;

 protected:
  void AddContents(Scene& scene) override;

 private:
  void EnableChoices();
  AppState& app_;
};

}  // namespace qrv
