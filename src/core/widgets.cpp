#include "core/widgets.h"

#include <utility>

namespace qrv {

void ButtonGroup::Add(ImageButton& button) { buttons_.push_back(&button); }

void ButtonGroup::Hover(ImageButton& button) {
  if (button.b.visible) return;
  ResetAll();
  button.b.visible = true;
  button.a.visible = false;
}

void ButtonGroup::ResetAll() {
  for (ImageButton* b : buttons_) b->Normal();
}

void ButtonGroup::Make(ImageButton& button, ButtonGroup& group, const std::string& name, Bounds r,
                       const std::string& image, std::function<void()> action) {
  button.a.name = name + "A";
  button.b.name = name + "B";
  button.caption.name = name + "Label";
  button.a.r = button.b.r = button.caption.r = r;
  button.a.image = image + "_a";
  button.b.image = image + "_b";
  button.b.visible = false;
  button.caption.align = Align::Centre;
  button.caption.centreVertically = true;
  button.a.hand = button.b.hand = button.caption.hand = true;
  auto hover = [&group, &button] { group.Hover(button); };
  button.a.onMouseMove = button.b.onMouseMove = button.caption.onMouseMove = hover;
  button.a.onClick = button.b.onClick = button.caption.onClick = std::move(action);
  group.Add(button);
}

void AddButton(Scene& scene, ImageButton& button) {
  scene.push_back(&button.a);
  scene.push_back(&button.b);
  scene.push_back(&button.caption);
}

}  // namespace qrv
