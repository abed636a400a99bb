#pragma once
// The keyboard and screen readers over a scene: which elements a user can act
// on, the order Tab visits them in (reading order), what Space, Enter, the
// arrows and Alt with a letter do, and what each element is called, is and
// shows. The window and every dialog keep one KeyboardFocus; the drawing layer
// draws its mark and answers screen readers from AccessibleElements.
#include <string>
#include <vector>

#include "core/language.h"
#include "core/widgets.h"

namespace qrv {

struct AccessibleElement {
  Node* node = nullptr;  // the element's main node (a button's first image, a tick's box)
  Role role = Role::None;
  std::string name;
  Bounds r;
  bool visible = true;
  bool enabled = true;
  bool focusable = false;  // visible, enabled and a kind the keyboard acts on
  bool focused = false;
  int checked = -1;        // a check box or radio button: 0 or 1
  bool selected = false;   // the page tab in front
  char accessKey = 0;
};

// Every element of the scene that is something to a screen reader, in
// reading order: rows from the top, each row from the left. Hidden and
// disabled elements are listed as such. `focused` marks the focused one.
std::vector<AccessibleElement> AccessibleElements(const Scene& scene, const LanguageTable& language,
                                                  const Node* focused);

// The part of an element's name a caption gives: its text without the "&"
// that marks a letter ("&&" is one "&").
std::string CaptionName(const std::string& text);

class KeyboardFocus {
 public:
  // Tab, Shift+Tab, Space, Enter and the arrows over the scene; true when the
  // key did something. Space and Enter act on the focused element as a click
  // does; the arrows move between page tabs of one row and select them.
  bool KeyDown(Key key, const Scene& scene);
  // Alt with a letter: acts on the visible, enabled element that marks it.
  bool AccessKey(char letter, const Scene& scene);

  // The focused element's main node while it is in the scene, visible and
  // enabled; otherwise none (and the next Tab starts from the first).
  Node* Focused(const Scene& scene) const;
  const Node* Last() const { return focused_; }
  // A click or a screen reader moves the focus.
  void Set(const Node* node);
  void Clear() { focused_ = nullptr; }

  // Windows shows the focus mark from the first key on (or always, as the
  // system's setting asks).
  bool MarkShown() const { return shown_; }
  void ShowMark() { shown_ = true; }
  // Counts every move of the focus and every change a key made, so that the
  // window can announce them.
  int Changes() const { return changes_; }

 private:
  bool Activate(const AccessibleElement& element);

  const Node* focused_ = nullptr;
  bool shown_ = false;
  int changes_ = 0;
};

}  // namespace qrv
