#pragma once
// The Windows headers as the drawing layer uses them, GDI+ included.
#include "engine/win32/windows_support.h"
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

namespace qrv::ui {

using win32::Wide;

// An image list of the common controls.
using ImageListHandle = win32::Owned<win32::NullKind<HIMAGELIST, &ImageList_Destroy>>;

}  // namespace qrv::ui
