#include "app/about_page.h"

#include <string>

namespace qrv {

AboutPage::AboutPage(MainWindow& window) : Page("Panel6"), LogUndo(window) {
  const LanguageTable& language = window.App().language;
  const std::array<TextId, 2> captions{TextId::AboutAbout, TextId::Action6LogUndo};
  for (int i = 0; i < 2; ++i) {
    Label& t = PageTabs[static_cast<std::size_t>(i)];
    t.name = i == 0 ? "TabSheet1" : "TabSheet2";
    t.r = PageBounds(8 + 124 * i, 6, 120, 26);
    t.text = language.Text(captions[static_cast<std::size_t>(i)]);
    t.align = Align::Centre;
    t.centreVertically = true;
    t.opaque = true;
    t.back = kWhite;
    t.font = {9, false, false};
    t.hand = true;
    t.onClick = [this, i] { Select(i); };
    t.role = Role::PageTab;
  }
  TabLine.name = "TabLine";
  TabLine.r = PageBounds(8, 33, 700, 1);
  TabLine.fill = 0xECE6DF;  // the divider colour of the skin
  SelectedBar.name = "SelectedBar";
  SelectedBar.fill = 0x85960F;  // the skin's accent
  ProductName.name = "AboutName";
  ProductName.r = PageBounds(260, 90, 300, 44);
  ProductName.text = "Quorvane";
  ProductName.font = {22, true, false};
  Version.name = "AboutVersion";
  Version.r = PageBounds(262, 140, 300, 20);
  Version.text = language.Text(TextId::AboutVersion) + " 2.1";
  Version.font = {10, false, false};
  Logo.name = "AboutLogo";
  Logo.image = "logo";
  Logo.r = PageBounds(40, 80, 200, 108);
  Select(0);
}

void AboutPage::Enter() {
  Select(0);
  LogUndo.Enter();
}

void AboutPage::Select(int index) {
  selected_ = index;
  for (int i = 0; i < 2; ++i) {
    Label& t = PageTabs[static_cast<std::size_t>(i)];
    t.font.bold = i == index;
    t.current = i == index;
    t.colour = i == index ? kDarkGrey : 8421504;  // grey for the page behind
  }
  const Bounds& tab = PageTabs[static_cast<std::size_t>(index)].r;
  SelectedBar.r = {tab.left, tab.Bottom(), tab.width, 2};
  ProductName.visible = Version.visible = Logo.visible = index == 0;
  LogUndo.SetVisible(index == 1);
}

void AboutPage::AddContents(Scene& scene) {
  scene.push_back(&PageTabs[0]);
  scene.push_back(&PageTabs[1]);
  scene.push_back(&TabLine);
  scene.push_back(&SelectedBar);
  scene.push_back(&Logo);
  scene.push_back(&ProductName);
  scene.push_back(&Version);
  LogUndo.AddContents(scene);
}

}  // namespace qrv
