#pragma once
// The small modal windows through which the program tells the user something
// or asks a yes/no question.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/language.h"
#include "dialogs/skinned_dialog.h"
#include "engine/platform.h"

namespace qrv {

// Information: one message and Ok.
class TForm3a : public SkinnedDialog {
 public:
  explicit TForm3a(const LanguageTable& language);
  Label Message;
  ImageButton OkButton;

 protected:
  void AddContents(Scene& scene) override;
};

// Confirmation: one question, Ok and Cancel. Answer is 1 only after Ok.
class TForm3b : public SkinnedDialog {
 public:
  explicit TForm3b(const LanguageTable& language);
  void Show() override;
  int Answer = 2;
  Label Message;
  ImageButton OkButton;
  ImageButton CancelButton;

 protected:
  void AddContents(Scene& scene) override;
};

// Details: an explanation and the lines of findings. With an action, the
// lines are a list the user selects one line of, and a second button (shown
// while a line is selected) acts on it; a line the action took leaves the list.
class TForm1b : public SkinnedDialog {
 public:
  explicit TForm1b(const LanguageTable& language);
  // `act` gets the line's index in the lines first given; true when it took the line.
  void OfferAction(const std::string& caption, std::function<bool(std::size_t)> act);
  void ActionButtonClick();
  Label Explanation;
  TextBox Lines;
  ReportList Entries;
  ImageButton OkButton;
  ImageButton ActionButton;

 protected:
  void AddContents(Scene& scene) override;

 private:
  std::function<bool(std::size_t)> act_;
  std::vector<std::size_t> origin_;  // each row's index in Lines.lines
};

// The reboot notice, with a box to stop showing it.
class TForm3c : public SkinnedDialog {
 public:
  TForm3c(const LanguageTable& language, RegistryView& registry);
  void Show() override;
  Label Message;
  TickBox DontShow;
  ImageButton OkButton;

 protected:
  void AddContents(Scene& scene) override;

 private:
  RegistryView& registry_;
};

// About: product name, logo, version and Close.
class TForm2a : public SkinnedDialog {
 public:
  explicit TForm2a(const LanguageTable& language);
  Label ProductName;
  Label Version;
  Picture Logo;
  ImageButton CloseButton;

 protected:
  void AddContents(Scene& scene) override;
};

// The dialogs as the pages use them. Information and Confirmation exist once
// for the whole run; the others are made for one showing.
class Dialogs {
 public:
  Dialogs(const LanguageTable& language, RegistryView& registry, ModalRunner& runner);
  void Information(const std::string& text);
  // True when the user chose Ok.
  bool Confirm(const std::string& question);
  void Details(const std::string& explanation, const std::vector<std::string>& lines);
  // Details with an action on one selected line at a time (Ignore, say),
  // under its own title; returns how many lines the action took.
  std::size_t Details(const std::string& title, const std::string& explanation,
                      const std::vector<std::string>& lines, const std::string& actionCaption,
                      std::function<bool(std::size_t)> act);
  // Shown only while the setting asks for it.
  void RebootNotice();
  void About();

  TForm3a Form3a;
  TForm3b Form3b;

 private:
  const LanguageTable& language_;
  RegistryView& registry_;
  ModalRunner& runner_;
};

}  // namespace qrv
