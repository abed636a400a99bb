// The keyboard and screen readers: every page and dialog in Tab order, the
// keys acting as clicks, and a Home scan repaired without the mouse.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/keyboard.h"
#include "core/scan_host.h"
#include "engine/registry_ops.h"
#include "home/home_pages.h"
#include "unit/home_seed.h"
#include "unit/window_fixture.h"

namespace qrv::testing {
namespace {

const char* RoleName(Role role) {
  static const char* const names[] = {"auto", "none", "text", "button", "link", "check box", "radio", "tab",
                                      "list", "drop-down", "time", "text box"};
  return names[static_cast<int>(role)];
}

// What one window offers the keyboard: its scene, its keys and its focus.
struct Surface {
  std::string where;
  std::function<Scene()> scene;
  std::function<void(Key)> press;
  KeyboardFocus* focus;
};

// Tab visits every visible, enabled element that acts once, in reading
// order, and comes round again; Shift+Tab goes back. Every element a screen
// reader finds has a role and a name. Space on each runs that element's click.
void ExpectKeyboardReachesEverything(const Surface& s, const LanguageTable& language) {
  SCOPED_TRACE(s.where);
  const std::vector<AccessibleElement> all = AccessibleElements(s.scene(), language, nullptr);
  std::vector<const AccessibleElement*> reachable;
  for (const AccessibleElement& e : all) {
    EXPECT_NE(e.role, Role::None);
    EXPECT_NE(e.role, Role::Auto);
    EXPECT_FALSE(e.name.empty()) << RoleName(e.role) << " " << e.node->name;
    EXPECT_EQ(e.name.find("&&"), std::string::npos) << e.name;
    if (e.focusable) reachable.push_back(&e);
    if (!e.visible || !e.enabled) {
      EXPECT_FALSE(e.focusable) << e.node->name;
    }
  }
  ASSERT_FALSE(reachable.empty());
  // One stop per element: a button's images and caption, a tick and its
  // caption, are one element.
  for (std::size_t i = 0; i < reachable.size(); ++i) {
    for (std::size_t j = i + 1; j < reachable.size(); ++j) {
      const Bounds& a = reachable[i]->r;
      const Bounds& b = reachable[j]->r;
      const bool overlap = a.left < b.Right() && b.left < a.Right() && a.top < b.Bottom() && b.top < a.Bottom();
      EXPECT_FALSE(overlap) << reachable[i]->name << " and " << reachable[j]->name;
    }
  }
  s.focus->Clear();
  std::vector<const Node*> visited;
  for (std::size_t i = 0; i < reachable.size(); ++i) {
    s.press(Key::Tab);
    visited.push_back(s.focus->Focused(s.scene()));
  }
  for (std::size_t i = 0; i < reachable.size(); ++i) {
    EXPECT_EQ(visited[i], reachable[i]->node) << i << " " << reachable[i]->name;
    if (i == 0) continue;
    // Never back to a row above the one before.
    const Bounds& before = reachable[i - 1]->r;
    const Bounds& now = reachable[i]->r;
    EXPECT_GT(now.Bottom(), before.top) << reachable[i - 1]->name << " -> " << reachable[i]->name;
  }
  EXPECT_EQ(std::set<const Node*>(visited.begin(), visited.end()).size(), visited.size());
  s.press(Key::Tab);
  EXPECT_EQ(s.focus->Focused(s.scene()), reachable.front()->node) << "Tab comes round";
  s.press(Key::ShiftTab);
  EXPECT_EQ(s.focus->Focused(s.scene()), reachable.back()->node) << "Shift+Tab goes back";

  // Space on each element runs its click (recorded, not run).
  s.focus->Clear();
  for (const AccessibleElement* e : reachable) {
    s.press(Key::Tab);
    const bool acts = e->role != Role::List && e->role != Role::DropDown && e->role != Role::TimePicker &&
                      e->role != Role::TextBox;
    if (!acts) continue;
    Node* hit = nullptr;
    std::map<Node*, std::function<void()>> kept;
    for (Node* n : s.scene()) {
      if (n != e->node && n->partOf != e->node) continue;
      if (!n->onClick) continue;
      kept[n] = n->onClick;
      n->onClick = [&hit, e] { hit = e->node; };
    }
    s.press(Key::Space);
    for (auto& [n, click] : kept) n->onClick = click;
    EXPECT_EQ(hit, e->node) << e->name;
  }
}

class KeyboardTest : public ::testing::Test, public WindowFixture {
 protected:
  void SetUp() override { p.clock = 46365.5; }
  Surface Window(const std::string& where) {
    return {where, [this] { return form.Contents(); }, [this](Key k) { form.FormKeyDown(k); }, &form.Focus};
  }
  static Surface Of(SkinnedDialog& d) {
    return {d.ClassName(), [&d] { return d.Contents(); }, [&d](Key k) { d.KeyDown(k); }, &d.Focus};
  }
  // The focused element as a screen reader names it.
  std::string FocusedName() {
    for (const AccessibleElement& e : form.Accessible()) {
      if (e.focused) return e.name;
    }
    return {};
  }
  // Tab until the element of that name has the focus.
  void TabTo(const std::string& name) {
    for (int i = 0; i < 80 && FocusedName() != name; ++i) form.FormKeyDown(Key::Tab);
    ASSERT_EQ(FocusedName(), name);
  }
};

TEST_F(KeyboardTest, EveryPageAndDialogIsReachedInReadingOrderAndEachKeyActsAsAClick) {
  SeedHomeFindings(p, app.folders);
  Create();
  HomePage& home = dynamic_cast<HomePage&>(form.PageOf(PageId::Panel1));
  home.Panel1Button1.a.onClick();  // a summary to show
  for (int i = 0; i < kPageCount; ++i) {
    form.BringToFront(static_cast<PageId>(i));
    ExpectKeyboardReachesEverything(Window(form.PageOf(static_cast<PageId>(i)).Name()), app.language);
  }

  TForm3a information(app.language);
  TForm3b confirmation(app.language);
  TForm1b details(app.language);
  TForm3c reboot(app.language, p.registry);
  TForm2a about(app.language);
  details.Lines.lines = {"File not found: C:\\gone.exe"};
  for (SkinnedDialog* d : std::initializer_list<SkinnedDialog*>{&information, &confirmation, &details, &reboot, &about}) {
    d->Show();
    ExpectKeyboardReachesEverything(Of(*d), app.language);
  }
  // The tools' dialogs, as the Home page's links open them; the startup
  // manager's Add opens its own dialog.
  std::vector<std::string> checked;
  const auto check = [&](SkinnedDialog& d) {
    checked.push_back(d.ClassName());
    ExpectKeyboardReachesEverything(Of(d), app.language);
  };
  runner.actions = {[&](SkinnedDialog& d) {
                      check(d);
                      d.Buttons.ResetAll();
                      for (Node* n : d.Contents()) {
                        if (n->name == "Button1A") n->onClick();  // Add
                      }
                    },
                    check, check, check};
  form.Tab1Click();
  home.Captions[3].onClick();  // start up
  home.Captions[4].onClick();  // performance
  home.Panel1Label9c.onClick();  // the schedule
  EXPECT_EQ(checked.size(), 4u);
}

TEST_F(KeyboardTest, AHomeScanIsRepairedFromTheKeyboardAlone) {
  SeedHomeFindings(p, app.folders);
  Create();
  TabTo("Start Scan");
  form.FormKeyDown(Key::Enter);
  ASSERT_EQ(form.FrontPage(), PageId::Panel2B);
  EXPECT_TRUE(form.Focus.MarkShown());

  // The groups' ticks are named after their lines; Space unticks group 2.
  std::vector<AccessibleElement> boxes;
  for (const AccessibleElement& e : form.Accessible()) {
    if (e.role == Role::CheckBox) boxes.push_back(e);
  }
  ASSERT_GE(boxes.size(), 7u);
  auto& summary = dynamic_cast<SummaryPage&>(form.PageOf(PageId::Panel2B));
  EXPECT_EQ(boxes[1].name, summary.Counts[1].text + " " + summary.Texts[1].text);
  EXPECT_EQ(boxes[1].checked, 1);
  TabTo(boxes[1].name);
  form.FormKeyDown(Key::Space);
  EXPECT_FALSE(summary.Ticked(2));

  TabTo("Repair & Optimize");
  form.FormKeyDown(Key::Enter);
  EXPECT_FALSE(KeyExists(p, kHklm, kAppPaths + "gone.exe"));
  EXPECT_TRUE(KeyExists(p, kHklm, kAppPaths + "kept.exe"));
  EXPECT_TRUE(ValueExists(p, kHkcu, kRunMru, "a")) << "the unticked group stays";
  EXPECT_FALSE(p.files.Exists("C:\\Stuff\\report.bak"));
  EXPECT_TRUE(p.files.Exists("C:\\Stuff\\report.doc"));
}

TEST_F(KeyboardTest, ArrowsSelectTabsAndTheFocusStaysWithItsPage) {
  Create();
  TabTo("Registry");
  form.FormKeyDown(Key::Right);
  EXPECT_EQ(form.FrontTab(), 3);
  EXPECT_EQ(FocusedName(), "Clean Up");
  form.FormKeyDown(Key::Left);
  form.FormKeyDown(Key::Left);
  form.FormKeyDown(Key::Left);
  EXPECT_EQ(form.FrontTab(), 5) << "the arrows wrap round";
  bool selected = false;
  for (const AccessibleElement& e : form.Accessible()) {
    if (e.role == Role::PageTab && e.name == "About") selected = e.selected;
  }
  EXPECT_TRUE(selected);

  // A page's own element keeps the focus while another page is in front.
  form.Tab1Click();
  TabTo("Start Scan");
  form.Tab2Click();
  EXPECT_NE(FocusedName(), "Start Scan");
  form.Tab1Click();
  EXPECT_EQ(FocusedName(), "Start Scan");

  // Enter in a dialog with nothing focused presses its first button; Escape
  // closes without it.
  runner.actions = {[](SkinnedDialog& d) { d.KeyDown(Key::Enter); },
                    [](SkinnedDialog& d) { d.KeyDown(Key::Escape); }};
  EXPECT_TRUE(form.Messages().Confirm("Go on?"));
  EXPECT_FALSE(form.Messages().Confirm("Go on?"));
}

TEST(KeyboardFocusTest, AltWithAMarkedLetterActsAndNamesDropTheMark) {
  EXPECT_EQ(CaptionName("&Scan"), "Scan");
  EXPECT_EQ(CaptionName("Repair && Optimize"), "Repair & Optimize");
  EXPECT_EQ(CaptionName("Trailing &"), "Trailing &");
  Label scan, quiet, hidden;
  int clicks = 0;
  scan.text = "&Scan";
  scan.accessKey = 's';
  scan.onClick = [&clicks] { ++clicks; };
  hidden.accessKey = 'h';
  hidden.text = "&Hidden";
  hidden.visible = false;
  hidden.onClick = [&clicks] { clicks += 100; };
  quiet.text = "Quiet";
  const Scene scene{&quiet, &scan, &hidden};
  KeyboardFocus focus;
  EXPECT_TRUE(focus.AccessKey('S', scene));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(focus.Focused(scene), &scan);
  EXPECT_FALSE(focus.AccessKey('h', scene)) << "a hidden element is skipped";
  EXPECT_FALSE(focus.AccessKey('q', scene));
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace qrv::testing
