#include "core/ignore_list.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "core/settings.h"
#include "engine/registry_ops.h"
#include "engine/text.h"

namespace qrv {
namespace {

const std::string kIgnoreKey = std::string(kSettingsKey) + "\\" + settings::kIgnoreSubkey;
constexpr const char* kEntryPrefix = "Entry";
constexpr const char* kValuePrefix = "Value";

// The names between backslashes, upper-cased; one trailing backslash is
// allowed, an empty name anywhere else makes the text unreadable.
std::optional<std::vector<std::string>> SplitNames(std::string_view text) {
  std::vector<std::string> parts;
  if (!text.empty() && text.back() == '\\') text.remove_suffix(1);
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\\', start), text.size());
    if (end == start) return std::nullopt;
    parts.push_back(UpperCaseText(text.substr(start, end - start)));
    start = end + 1;
  }
  return parts;
}

// HKLM\SOFTWARE\Classes and HKCU\SOFTWARE\Classes are what HKCR shows.
void AsClassesRoot(RootKey& root, std::vector<std::string>& parts) {
  if ((root == RootKey::LocalMachine || root == RootKey::CurrentUser) && parts.size() >= 2 &&
      parts[0] == "SOFTWARE" && parts[1] == "CLASSES") {
    root = RootKey::ClassesRoot;
    parts.erase(parts.begin(), parts.begin() + 2);
  }
}

IgnoreTarget ReadRegistry(const std::string& text) {
  IgnoreTarget t;
  const std::size_t slash = text.find('\\');
  std::string rootName = text.substr(0, slash);
  if (rootName.size() > 2 && rootName.front() == '[' && rootName.back() == ']')
    rootName = rootName.substr(1, rootName.size() - 2);
  const std::optional<RootKey> root = RootFromName(rootName);
  if (!root || slash == std::string::npos) return t;
  auto parts = SplitNames(std::string_view(text).substr(slash + 1));
  if (!parts) return t;
  t.root = *root;
  t.parts = std::move(*parts);
  AsClassesRoot(t.root, t.parts);
  // A root alone, or the classes' root written the long way, names no entry.
  if (t.parts.empty()) return t;
  t.kind = IgnoreTarget::Kind::Registry;
  return t;
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

IgnoreTarget ReadPath(std::string text) {
  IgnoreTarget t;
  std::replace(text.begin(), text.end(), '/', '\\');
  if (text.size() < 4 || !IsDriveLetter(text[0]) || text[1] != ':' || text[2] != '\\') return t;
  if (text.find_first_of("*?\"<>|", 3) != std::string::npos || text.find(':', 2) != std::string::npos) return t;
  auto parts = SplitNames(text);
  if (!parts || parts->size() < 2) return t;
  for (const std::string& p : *parts)
    if (p == "." || p == "..") return t;
  t.parts = std::move(*parts);
  t.kind = IgnoreTarget::Kind::Path;
  return t;
}

// Whether `inner` is `outer` or lies below it, name by name.
bool Within(const std::vector<std::string>& inner, const std::vector<std::string>& outer) {
  return inner.size() >= outer.size() && std::equal(outer.begin(), outer.end(), inner.begin());
}

struct Place {
  RootKey root;
  std::vector<std::string> parts;
};
std::optional<Place> PlaceOf(RootKey root, const std::string& keyPath) {
  auto parts = SplitNames(RegistryPath(keyPath));
  if (!parts) return std::nullopt;
  Place p{root, std::move(*parts)};
  AsClassesRoot(p.root, p.parts);
  return p;
}

// The numbers of the stored values "Entry<n>" and "Value<n>", and their texts.
struct StoredItem {
  std::optional<std::string> entry;
  std::optional<std::string> value;
};
std::map<unsigned long, StoredItem> ReadStored(RegistryView& view) {
  std::map<unsigned long, StoredItem> items;
  std::vector<std::string> names;
  ReadValueNames(view, RootKey::CurrentUser, kIgnoreKey, names);
  for (const std::string& name : names) {
    const bool isEntry = StartsWithNoCase(name, kEntryPrefix);
    if (!isEntry && !StartsWithNoCase(name, kValuePrefix)) continue;
    const std::string digits = name.substr(5);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::optional<RegValue> v = ReadValue(view, RootKey::CurrentUser, kIgnoreKey, name);
    if (!v || (v->type != regtype::kString && v->type != regtype::kExpandString)) continue;
    StoredItem& item = items[std::strtoul(digits.c_str(), nullptr, 10)];
    (isEntry ? item.entry : item.value) = TextOfStringData(v->data);
  }
  return items;
}

bool SameEntry(const IgnoreEntry& a, const IgnoreEntry& b) {
  if (!EqualsNoCase(a.entry, b.entry) || a.value.has_value() != b.value.has_value()) return false;
  return !a.value || EqualsNoCase(*a.value, *b.value);
}

}  // namespace

IgnoreTarget ReadIgnoreEntry(const IgnoreEntry& entry) {
  const std::string text = Trim(entry.entry);
  IgnoreTarget t = text.size() >= 2 && text[1] == ':' ? ReadPath(text) : ReadRegistry(text);
  if (entry.value) {
    if (t.kind != IgnoreTarget::Kind::Registry) return IgnoreTarget{};
    t.value = UpperCaseText(*entry.value);
  }
  return t;
}

std::string IgnoreEntryText(const IgnoreEntry& entry) {
  if (!entry.value) return entry.entry;
  return entry.entry + " -> " + (entry.value->empty() ? std::string("(Default)") : *entry.value);
}

IgnoreList::IgnoreList(const std::vector<IgnoreEntry>& entries) {
  for (const IgnoreEntry& e : entries) {
    IgnoreTarget t = ReadIgnoreEntry(e);
    if (t.kind != IgnoreTarget::Kind::Unreadable) targets_.push_back(std::move(t));
  }
}

bool IgnoreList::CoversKey(RootKey root, const std::string& keyPath) const {
  if (targets_.empty()) return false;
  const std::optional<Place> p = PlaceOf(root, keyPath);
  if (!p) return false;
  for (const IgnoreTarget& t : targets_) {
    if (t.kind != IgnoreTarget::Kind::Registry || t.root != p->root) continue;
    // Deleting the key takes every key and value below it.
    if (Within(t.parts, p->parts)) return true;
    if (!t.value && Within(p->parts, t.parts)) return true;
  }
  return false;
}

bool IgnoreList::CoversValue(RootKey root, const std::string& keyPath, const std::string& name) const {
  if (targets_.empty()) return false;
  const std::optional<Place> p = PlaceOf(root, keyPath);
  if (!p) return false;
  const std::string upperName = UpperCaseText(name);
  for (const IgnoreTarget& t : targets_) {
    if (t.kind != IgnoreTarget::Kind::Registry || t.root != p->root) continue;
    if (!t.value && Within(p->parts, t.parts)) return true;
    if (t.value && *t.value == upperName && t.parts == p->parts) return true;
  }
  return false;
}

bool IgnoreList::CoversPath(const std::string& path) const {
  if (targets_.empty()) return false;
  const IgnoreTarget p = ReadPath(path);
  if (p.kind != IgnoreTarget::Kind::Path) return false;
  for (const IgnoreTarget& t : targets_)
    if (t.kind == IgnoreTarget::Kind::Path && Within(p.parts, t.parts)) return true;
  return false;
}

std::vector<IgnoreEntry> LoadIgnoreEntries(RegistryView& view) {
  std::vector<IgnoreEntry> entries;
  for (const auto& [number, item] : ReadStored(view))
    if (item.entry) entries.push_back({*item.entry, item.value});
  return entries;
}

IgnoreList LoadIgnoreList(RegistryView& view) { return IgnoreList(LoadIgnoreEntries(view)); }

bool AddIgnoreEntry(RegistryView& view, const IgnoreEntry& entry) {
  const std::map<unsigned long, StoredItem> stored = ReadStored(view);
  for (const auto& [number, item] : stored)
    if (item.entry && SameEntry({*item.entry, item.value}, entry)) return true;
  // A number no value holds yet, so that a value left behind by an earlier
  // removal never joins the new entry.
  const std::string n = std::to_string(stored.empty() ? 1 : stored.rbegin()->first + 1);
  // The value first: an entry stored without its value would cover the whole key.
  if (entry.value && !WriteString(view, RootKey::CurrentUser, kIgnoreKey, kValuePrefix + n, *entry.value))
    return false;
  if (WriteString(view, RootKey::CurrentUser, kIgnoreKey, kEntryPrefix + n, entry.entry)) return true;
  if (entry.value) DeleteValue(view, RootKey::CurrentUser, kIgnoreKey, kValuePrefix + n);
  return false;
}

bool RemoveIgnoreEntry(RegistryView& view, const IgnoreEntry& entry) {
  bool found = false;
  bool removed = true;
  for (const auto& [number, item] : ReadStored(view)) {
    if (!item.entry || !SameEntry({*item.entry, item.value}, entry)) continue;
    found = true;
    const std::string n = std::to_string(number);
    // The entry first: a value left alone is never read as an entry.
    if (!DeleteValue(view, RootKey::CurrentUser, kIgnoreKey, kEntryPrefix + n)) {
      removed = false;
      continue;
    }
    if (item.value) DeleteValue(view, RootKey::CurrentUser, kIgnoreKey, kValuePrefix + n);
  }
  return found && removed;
}

}  // namespace qrv
