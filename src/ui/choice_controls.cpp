#include "ui/choice_controls.h"

#include <cmath>
#include <set>

#include <commdlg.h>

#include "engine/backup.h"
#include "ui/painter.h"

namespace qrv::ui {

namespace {

SYSTEMTIME ToSystemTime(double dateTime) {
  const Date d = DecodeDate(dateTime);
  const long seconds = std::lround((dateTime - std::floor(dateTime)) * 86400.0) % 86400;
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(d.year);
  t.wMonth = static_cast<WORD>(d.month);
  t.wDay = static_cast<WORD>(d.day);
  t.wHour = static_cast<WORD>(seconds / 3600);
  t.wMinute = static_cast<WORD>(seconds / 60 % 60);
  t.wSecond = static_cast<WORD>(seconds % 60);
  return t;
}

void Place(HWND control, const Node& node, const DpiScale& scale) {
  const Bounds at = scale.Rect(node.r);
  MoveWindow(control, at.left, at.top, at.width, at.height, TRUE);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::Get().Find(kChoiceFont, scale.Dpi())), TRUE);
}

}  // namespace

ChoiceControls::~ChoiceControls() {
  for (auto& [list, hwnd] : lists_) DestroyWindow(hwnd);
  for (auto& [picker, hwnd] : pickers_) DestroyWindow(hwnd);
}

HWND ChoiceControls::HandleOf(const Node* node) const {
  for (const auto& [list, hwnd] : lists_) {
    if (list == node) return hwnd;
  }
  for (const auto& [picker, hwnd] : pickers_) {
    if (picker == node) return hwnd;
  }
  return nullptr;
}

void ChoiceControls::Sync(HWND parent, const Scene& scene, const DpiScale& scale) {
  if (placedDpi_ != scale.Dpi()) {
    for (auto& [list, hwnd] : lists_) Place(hwnd, *list, scale);
    for (auto& [picker, hwnd] : pickers_) Place(hwnd, *picker, scale);
    placedDpi_ = scale.Dpi();
  }
  std::set<HWND> shown;
  for (Node* node : scene) {
    if (auto* list = dynamic_cast<DropDownList*>(node)) {
      HWND& hwnd = lists_[list];
      if (hwnd == nullptr) {
        hwnd = CreateWindowExW(0, L"COMBOBOX", nullptr, WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                               0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        Place(hwnd, *list, scale);
        for (const std::string& item : list->items)
          SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
      }
      if (SendMessageW(hwnd, CB_GETCURSEL, 0, 0) != list->selected)
        SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(list->selected), 0);
      EnableWindow(hwnd, list->enabled ? TRUE : FALSE);
      ShowWindow(hwnd, list->visible ? SW_SHOWNA : SW_HIDE);
      shown.insert(hwnd);
    } else if (auto* picker = dynamic_cast<TimePicker*>(node)) {
      HWND& hwnd = pickers_[picker];
      if (hwnd == nullptr) {
        hwnd = CreateWindowExW(0, DATETIMEPICK_CLASSW, nullptr, WS_CHILD | WS_TABSTOP | DTS_TIMEFORMAT,
                               0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        Place(hwnd, *picker, scale);
        DateTime_SetFormat(hwnd, L"HH':'mm");
        SYSTEMTIME t = ToSystemTime(picker->value);
        DateTime_SetSystemtime(hwnd, GDT_VALID, &t);
      }
      EnableWindow(hwnd, picker->enabled ? TRUE : FALSE);
      ShowWindow(hwnd, picker->visible ? SW_SHOWNA : SW_HIDE);
      shown.insert(hwnd);
    }
  }
  for (auto& [list, hwnd] : lists_)
    if (shown.count(hwnd) == 0) ShowWindow(hwnd, SW_HIDE);
  for (auto& [picker, hwnd] : pickers_)
    if (shown.count(hwnd) == 0) ShowWindow(hwnd, SW_HIDE);
}

bool ChoiceControls::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) != CBN_SELCHANGE) return false;
  for (auto& [list, hwnd] : lists_) {
    if (hwnd != reinterpret_cast<HWND>(lParam)) continue;
    list->selected = static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
    return true;
  }
  return false;
}

bool ChoiceControls::OnNotify(const NMHDR& header) {
  if (header.code != DTN_DATETIMECHANGE) return false;
  for (auto& [picker, hwnd] : pickers_) {
    if (hwnd != header.hwndFrom) continue;
    SYSTEMTIME t{};
    if (DateTime_GetSystemtime(hwnd, &t) == GDT_VALID)
      picker->value = std::floor(picker->value) + (t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond) / 86400.0;
    return true;
  }
  return false;
}

std::string ChooseFileToOpen(HWND owner, const std::string& filter) {
  std::wstring masks = Wide(filter);
  for (wchar_t& c : masks)
    if (c == L'|') c = L'\0';
  masks.push_back(L'\0');
  wchar_t file[MAX_PATH * 4] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = masks.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = static_cast<DWORD>(sizeof file / sizeof file[0]);
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!GetOpenFileNameW(&ofn)) return {};
  return win32::Narrow(file);
}

}  // namespace qrv::ui
