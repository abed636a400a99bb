#include "ui/report_list.h"

#include "ui/images.h"
#include "ui/painter.h"

namespace qrv::ui {

namespace {

// An image of the skin at a size, drawn into a 32-bit bitmap for an image list.
HBITMAP SkinBitmap(const std::string& name, const DpiScale& scale, int side) {
  Gdiplus::Bitmap* art = Images::Get().Find(ArtName(name, ArtPercentFor(scale.Dpi())));
  if (art == nullptr) art = Images::Get().Find(name);
  if (art == nullptr) return nullptr;
  Gdiplus::Bitmap sized(side, side, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics g(&sized);
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    g.DrawImage(art, Gdiplus::Rect(0, 0, side, side), 0, 0, static_cast<INT>(art->GetWidth()),
                static_cast<INT>(art->GetHeight()), Gdiplus::UnitPixel);
  }
  HBITMAP bitmap = nullptr;
  sized.GetHBITMAP(Gdiplus::Color(255, 255, 255), &bitmap);
  return bitmap;
}

}  // namespace

ReportListView::ReportListView(HWND parent, ReportList& list, const DpiScale& scale) : list_(list) {
  const Bounds at = scale.Rect(list.r);
  hwnd_ = CreateWindowExW(0, WC_LISTVIEWW, nullptr,
                          WS_CHILD | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL |
                              LVS_SHAREIMAGELISTS,  // the image lists are ours
                          at.left, at.top, at.width, at.height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(hwnd_, (list.checkboxes ? LVS_EX_CHECKBOXES : 0) | LVS_EX_GRIDLINES |
                                               LVS_EX_FULLROWSELECT);
  ApplyScale(scale);
}

void ReportListView::ApplyScale(const DpiScale& scale) {
  scale_ = scale;
  const Bounds at = scale.Rect(list_.r);
  MoveWindow(hwnd_, at.left, at.top, at.width, at.height, TRUE);
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::Get().Find(kControlFont, scale.Dpi())), TRUE);
  // Small icons and tick boxes at the scale; the rows follow the font and icons.
  const int side = scale.Length(16);
  ImageListHandle icons(ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, 8, 8));
  ListView_SetImageList(hwnd_, icons.Get(), LVSIL_SMALL);
  icons_ = std::move(icons);
  if (list_.checkboxes && !scale.Identity()) {
    // The system draws its tick boxes at the size of the screen it started
    // on: above 100 % the skin's own, rendered at the scale.
    ImageListHandle ticks(ImageList_Create(side, side, ILC_COLOR32, 2, 0));
    for (const char* name : {"tick_off", "tick_on"}) {
      HBITMAP bitmap = SkinBitmap(name, scale, side);
      if (bitmap != nullptr) {
        ImageList_Add(ticks.Get(), bitmap, nullptr);
        DeleteObject(bitmap);
      }
    }
    if (ImageList_GetImageCount(ticks.Get()) == 2) {
      ListView_SetImageList(hwnd_, ticks.Get(), LVSIL_STATE);
      ticks_ = std::move(ticks);
    }
  }
  shownVersion_ = -1;  // columns and icons anew
}

ReportListView::~ReportListView() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

int ReportListView::IconFor(const std::string& file, int iconIndex) {
  HICON icon = nullptr;
  const int side = scale_.Length(16);
  if (scale_.Identity()) {
    if (!file.empty()) ExtractIconExW(Wide(file).c_str(), iconIndex, nullptr, &icon, 1);
    if (icon == nullptr) ExtractIconExW(L"shell32.dll", 2, nullptr, &icon, 1);
  } else {
    // The icon drawn for the scale's size, not a small one stretched.
    if (!file.empty()) PrivateExtractIconsW(Wide(file).c_str(), iconIndex, side, side, &icon, nullptr, 1, 0);
    if (icon == nullptr) PrivateExtractIconsW(L"shell32.dll", 2, side, side, &icon, nullptr, 1, 0);
  }
  const win32::IconHandle owned(icon);
  if (!owned) return -1;
  return ImageList_AddIcon(icons_.Get(), owned.Get());
}

