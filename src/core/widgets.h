#pragma once
// What a window shows, as plain data: labels, pictures and image buttons with
// their places, texts, colours and handlers. Pages and dialogs build these and
// change them; the drawing layer paints them in order and forwards the mouse
// to the topmost one under it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qrv {

// Colours as Windows keeps them: 0x00BBGGRR (255 is red).
using Colour = std::uint32_t;
inline constexpr Colour kWhite = 16777215;
inline constexpr Colour kDarkGrey = 4605510;
inline constexpr Colour kRed = 255;

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
  bool Contains(int x, int y) const { return x >= left && x < left + width && y >= top && y < top + height; }
};

// Every text of the program is set in Arial.
struct Font {
  int size = 8;  // points
  bool bold = false;
  bool underline = false;
};

enum class Align { Left, Centre, Right };

// The keys a window handles itself.
enum class Key { Escape, F1, Tab, ShiftTab, Space, Enter, Left, Right, Up, Down, Other };

// What an element is to the keyboard and to a screen reader. Auto: taken
// from its kind (a clickable label is a link, a clickable picture a button,
// a tick box's picture a check box, a label without a click static text).
enum class Role { Auto, None, Text, Button, Link, CheckBox, Radio, PageTab, List, DropDown, TimePicker, TextBox };

// The width a text takes on screen; the drawing layer measures, tests count.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual int Width(const std::string& text, const Font& font) = 0;
};

struct Node {
  virtual ~Node() = default;
  std::string name;
  Bounds r;
  bool visible = true;
  bool hand = false;  // hand-point cursor
  std::string tooltip;
  std::function<void()> onClick;
  std::function<void()> onMouseMove;
  // For the keyboard and screen readers (see core/keyboard.h).
  Role role = Role::Auto;
  std::string accName;              // the name of an element that shows no text of its own
  const Node* partOf = nullptr;     // a piece of another element (a button's images, a tick's caption)
  std::vector<const Node*> labelledBy;  // the texts beside it that name it
  int checkState = -1;              // a check box or radio button: 0 or 1
  bool current = false;             // the page tab in front
  char accessKey = 0;               // the caption's marked letter (lower case), if any
};

struct Label : Node {
  std::string text;
  Font font;
  Colour colour = kDarkGrey;
  Align align = Align::Left;
  bool wrap = false;            // word-wrapped within its bounds
  bool centreVertically = false;
  bool opaque = false;          // filled with `back` before the text
  Colour back = kWhite;
};

// An image of the skin, drawn at its bounds.
struct Picture : Node {
  std::string image;
};

// A filled rectangle, with an optional one-pixel frame.
struct Panel : Node {
  Colour fill = kWhite;
  bool framed = false;
  Colour frame = kDarkGrey;
};

// A read-only multi-line text box with scroll bars (a system control).
struct TextBox : Node {
  std::vector<std::string> lines;
  bool wrap = false;
  // Raised by the owner whenever it replaces the lines after the box is shown.
  int version = 0;
};

// An animated picture (a GIF file of the program folder), playing while shown.
struct Animation : Node {
  std::string file;
};

// A report-style list with tick boxes, grid lines and small icons (a system
// control). The drawing layer writes the user's ticks back into `rows`.
struct ReportList : Node {
  struct Column {
    std::string caption;
    int width = 100;
  };
  struct Row {
    bool checked = true;
    std::vector<std::string> cells;
    std::string iconFile;  // the file whose icon the row shows, if any
    int iconIndex = 0;     // which icon of that file
    bool icon = true;      // false: the row shows no icon at all
  };
  std::vector<Column> columns;
  std::vector<Row> rows;
  // A list without tick boxes lets the user select one row only.
  bool checkboxes = true;
  // Raised by the owner whenever it replaces columns or rows.
  int version = 0;
  // The current row (-1: none). The drawing layer shows it, writes the
  // user's choice back and then calls onSelect.
  int selected = -1;
  std::function<void()> onSelect;
};

// Two images at one place, the highlighted one hidden at first, and a caption
// centred on top. Moving over any of the three highlights it; clicking the
// image or the caption runs the action.
struct ImageButton {
  // The images and the caption are one element to the keyboard.
  ImageButton() { b.partOf = caption.partOf = &a; }
  ImageButton(const ImageButton&) = delete;
  ImageButton& operator=(const ImageButton&) = delete;
  Picture a;
  Picture b;
  Label caption;
  void SetVisible(bool v) {
    a.visible = v;
    b.visible = false;
    caption.visible = v;
  }
  bool Visible() const { return a.visible || b.visible; }
  bool Highlighted() const { return b.visible; }
  void Normal() {
    if (b.visible) {
      b.visible = false;
      a.visible = true;
    }
  }
};

// The buttons of one window: only one is highlighted at a time.
class ButtonGroup {
 public:
  void Add(ImageButton& button);
  void Hover(ImageButton& button);  // the mouse moves over the button
  void ResetAll();                  // the mouse moves over the background
  // Places a button and wires its hover and click.
  static void Make(ImageButton& button, ButtonGroup& group, const std::string& name, Bounds r,
                   const std::string& image, std::function<void()> action);

 private:
  std::vector<ImageButton*> buttons_;
};

// A tick box drawn as one of two images, with its caption to the right.
struct TickBox {
  TickBox() {
    caption.partOf = &box;
    box.checkState = 0;
  }
  TickBox(const TickBox&) = delete;
  TickBox& operator=(const TickBox&) = delete;
  Picture box;
  Label caption;
  bool checked = false;
  void Set(bool on) {
    checked = on;
    box.checkState = on ? 1 : 0;
    box.image = on ? "tick_on" : "tick_off";
  }
  // The same box drawn as a radio button, one of a group.
  void SetRadio(bool on) {
    checked = on;
    box.checkState = on ? 1 : 0;
    box.role = Role::Radio;
    box.image = on ? "radio_on" : "radio_off";
  }
};

// --- Startup manager and schedule dialogs: system controls ---
// A drop-down list that cannot be edited; the drawing layer writes the
// user's choice back (-1: none).
struct DropDownList : Node {
  std::vector<std::string> items;
  int selected = -1;
  bool enabled = true;
};

// A time-of-day picker: `value` is a local date-time whose time of day the
// user changes; the drawing layer writes it back.
struct TimePicker : Node {
  double value = 0;
  bool enabled = true;
};
// --- end startup manager and schedule dialogs ---

using Scene = std::vector<Node*>;

void AddButton(Scene& scene, ImageButton& button);

}  // namespace qrv
