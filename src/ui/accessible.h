#pragma once
// What a screen reader reads of a skinned window: an MSAA IAccessible (UI
// Automation reads it too) for the window's client area, whose children are
// the scene's elements as the logic names them (core/keyboard.h). The window
// answers WM_GETOBJECT with it and cuts it loose when it is destroyed; a
// reader that still holds it then gets "not connected".
#include <functional>
#include <vector>

#include "core/keyboard.h"
#include "ui/win.h"
#include <oleacc.h>

namespace qrv::ui {

// What the object asks of its window.
struct AccessibleSource {
  std::function<std::vector<AccessibleElement>()> elements;
  std::function<RECT(const Bounds&)> toScreen;  // an element's place on the screen
  std::function<void(const Node*)> focus;       // a reader moves the focus
  std::function<void(const Node*)> press;       // a reader presses an element
};

class WindowAccessible;

// Owns the window's object: creates it on the first WM_GETOBJECT.
class AccessibleOwner {
 public:
  AccessibleOwner() = default;
  ~AccessibleOwner();
  AccessibleOwner(const AccessibleOwner&) = delete;
  AccessibleOwner& operator=(const AccessibleOwner&) = delete;

  // WM_GETOBJECT for the client area; 0 for any other object.
  LRESULT Answer(HWND hwnd, WPARAM wParam, LPARAM lParam, AccessibleSource source);
  // The window is going: the object answers no more.
  void Disconnect();

 private:
  WindowAccessible* object_ = nullptr;
};

// The child id of an element for the events (1-based, as the object counts).
LONG ChildIdOf(const std::vector<AccessibleElement>& elements, const Node* node);

}  // namespace qrv::ui