void ReportListView::Rebuild() {
  filling_ = true;
  ListView_DeleteAllItems(hwnd_);
  while (ListView_DeleteColumn(hwnd_, 0)) {
  }
  ImageList_RemoveAll(icons_.Get());
  for (std::size_t c = 0; c < list_.columns.size(); ++c) {
    std::wstring caption = Wide(list_.columns[c].caption);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = scale_.Length(list_.columns[c].width);
    column.pszText = caption.data();
    ListView_InsertColumn(hwnd_, static_cast<int>(c), &column);
  }
  for (std::size_t r = 0; r < list_.rows.size(); ++r) {
    const ReportList::Row& row = list_.rows[r];
    for (std::size_t c = 0; c < row.cells.size() && c < list_.columns.size(); ++c) {
      std::wstring text = Wide(row.cells[c]);
      LVITEMW item{};
      item.iItem = static_cast<int>(r);
      item.iSubItem = static_cast<int>(c);
      item.pszText = text.data();
      item.mask = LVIF_TEXT;
      if (c == 0) {
        item.mask |= LVIF_IMAGE;
        item.iImage = row.icon ? IconFor(row.iconFile, row.iconIndex) : I_IMAGENONE;
        ListView_InsertItem(hwnd_, &item);
      } else {
        SendMessageW(hwnd_, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
      }
    }
    if (list_.checkboxes) ListView_SetCheckState(hwnd_, static_cast<UINT>(r), row.checked ? TRUE : FALSE);
  }
  // The element's selection is the owner's (a page that refills its list
  // selects a row itself): Sync shows it next, it is never reset here.
  shownVersion_ = list_.version;
  shownSelection_ = -2;
  filling_ = false;
}

void ReportListView::Sync(const DpiScale& scale) {
  if (scale.Dpi() != scale_.Dpi()) ApplyScale(scale);
  if (shownVersion_ != list_.version) Rebuild();
  for (std::size_t r = 0; list_.checkboxes && r < list_.rows.size(); ++r) {
    const bool shown = ListView_GetCheckState(hwnd_, static_cast<UINT>(r)) != 0;
    if (shown != list_.rows[r].checked) {
      filling_ = true;
      ListView_SetCheckState(hwnd_, static_cast<UINT>(r), list_.rows[r].checked ? TRUE : FALSE);
      filling_ = false;
    }
  }
  if (shownSelection_ != list_.selected) {
    filling_ = true;
    ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (list_.selected >= 0) {
      ListView_SetItemState(hwnd_, list_.selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(hwnd_, list_.selected, FALSE);
    }
    shownSelection_ = list_.selected;
    filling_ = false;
  }
  ShowWindow(hwnd_, list_.visible ? SW_SHOWNA : SW_HIDE);
}

void ReportListView::OnNotify(const NMHDR& header) {
  if (filling_ || header.code != LVN_ITEMCHANGED) return;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  if ((change.uChanged & LVIF_STATE) == 0) return;
  // The user's ticks (item -1: a change of every row).
  for (std::size_t r = 0; list_.checkboxes && r < list_.rows.size(); ++r)
    if (change.iItem < 0 || static_cast<std::size_t>(change.iItem) == r)
      list_.rows[r].checked = ListView_GetCheckState(hwnd_, static_cast<UINT>(r)) != 0;
  // One row selected at a time: the element follows what the control shows,
  // also when the user's click leaves no row selected.
  const int shown = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
  const int selected = shown >= 0 && static_cast<std::size_t>(shown) < list_.rows.size() ? shown : -1;
  if (selected == list_.selected) return;
  list_.selected = selected;
  shownSelection_ = selected;
  if (list_.onSelect) list_.onSelect();
}

}  // namespace qrv::ui
