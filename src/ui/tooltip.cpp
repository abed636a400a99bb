#include "ui/tooltip.h"

namespace qrv::ui {

void Tooltip::Create(HWND owner) {
  owner_ = owner;
  hwnd_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                          0, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
}

UINT_PTR Tooltip::Add(RECT place, const std::string& text) {
  if (hwnd_ == nullptr) return 0;
  std::wstring wide = Wide(text);
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_SUBCLASS;
  info.hwnd = owner_;
  info.uId = next_++;
  info.rect = place;
  info.lpszText = wide.data();
  SendMessageW(hwnd_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  return info.uId;
}

void Tooltip::Move(UINT_PTR id, RECT place) {
  if (hwnd_ == nullptr) return;
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = owner_;
  info.uId = id;
  info.rect = place;
  SendMessageW(hwnd_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace qrv::ui
