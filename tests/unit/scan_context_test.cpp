#include <gtest/gtest.h>

#include "engine/registry_ops.h"
#include "unit/scan_fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcr = RootKey::ClassesRoot;

TEST(RoundHalfEvenTest, ExactHalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(1, 2), 0);
  EXPECT_EQ(RoundHalfEven(3, 2), 2);
  EXPECT_EQ(RoundHalfEven(5, 2), 2);
  EXPECT_EQ(RoundHalfEven(250, 8), 31);   // 31.25
  EXPECT_EQ(RoundHalfEven(100, 8), 12);   // 12.5 -> 12
  EXPECT_EQ(RoundHalfEven(300, 8), 38);   // 37.5 -> 38
  EXPECT_EQ(RoundHalfEven(2665, 100), 27);  // 26.65
}

class ProgressTest : public ::testing::Test, public testing::ScanFixture {};

TEST_F(ProgressTest, ASingleItemNeverMovesTheBar) {
  StartScan();
  int seen = 0;
  ForEachItem(s, {"only"}, Bar::ByScanMode, [&](const std::string&) { ++seen; });
  EXPECT_EQ(seen, 1);
  EXPECT_TRUE(host.widths.empty());
}

TEST_F(ProgressTest, PercentAndWidthRoundHalfToEvenAndOnlyMoveForward) {
  StartScan();
  // Eight items: 0, 12.5, 25, 37.5, 50, 62.5, 75, 87.5 percent.
  ForEachItem(s, {"a", "b", "c", "d", "e", "f", "g", "h"}, Bar::ByScanMode, [](const std::string&) {});
  std::vector<int> pixels;
  for (auto w : host.widths) {
    EXPECT_EQ(w.bar, 3);
    pixels.push_back(w.pixels);
  }
  // 12 -> 63.96, 25 -> 133.25, 38 -> 202.54, 50 -> 266.5 (even: 266), 62 -> 330.46, 75 -> 399.75, 88 -> 469.04
  EXPECT_EQ(pixels, (std::vector<int>{64, 133, 203, 266, 330, 400, 469}));
}

TEST_F(ProgressTest, BarFollowsScanModeAndOtherModesMoveNothing) {
  StartScan();
  app.ScanMode = 2;
  ForEachItem(s, {"a", "b"}, Bar::ByScanMode, [](const std::string&) {});
  ASSERT_EQ(host.widths.size(), 1u);
  EXPECT_EQ(host.widths[0].bar, 2);
  host.widths.clear();
  app.ScanMode = 4;
  ForEachItem(s, {"a", "b"}, Bar::ByScanMode, [](const std::string&) {});
  EXPECT_TRUE(host.widths.empty());
  ForEachItem(s, {"a", "b"}, Bar::RegistryTab, [](const std::string&) {});
  ASSERT_EQ(host.widths.size(), 1u);
  EXPECT_EQ(host.widths[0].bar, 3);
}

TEST_F(ProgressTest, StopRunsTheLoopOutWithoutWorkAndEmptyNamesAreSkipped) {
  StartScan();
  host.actions[3] = [&] { app.CancelFlag = false; };
  std::vector<std::string> seen;
  ForEachItem(s, {"a", "", "c", "d"}, Bar::None, [&](const std::string& n) { seen.push_back(n); });
  EXPECT_EQ(seen, (std::vector<std::string>{"a"}));
  EXPECT_EQ(host.pumps, 4);  // one pump per item, even after Stop
}

class ValueWalkTest : public ::testing::Test, public testing::ScanFixture {};

TEST_F(ValueWalkTest, FindsValuesAtAnyDepthIncludingLeafKeys) {
  StartScan();
  p.registry.CreateKey(kHkcr, "\\Empty\\A\\B\\C");
  p.registry.CreateKey(kHkcr, "\\Empty\\D");
  EXPECT_TRUE(KeyIsEmpty(s, kHkcr, "\\Empty\\"));
  p.registry.SetString(kHkcr, "\\Deep\\A\\B\\C\\D", "x", "1");
  EXPECT_FALSE(KeyIsEmpty(s, kHkcr, "\\Deep\\"));
  // A leaf subkey (no subkeys of its own) holding a value.
  p.registry.CreateKey(kHkcr, "\\Leaf\\A\\Sub");
  p.registry.SetString(kHkcr, "\\Leaf\\B", "", "set");
  EXPECT_FALSE(KeyIsEmpty(s, kHkcr, "\\Leaf\\"));
}

TEST_F(ValueWalkTest, AWalkCutShortByStopNeverSaysEmpty) {
  StartScan();
  p.registry.CreateKey(kHkcr, "\\Holder\\A");
  p.registry.SetString(kHkcr, "\\Holder\\Z", "kept", "1");
  host.actions[host.pumps + 2] = [&] { app.CancelFlag = false; };
  EXPECT_FALSE(KeyIsEmpty(s, kHkcr, "\\Holder\\"));
  EXPECT_EQ(s.ValuesFound, 0);  // the walk stopped before reaching the value
}

}  // namespace
}  // namespace qrv
