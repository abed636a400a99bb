#include "dialogs/skinned_dialog.h"

#include <utility>

namespace qrv {

namespace {
std::string BackgroundFor(int width, int height) {
  return "dialog_" + std::to_string(width) + "x" + std::to_string(height);
}
}  // namespace

SkinnedDialog::SkinnedDialog(std::string className, int width, int height, int dragAboveY, int dragLeftOfX)
    : className_(std::move(className)), width_(width), height_(height), dragAboveY_(dragAboveY),
      dragLeftOfX_(dragLeftOfX) {
  WndImage.name = "WndImage";
  WndImage.image = BackgroundFor(width, height);
  WndImage.r = {0, 0, width, height};
  WndImage.onMouseMove = [this] { Buttons.ResetAll(); };
  Title.name = "Title";
  Title.r = {24, 10, width - 48, 22};
  Title.font = {10, true, false};
  Title.colour = kWhite;
}

bool SkinnedDialog::IsCaption(int x, int y) const {
  if (y >= dragAboveY_) return false;
  return dragLeftOfX_ < 0 || x < dragLeftOfX_;
}

void SkinnedDialog::KeyDown(Key key) {
  if (key == Key::Escape) {
    Close();
    return;
  }
  const Scene scene = Contents();
  if (key == Key::Enter && Focus.Focused(scene) == nullptr) {
    const LanguageTable none;
    for (const AccessibleElement& e : AccessibleElements(scene, none, nullptr)) {
      if (e.focusable && e.role == Role::Button) {
        Focus.Set(e.node);
        break;
      }
    }
  }
  Focus.KeyDown(key, scene);
}

Scene SkinnedDialog::Contents() {
  Scene scene{&WndImage, &Title};
  AddContents(scene);
  return scene;
}

void SkinnedDialog::MakeButton(ImageButton& button, const std::string& name, int left, int top,
                               const std::string& caption, std::function<void()> action) {
  ButtonGroup::Make(button, Buttons, name, {left, top, 123, 32}, "button", std::move(action));
  button.caption.text = caption;
  button.caption.font = {8, true, false};
  button.caption.colour = kWhite;
}

}  // namespace qrv
