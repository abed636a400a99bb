#include "app/clean_up_page.h"

#include <string>

namespace qrv {

CleanUpPage::CleanUpPage(const LanguageTable& language, std::function<void(int)> choose) : Page("Panel4") {
  const std::array<int, 3> tops{32, 136, 256};
  const std::array<TextId, 3> captions{TextId::Action4Cleanup, TextId::ActionsAction7, TextId::ActionsAction8};
  for (int i = 0; i < 3; ++i) {
    const auto n = static_cast<std::size_t>(i);
    ImageButton& b = Buttons[n];
    ButtonGroup::Make(b, Group, "Panel4Button" + std::to_string(i + 1), PageBounds(93, tops[n], 540, 78),
                      "button_large", [choose, i] { choose(i + 1); });
    b.caption.r = PageBounds(184, tops[n] + 6, 440, 64);
    b.caption.wrap = true;
    b.caption.font = {10, true, false};
    b.caption.text = language.Text(captions[n]);
    Picture& icon = Icons[n];
    icon.name = "Panel4Icon" + std::to_string(i + 1);
    icon.image = "cleanup_icon" + std::to_string(i + 1);
    icon.r = PageBounds(93 + 18, tops[n] + 11, 56, 56);
    icon.hand = true;
    icon.onMouseMove = b.a.onMouseMove;
    icon.onClick = b.a.onClick;
    icon.partOf = &b.a;  // one element with its button
  }
  Back.onMouseMove = [this] { Group.ResetAll(); };
}

void CleanUpPage::AddContents(Scene& scene) {
  for (std::size_t i = 0; i < 3; ++i) {
    scene.push_back(&Buttons[i].a);
    scene.push_back(&Buttons[i].b);
    scene.push_back(&Icons[i]);
    scene.push_back(&Buttons[i].caption);
  }
}

}  // namespace qrv
