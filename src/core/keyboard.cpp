#include "core/keyboard.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <utility>

namespace qrv {

namespace {

bool Acts(Role role) {
  switch (role) {
    case Role::Button:
    case Role::Link:
    case Role::CheckBox:
    case Role::Radio:
    case Role::PageTab:
      return true;
    default:
      return false;
  }
}

// The system controls take the keys themselves once they have the focus.
bool SystemControl(Role role) {
  return role == Role::List || role == Role::DropDown || role == Role::TimePicker || role == Role::TextBox;
}

Role RoleOf(const Node& n) {
  if (n.role != Role::Auto) return n.role;
  if (dynamic_cast<const ReportList*>(&n) != nullptr) return Role::List;
  if (dynamic_cast<const DropDownList*>(&n) != nullptr) return Role::DropDown;
  if (dynamic_cast<const TimePicker*>(&n) != nullptr) return Role::TimePicker;
  if (dynamic_cast<const TextBox*>(&n) != nullptr) return Role::TextBox;
  if (const auto* label = dynamic_cast<const Label*>(&n)) {
    if (n.onClick) return Role::Link;
    return label->text.empty() ? Role::None : Role::Text;
  }
  if (n.checkState >= 0) return Role::CheckBox;
  return n.onClick ? Role::Button : Role::None;
}

bool Enabled(const Node& n, Role role, bool hasAction) {
  if (const auto* list = dynamic_cast<const DropDownList*>(&n)) return list->enabled;
  if (const auto* picker = dynamic_cast<const TimePicker*>(&n)) return picker->enabled;
  return !Acts(role) || hasAction;
}

// A caption shows its text as it stands, unless it marks a letter.
std::string TextOf(const Node& n) {
  const auto* label = dynamic_cast<const Label*>(&n);
  if (label == nullptr) return {};
  return label->accessKey != 0 ? CaptionName(label->text) : label->text;
}

TextId FallbackName(Role role) {
  switch (role) {
    case Role::Button: return TextId::AccessButton;
    case Role::Link: return TextId::AccessLink;
    case Role::CheckBox: return TextId::AccessCheckBox;
    case Role::Radio: return TextId::AccessRadio;
    case Role::PageTab: return TextId::AccessPageTab;
    case Role::List: return TextId::AccessList;
    case Role::DropDown: return TextId::AccessDropDown;
    case Role::TimePicker: return TextId::AccessTimePicker;
    case Role::TextBox: return TextId::AccessTextBox;
    default: return TextId::AccessText;
  }
}

// An element with the nodes that make it up: its main node first.
struct Gathered {
  AccessibleElement element;
  std::vector<Node*> parts;
};

std::vector<Gathered> Gather(const Scene& scene) {
  std::vector<Gathered> all;
  std::map<const Node*, std::size_t> at;
  for (Node* node : scene) {
    if (node->partOf == nullptr || std::find(scene.begin(), scene.end(), node->partOf) == scene.end()) {
      at[node] = all.size();
      all.push_back({{}, {node}});
    }
  }
  for (Node* node : scene) {
    const auto owner = node->partOf != nullptr ? at.find(node->partOf) : at.end();
    if (owner != at.end()) all[owner->second].parts.push_back(node);
  }
  std::vector<Gathered> kept;
  for (Gathered& g : all) {
    Node& main = *g.parts.front();
    AccessibleElement& e = g.element;
    e.node = &main;
    e.role = RoleOf(main);
    if (e.role == Role::None) continue;
    // Its place: what of it shows (a tick and its caption together).
    e.r = main.r;
    bool placed = false;
    for (const Node* n : g.parts) {
      if (!n->visible) continue;
      if (!placed) {
        e.r = n->r;
        placed = true;
        continue;
      }
      const int right = std::max(e.r.Right(), n->r.Right());
      const int bottom = std::max(e.r.Bottom(), n->r.Bottom());
      e.r.left = std::min(e.r.left, n->r.left);
      e.r.top = std::min(e.r.top, n->r.top);
      e.r.width = right - e.r.left;
      e.r.height = bottom - e.r.top;
    }
    e.visible = placed;
    const bool action = std::any_of(g.parts.begin(), g.parts.end(), [](const Node* n) { return bool(n->onClick); });
    e.enabled = Enabled(main, e.role, action);
    e.focusable = e.visible && e.enabled && (Acts(e.role) || SystemControl(e.role));
    e.checked = main.checkState;
    e.selected = main.current;
    for (const Node* n : g.parts) {
      if (e.accessKey == 0) e.accessKey = n->accessKey;
    }
    kept.push_back(std::move(g));
  }
  // Reading order: a row starts with the highest element not yet placed and
  // takes every element whose top lies above that element's middle.
  std::stable_sort(kept.begin(), kept.end(),
                   [](const Gathered& a, const Gathered& b) { return a.element.r.top < b.element.r.top; });
  std::vector<Gathered> ordered;
  std::size_t i = 0;
  while (i < kept.size()) {
    const Bounds& first = kept[i].element.r;
    const int rowEnd = first.top + std::max(1, first.height / 2);
    std::size_t j = i;
    while (j < kept.size() && kept[j].element.r.top < rowEnd) ++j;
    std::stable_sort(kept.begin() + static_cast<std::ptrdiff_t>(i), kept.begin() + static_cast<std::ptrdiff_t>(j),
                     [](const Gathered& a, const Gathered& b) { return a.element.r.left < b.element.r.left; });
    for (; i < j; ++i) ordered.push_back(std::move(kept[i]));
  }
  return ordered;
}

std::string NameOf(const Gathered& g, const LanguageTable& language) {
  const Node& main = *g.parts.front();
  if (!main.accName.empty()) return main.accName;
  for (const Node* n : g.parts) {
    std::string text = TextOf(*n);
    if (!text.empty()) return text;
  }
  std::string joined;
  for (const Node* n : main.labelledBy) {
    const std::string text = n->visible ? TextOf(*n) : std::string();
    if (text.empty()) continue;
    if (!joined.empty()) joined += ' ';
    joined += text;
  }
  if (!joined.empty()) return joined;
  for (const Node* n : g.parts) {
    if (!n->tooltip.empty()) return n->tooltip;
  }
  return language.Text(FallbackName(g.element.role));
}

// The element's click: its main node's, else the first of its parts that has one.
std::function<void()> ClickOf(const Node& main, const Scene& scene) {
  if (main.onClick) return main.onClick;
  for (const Node* n : scene) {
    if (n->partOf == &main && n->onClick) return n->onClick;
  }
  return {};
}

}  // namespace

std::string CaptionName(const std::string& text) {
  std::string name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    name += text[i];
  }
  return name;
}

