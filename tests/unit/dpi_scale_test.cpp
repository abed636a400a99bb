#include <gtest/gtest.h>

#include <memory>

#include "app/clean_up_page.h"
#include "core/dpi_scale.h"
#include "core/skin_region.h"
#include "dialogs/message_dialogs.h"
#include "tools/schedule_dialog.h"
#include "tools/startup_dialogs.h"
#include "tools/tweak_view.h"
#include "unit/window_fixture.h"

namespace qrv {
namespace {

// 100, 125, 150, 175 and 200 %.
constexpr int kDpis[] = {96, 120, 144, 168, 192};

bool Inside(const Bounds& inner, const Bounds& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.Right() <= outer.Right() &&
         inner.Bottom() <= outer.Bottom();
}

std::string Describe(const Node& node, int dpi) {
  return node.name + " (" + std::to_string(node.r.left) + "," + std::to_string(node.r.top) + " " +
         std::to_string(node.r.width) + "x" + std::to_string(node.r.height) + ") at " + std::to_string(dpi) + " DPI";
}

// Every element that lies inside `area` at 96 DPI lies inside it at every
// scale, no element shrinks, and elements that adjoin (a right or bottom edge
// on another's left or top) still adjoin.
void ExpectLayoutKept(const Scene& scene, const Bounds& area, const std::string& where) {
  for (int dpi : kDpis) {
    const DpiScale scale(dpi);
    const Bounds scaledArea = scale.Rect(area);
    for (const Node* node : scene) {
      const Bounds r = scale.Rect(node->r);
      EXPECT_GE(r.width, node->r.width) << where << ": " << Describe(*node, dpi);
      EXPECT_GE(r.height, node->r.height) << where << ": " << Describe(*node, dpi);
      if (Inside(node->r, area)) {
        EXPECT_TRUE(Inside(r, scaledArea)) << where << ": " << Describe(*node, dpi) << " leaves its area";
      }
      for (const Node* other : scene) {
        const Bounds o = scale.Rect(other->r);
        if (node->r.Right() == other->r.left) {
          EXPECT_EQ(r.Right(), o.left) << where << ": " << Describe(*node, dpi);
        }
        if (node->r.Bottom() == other->r.top) {
          EXPECT_EQ(r.Bottom(), o.top) << where << ": " << Describe(*node, dpi);
        }
      }
    }
  }
}

// ------------------------------------------------------------ arithmetic

TEST(DpiScaleTest, PointsRoundToTheNearestAndHalvesUp) {
  struct Case {
    int dpi, units, pixels;
  } cases[] = {
      {96, 0, 0},    {96, 765, 765},  {120, 1, 1},   {120, 2, 3},     {120, 6, 8},     {120, 278, 348},
      {144, 1, 2},   {144, 3, 5},     {144, 765, 1148}, {168, 4, 7},  {168, 546, 956}, {192, 765, 1530},
      {120, -2, -2}, {144, -3, -4},   {72, 10, 10},
  };
  for (const Case& c : cases) EXPECT_EQ(DpiScale(c.dpi).Point(c.units), c.pixels) << c.dpi << " " << c.units;
}

TEST(DpiScaleTest, EveryPixelMapsBackToTheUnitWhoseRectangleHoldsIt) {
  for (int dpi : {96, 110, 120, 144, 168, 192, 240}) {
    const DpiScale scale(dpi);
    for (int p = -40; p < 1600; ++p) {
      const int u = scale.ToUnits(p);
      EXPECT_LE(scale.Point(u), p) << dpi << " " << p;
      EXPECT_GT(scale.Point(u + 1), p) << dpi << " " << p;
    }
  }
}

TEST(DpiScaleTest, ClicksReachTheElementDrawnUnderThem) {
  // Adjoining tabs at 96 DPI: every pixel of the scaled strip belongs to the
  // tab drawn there, never to its neighbour or to none.
  const Bounds tabs[] = {{300, 54, 80, 33}, {380, 54, 80, 33}, {460, 54, 81, 33}};
  for (int dpi : kDpis) {
    const DpiScale scale(dpi);
    for (int x = scale.Point(300); x < scale.Point(541); ++x) {
      int drawn = 0;
      int hit = 0;
      for (int i = 0; i < 3; ++i) {
        if (scale.Rect(tabs[i]).Contains(x, scale.Point(60))) drawn += 1 << i;
        if (tabs[i].Contains(scale.ToUnits(x), scale.ToUnits(scale.Point(60)))) hit += 1 << i;
      }
      EXPECT_EQ(hit, drawn) << dpi << " " << x;
      EXPECT_TRUE(drawn == 1 || drawn == 2 || drawn == 4) << dpi << " " << x;
    }
  }
}

TEST(DpiScaleTest, FontHeightsScaleAsMulDiv) {
  struct Case {
    int dpi, points, height;
  } cases[] = {{96, 8, -11}, {96, 9, -12}, {120, 8, -13}, {144, 8, -16}, {168, 9, -21}, {192, 8, -21}, {192, 13, -35}};
  for (const Case& c : cases) EXPECT_EQ(DpiScale(c.dpi).FontHeight(c.points), c.height) << c.dpi << " " << c.points;
}

TEST(DpiScaleTest, ArtworkIsTheExactScaleOrTheNextLarger) {
  struct Case {
    int dpi, percent;
    const char* name;
  } cases[] = {{96, 100, "logo"},     {72, 100, "logo"},     {100, 125, "logo_125"}, {120, 125, "logo_125"},
               {144, 150, "logo_150"}, {168, 200, "logo_200"}, {192, 200, "logo_200"}, {288, 200, "logo_200"}};
  for (const Case& c : cases) {
    EXPECT_EQ(ArtPercentFor(c.dpi), c.percent) << c.dpi;
    EXPECT_EQ(ArtName("logo", ArtPercentFor(c.dpi)), c.name) << c.dpi;
  }
}

TEST(DpiScaleTest, ScaledShapeCutsWhatTheShapeCutsAtEveryScale) {
  // Rounded corners, four pixels deep, as the window backgrounds have them.
  const int w = 40, h = 30;
  const auto pixel = [&](int x, int y) -> Colour {
    const int dx = std::min(x, w - 1 - x), dy = std::min(y, h - 1 - y);
    return dx + dy < 4 ? 0xFF00FF : 0x303030;
  };
  const SkinShape shape = SkinRegion(w, h, pixel);
  for (int dpi : kDpis) {
    const DpiScale scale(dpi);
    const SkinShape scaled = ScaleShape(shape, scale);
    EXPECT_EQ(scaled.width, scale.Length(w));
    EXPECT_EQ(scaled.height, scale.Length(h));
    for (int y = -1; y <= scaled.height; ++y) {
      for (int x = -1; x <= scaled.width; ++x) {
        EXPECT_EQ(scaled.Contains(x, y), shape.Contains(scale.ToUnits(x), scale.ToUnits(y)))
            << dpi << ": " << x << "," << y;
      }
    }
  }
}

// ------------------------------------------------ the pages and dialogs

class DpiLayoutTest : public ::testing::Test, public testing::WindowFixture {};

TEST_F(DpiLayoutTest, EveryPageKeepsItsElementsInsideItAndTheWindow) {
  Create();
  const Bounds window{0, 0, kMainWindowWidth, kMainWindowHeight};
  ExpectLayoutKept(form.Contents(), window, "main window");
  for (int id = 0; id < kPageCount; ++id) {
    Page& page = form.PageOf(static_cast<PageId>(id));
    page.Enter();
    Scene scene = page.Contents();
    ASSERT_FALSE(scene.empty());
    ExpectLayoutKept(scene, page.Back.r, page.Name());
    ExpectLayoutKept(scene, window, page.Name());
    // The page itself lies in the window.
    for (int dpi : kDpis) {
      EXPECT_TRUE(Inside(DpiScale(dpi).Rect(page.Back.r), DpiScale(dpi).Rect(window))) << page.Name() << " " << dpi;
    }
  }
}

TEST_F(DpiLayoutTest, EveryDialogKeepsItsElementsInsideItsWindow) {
  testing::SetUpUserFolders(p);
  LoadSettings(app);
  Dialogs messages(app.language, p, runner);
  QuietScanHost scans;
  const ChooseFile none = [](const std::string&) { return std::string(); };
  std::vector<std::unique_ptr<SkinnedDialog>> dialogs;
  dialogs.push_back(std::make_unique<TForm3a>(app.language));
  dialogs.push_back(std::make_unique<TForm3b>(app.language));
  dialogs.push_back(std::make_unique<TForm1b>(app.language));
  dialogs.push_back(std::make_unique<TForm3c>(app.language, p));
  dialogs.push_back(std::make_unique<TForm2a>(app.language));
  dialogs.push_back(std::make_unique<TForm1c>(app, messages));
  dialogs.push_back(std::make_unique<TForm3d>(app, messages, none));
  dialogs.push_back(std::make_unique<TForm1d>(app, messages, runner, scans, none));
  dialogs.push_back(std::make_unique<TForm4>(app));
  for (auto& dialog : dialogs) {
    dialog->Show();
    const Scene scene = dialog->Contents();
    ASSERT_GT(scene.size(), 1U) << dialog->ClassName();
    ExpectLayoutKept(scene, {0, 0, dialog->Width(), dialog->Height()}, dialog->ClassName());
    for (const Node* node : scene) {
      // A drop-down list's height is that of its open list, which may leave the window.
      if (dynamic_cast<const DropDownList*>(node) != nullptr) continue;
      EXPECT_TRUE(Inside(node->r, {0, 0, dialog->Width(), dialog->Height()}))
          << dialog->ClassName() << ": " << Describe(*node, 96) << " lies outside its window";
    }
  }
}

}  // namespace
}  // namespace qrv
