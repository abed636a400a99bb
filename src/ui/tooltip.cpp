#include "ui/tooltip.h"

namespace qrv::ui {

void Tooltip::Create(HWND owner) {
  owner_ = owner;
  hwnd_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                          0, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void Tooltip::Add(RECT place, const std::string& text) {
  if (hwnd_ == nullptr) return;
  std::wstring wide = Wide(text);
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_SUBCLASS;
  info.hwnd = owner_;
  info.uId = next_++;
  info.rect = place;
  info.lpszText = wide.data();
  SendMessageW(hwnd_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace qrv::ui
