#include "tools/schedule_dialog.h"

namespace qrv {

namespace {
constexpr Colour kDisabledGrey = 10526880;  // 0xA0A0A0
}  // namespace

TForm4::TForm4(AppState& app) : SkinnedDialog("TForm4", 350, 230, 40), app_(app) {
  const LanguageTable& t = app.language;
  Title.text = t.Text(TextId::ScheduleScheduledScan);
  Enable.box.name = "CheckBox";
  Enable.box.r = {24, 60, 16, 16};
  Enable.box.hand = true;
  Enable.box.onClick = [this] { CheckBoxClick(); };
  EnableCaption.name = "EnableLabel";
  EnableCaption.r = {48, 50, 280, 34};
  EnableCaption.wrap = true;
  EnableCaption.centreVertically = true;
  EnableCaption.font = {9, false, false};
  EnableCaption.text = t.Text(TextId::ScheduleEnable);
  Day.name = "DayList";
  Day.r = {24, 108, 123, 200};
  for (TextId id : {TextId::ScheduleDay1, TextId::ScheduleDay2, TextId::ScheduleDay3, TextId::ScheduleDay4,
                    TextId::ScheduleDay5, TextId::ScheduleDay6, TextId::ScheduleDay7})
    Day.items.push_back(t.Text(id));
  At.name = "AtLabel";
  At.r = {168, 112, 26, 18};
  At.text = t.Text(TextId::ScheduleAt);
  At.font = {9, false, false};
  Time.name = "TimePicker";
  Time.r = {196, 108, 93, 22};
  MakeButton(Button1, "Button1", 40, 170, t.Text(TextId::ButtonsApply), [this] { Button1Click(); });
  MakeButton(Button2, "Button2", 192, 170, t.Text(TextId::ButtonsCancel), [this] { Button2Click(); });

  const ScheduleSettings s = ReadSchedule(app);
  Enable.Set(s.enabled);
  Day.selected = s.day;
  // The picker keeps its own date (today) and takes the stored time of day.
  Time.value = WithTimeOfDay(app.platform.Now(), s.time);
}

void TForm4::EnableChoices() {
  Day.enabled = Time.enabled = Enable.checked;
  At.colour = Enable.checked ? kDarkGrey : kDisabledGrey;
}

void TForm4::Show() {
  SkinnedDialog::Show();
  Buttons.ResetAll();
  EnableChoices();
}

void TForm4::CheckBoxClick() {
  Enable.Set(!Enable.checked);
  EnableChoices();
}

void TForm4::Button1Click() {
  ScheduleSettings s;
  s.enabled = Enable.checked;
  s.day = Day.selected >= 0 && Day.selected < kScheduleDays ? Day.selected : 0;
  s.time = Time.value;
  ApplySchedule(app_, s, true);
  Close();
}

void TForm4::AddContents(Scene& scene) {
  for (Node* n : std::initializer_list<Node*>{&Enable.box, &EnableCaption, &Day, &At, &Time}) scene.push_back(n);
  AddButton(scene, Button1);
  AddButton(scene, Button2);
}

}  // namespace qrv