std::vector<AccessibleElement> AccessibleElements(const Scene& scene, const LanguageTable& language,
                                                  const Node* focused) {
  std::vector<AccessibleElement> elements;
  for (Gathered& g : Gather(scene)) {
    g.element.name = NameOf(g, language);
    g.element.focused = g.element.focusable && g.element.node == focused;
    elements.push_back(std::move(g.element));
  }
  return elements;
}

Node* KeyboardFocus::Focused(const Scene& scene) const {
  if (focused_ == nullptr) return nullptr;
  for (const Gathered& g : Gather(scene)) {
    if (g.element.node == focused_) return g.element.focusable ? g.element.node : nullptr;
  }
  return nullptr;
}

void KeyboardFocus::Set(const Node* node) {
  if (node != nullptr && node->partOf != nullptr) node = node->partOf;
  if (node == focused_) return;
  focused_ = node;
  ++changes_;
}

bool KeyboardFocus::Activate(const AccessibleElement& element) {
  if (!Acts(element.role)) return false;
  ShowMark();
  ++changes_;
  return true;
}

bool KeyboardFocus::KeyDown(Key key, const Scene& scene) {
  std::vector<AccessibleElement> order;
  for (Gathered& g : Gather(scene)) {
    if (g.element.focusable) order.push_back(std::move(g.element));
  }
  if (order.empty()) return false;
  const auto current = std::find_if(order.begin(), order.end(),
                                    [this](const AccessibleElement& e) { return e.node == focused_; });
  const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(order.size());
  const std::ptrdiff_t index = current == order.end() ? -1 : current - order.begin();
  const auto moveTo = [&](std::ptrdiff_t to) {
    ShowMark();
    Set(order[static_cast<std::size_t>(to)].node);
    return true;
  };
  switch (key) {
    case Key::Tab:
      return moveTo(index < 0 ? 0 : (index + 1) % count);
    case Key::ShiftTab:
      return moveTo(index < 0 ? count - 1 : (index + count - 1) % count);
    case Key::Space:
    case Key::Enter: {
      if (index < 0 || !Activate(order[static_cast<std::size_t>(index)])) return false;
      const std::function<void()> click = ClickOf(*order[static_cast<std::size_t>(index)].node, scene);
      if (click) click();
      return true;
    }
    case Key::Left:
    case Key::Right:
    case Key::Up:
    case Key::Down: {
      // Page tabs and radio buttons: a run of them in the order is one group.
      if (index < 0) return false;
      const Role role = order[static_cast<std::size_t>(index)].role;
      if (role != Role::PageTab && role != Role::Radio) return false;
      std::ptrdiff_t first = index;
      std::ptrdiff_t last = index;
      while (first > 0 && order[static_cast<std::size_t>(first - 1)].role == role) --first;
      while (last + 1 < count && order[static_cast<std::size_t>(last + 1)].role == role) ++last;
      const std::ptrdiff_t size = last - first + 1;
      const bool back = key == Key::Left || key == Key::Up;
      const std::ptrdiff_t to = first + (index - first + (back ? size - 1 : 1)) % size;
      moveTo(to);
      const std::function<void()> click = ClickOf(*order[static_cast<std::size_t>(to)].node, scene);
      if (click) click();
      return true;
    }
    default:
      return false;
  }
}

bool KeyboardFocus::AccessKey(char letter, const Scene& scene) {
  const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  for (const Gathered& g : Gather(scene)) {
    if (!g.element.focusable || g.element.accessKey != wanted) continue;
    ShowMark();
    Set(g.element.node);
    if (Activate(g.element)) {
      const std::function<void()> click = ClickOf(*g.element.node, scene);
      if (click) click();
    }
    return true;
  }
  return false;
}

}  // namespace qrv
