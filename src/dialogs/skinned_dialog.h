#pragma once
// The behaviour every secondary window shares: a background image that gives
// its shape, a drag zone along its top, buttons that highlight one at a time,
// and Escape to close.
#include <string>

#include "core/keyboard.h"
#include "core/widgets.h"

namespace qrv {

class SkinnedDialog {
 public:
  // The window is the caption (draggable) above `dragAboveY` and, when given,
  // left of `dragLeftOfX`.
  SkinnedDialog(std::string className, int width, int height, int dragAboveY, int dragLeftOfX = -1);
  virtual ~SkinnedDialog() = default;
  SkinnedDialog(const SkinnedDialog&) = delete;
  SkinnedDialog& operator=(const SkinnedDialog&) = delete;

  const std::string& ClassName() const { return className_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::string& Background() const { return WndImage.image; }

  // Called when the modal run starts.
  virtual void Show() { closed_ = false; }
  // Closing forgets the focus: the next showing starts afresh.
  void Close() {
    closed_ = true;
    Focus.Clear();
  }
  bool Closed() const { return closed_; }
  // Escape closes; Enter with nothing focused presses the first button, as
  // a dialog's default button; the other keys move and use the focus.
  void KeyDown(Key key);
  bool AccessKey(char letter) { return Focus.AccessKey(letter, Contents()); }
  std::vector<AccessibleElement> Accessible(const LanguageTable& language) {
    const Scene scene = Contents();
    return AccessibleElements(scene, language, Focus.Focused(scene));
  }
  bool IsCaption(int x, int y) const;
  // What the window shows, in paint order (the background first).
  Scene Contents();

  Picture WndImage;
  Label Title;
  ButtonGroup Buttons;
  KeyboardFocus Focus;

 protected:
  // The dialog's own elements, painted after the background and title.
  virtual void AddContents(Scene& scene) = 0;
  void MakeButton(ImageButton& button, const std::string& name, int left, int top, const std::string& caption,
                  std::function<void()> action);

 private:
  std::string className_;
  int width_;
  int height_;
  int dragAboveY_;
  int dragLeftOfX_;
  bool closed_ = false;
};

// Runs a dialog modally: the window system shows it, tests script it.
class ModalRunner {
 public:
  virtual ~ModalRunner() = default;
  virtual void RunModal(SkinnedDialog& dialog) = 0;
};

}  // namespace qrv
