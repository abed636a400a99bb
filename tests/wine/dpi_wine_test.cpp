// The list view at the scales of high-DPI screens under Wine: placed, sized,
// filled and ticked as its element says, at the first scale and after a
// change of scale (a move to another monitor).
#include <gtest/gtest.h>

#include "wine/wine_env.h"

#include "ui/painter.h"
#include "ui/report_list.h"

namespace qrv::wine {
namespace {

HWND MakeParent() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QuorvaneDpiListHost";
  ::RegisterClassW(&windowClass);
  return ::CreateWindowExW(0, L"QuorvaneDpiListHost", L"", WS_POPUP, 0, 0, 1600, 1200, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

ReportList SampleList() {
  ReportList list;
  list.r = {26, 80, 680, 250};
  list.columns = {{"Date", 120}, {"Size", 80}, {"Name", 181}};
  list.rows = {{true, {"2026-11-30", "12 KB", "setup.log"}, "C:\\windows\\notepad.exe"},
               {false, {"2026-12-01", "3 KB", "report.bak"}, ""}};
  return list;
}

TEST(DpiWineTest, TheListIsPlacedSizedAndTickedAtEachScale) {
  const HWND parent = MakeParent();
  ASSERT_NE(parent, nullptr);
  struct Case {
    int firstDpi, dpi;
  } cases[] = {{96, 96}, {144, 144}, {192, 192}, {96, 144}, {192, 120}};
  for (const Case& c : cases) {
    ReportList list = SampleList();
    ui::ReportListView view(parent, list, DpiScale(c.firstDpi));
    view.Sync(DpiScale(c.firstDpi));
    view.Sync(DpiScale(c.dpi));  // the same scale again, or a new one
    const DpiScale scale(c.dpi);
    const std::string at = std::to_string(c.firstDpi) + " then " + std::to_string(c.dpi);

    RECT placed{};
    ::GetWindowRect(view.Handle(), &placed);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    const Bounds expected = scale.Rect(list.r);
    EXPECT_EQ(placed.left, expected.left) << at;
    EXPECT_EQ(placed.top, expected.top) << at;
    EXPECT_EQ(placed.right - placed.left, expected.width) << at;
    EXPECT_EQ(placed.bottom - placed.top, expected.height) << at;

    for (int column = 0; column < 3; ++column)
      EXPECT_EQ(ListView_GetColumnWidth(view.Handle(), column), scale.Length(list.columns[column].width))
          << at << " column " << column;
    int iconWidth = 0, iconHeight = 0;
    ImageList_GetIconSize(ListView_GetImageList(view.Handle(), LVSIL_SMALL), &iconWidth, &iconHeight);
    EXPECT_EQ(iconWidth, scale.Length(16)) << at;
    EXPECT_EQ(iconHeight, scale.Length(16)) << at;

    // The rows are there, as tall as their text at the scale, and keep their ticks.
    ASSERT_EQ(ListView_GetItemCount(view.Handle()), 2) << at;
    EXPECT_TRUE(ListView_GetCheckState(view.Handle(), 0)) << at;
    EXPECT_FALSE(ListView_GetCheckState(view.Handle(), 1)) << at;
    RECT row{};
    ListView_GetItemRect(view.Handle(), 0, &row, LVIR_BOUNDS);
    EXPECT_GE(row.bottom - row.top, scale.Length(16)) << at;
    EXPECT_GE(row.bottom - row.top, -scale.FontHeight(ui::kControlFont.size)) << at;
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(view.Handle(), WM_GETFONT, 0, 0));
    EXPECT_EQ(font, ui::Fonts::Get().Find(ui::kControlFont, c.dpi)) << at;
  }
  ::DestroyWindow(parent);
}

}  // namespace
}  // namespace qrv::wine
