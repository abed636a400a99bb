#pragma once
// The tooltips of one window: a rectangle of the window and its text.
#include <string>

#include "ui/win.h"

namespace qrv::ui {

class Tooltip {
 public:
  void Create(HWND owner);
  // Returns the tool's id, for Move.
  UINT_PTR Add(RECT place, const std::string& text);
  void Move(UINT_PTR id, RECT place);

 private:
  HWND owner_ = nullptr;
  HWND hwnd_ = nullptr;
  UINT_PTR next_ = 1;
};

}  // namespace qrv::ui
