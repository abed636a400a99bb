#pragma once
// The two views of the tweaks: the "Optimize Windows" dialog (TForm1c) and the
// Optimize tab of the main window (OptimizePage). Both show the same elements
// over the one table, each with its own 24 states; TweakView holds what they
// share and the two classes hold how they differ.
#include <array>
#include <functional>

#include "core/page.h"
#include "dialogs/message_dialogs.h"
#include "tools/tweaks.h"

namespace qrv {

// Where the view's elements go: the window coordinates of its origin and the
// places the two windows give them (relative to that origin).
struct TweakLayout {
  int originX = 0, originY = 0;
  Bounds title, description, pages, hint, recommend, apply, footnote;
  Align descriptionAlign = Align::Left;
};

class TweakView {
 public:
  // The two buttons run the window's own handlers.
  TweakView(AppState& app, Dialogs& dialogs, const TweakLayout& layout, ButtonGroup& buttons,
            std::function<void()> recommend, std::function<void()> apply);

  // Clears every state, shows the System page, reads every row, empties the hint.
  void Open();
  void ReadRows();
  void SelectPage(TweakPage page);
  TweakPage Current() const { return page_; }
  void Toggle(int index);
  void ShowHint(int index);
  bool State(int index) const { return states_.at(static_cast<std::size_t>(index)); }
  const TweakStates& States() const { return states_; }
  // The states as last read from the registry: Apply writes only the rows
  // whose state differs from them.
  const TweakStates& ReadStates() const { return read_; }
  // The question first; false when it was not confirmed.
  bool Recommend();
  bool Apply();
  const TweakApplyResult& LastApply() const { return lastApply_; }

  void AddContents(Scene& scene);

  Label Title;
  Label Description;
  Label Hint;
  Label Footnote;
  std::array<Label, kTweakPages> PageTabs;
  Panel Sheet;  // the page in view, under the tabs
  std::array<TickBox, kTweakCount> Rows;
  ImageButton RecommendButton;
  ImageButton ApplyButton;

 private:
  void ShowStates();
  Bounds At(const Bounds& r) const;

  AppState& app_;
  Dialogs& dialogs_;
  TweakLayout layout_;
  TweakStates states_{};
  TweakStates read_{};
  TweakPage page_ = TweakPage::System;
  TweakApplyResult lastApply_;
};

// "Optimize Windows": the dialog opened from the Home page and the summary.
class TForm1c : public SkinnedDialog {
 public:
  TForm1c(AppState& app, Dialogs& dialogs);
  void Show() override { ShowForm(); }
  void ShowForm();
  void RefreshTweaks() { View.ReadRows(); }
  void Button1Click();  // Recommended
  void Button2Click();  // Apply
  void Button3Click() { Close(); }

  TweakView View;
  ImageButton Button3;  // Close
  ImageButton CloseGlyph;

 protected:
  void AddContents(Scene& scene) override;

 private:
  AppState& app_;
};

// The Optimize tab (Panel5).
class OptimizePage : public Page {
 public:
  explicit OptimizePage(MainWindow& window);
  void Enter() override { Panel5Enter(); }
  void Panel5Enter();
  void Panel5Button1Click() { View.ReadRows(); }
  void Panel5Button2Click();  // Recommended
  void Panel5Button3Click();  // Apply

  ButtonGroup Buttons;
  TweakView View;

 protected:
  void AddContents(Scene& scene) override;

 private:
  MainWindow& window_;
};

// Stores the current date and time as the tweaks' last run (settings::kTweaksRunDate).
void StampTweakRun(AppState& app);

}  // namespace qrv
