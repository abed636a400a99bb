#pragma once
// The Windows headers as the drawing layer uses them, GDI+ included.
#include <windows.h>
#include <algorithm>
#include <objidl.h>
// GDI+ expects the min and max macros that NOMINMAX removes.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>
#include <commctrl.h>

#include <string>

#include "core/text.h"

namespace qrv::ui {

inline std::wstring Wide(const std::string& utf8) {
  const std::u16string w = Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

}  // namespace qrv::ui
