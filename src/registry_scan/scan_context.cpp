#include "registry_scan/scan_context.h"

#include "engine/reg_script.h"
#include "engine/registry_ops.h"
#include "registry_scan/file_probe.h"

namespace qrv {

bool ScanContext::KeyAbsentFromEveryView(RootKey root, const std::string& keyPath) {
  if (!KeyIsAbsent(registry(), root, keyPath)) return false;
  RegistryView* other = view32_ != nullptr ? &app.platform : app.platform.ThirtyTwoBitView();
  return other == nullptr || KeyIsAbsent(*other, root, keyPath);
}

bool ScanContext::SharedWithNativeView(RootKey root, const std::string& keyPath) {
  if (view32_ == nullptr) return false;
  const std::optional<RealKeyPath> stored = StoredKeyPath(*view32_, root, keyPath);
  return !stored || !PathHasRegistryViewNode(stored->path);
}

std::optional<RealKeyPath> StoredKeyPath(RegistryView& view, RootKey root, const std::string& keyPath) {
  RegKey key(view, root, keyPath, RegAccess::Read);
  if (!key.IsOpen()) return std::nullopt;
  RealKeyPath stored{root, {}};
  if (view.RegQueryKeyRealPath(key.Handle(), stored.root, stored.path) != kErrorSuccess) return std::nullopt;
  return stored;
}

long long RoundHalfEven(long long n, long long d) {
  if (d < 0) {
    n = -n;
    d = -d;
  }
  long long q = n / d;
  long long r = n % d;
  if (r < 0) {  // floor division
    q -= 1;
    r += d;
  }
  const long long twice = 2 * r;
  if (twice > d || (twice == d && (q % 2 != 0))) ++q;
  return q;
}

void CheckProgress::Step(std::size_t index, std::size_t count) {
  if (count == 0 || bar_ == Bar::None) return;
  const auto p = static_cast<int>(
      RoundHalfEven(static_cast<long long>(index) * 100, static_cast<long long>(count)));
  if (p <= last_) return;
  last_ = p;
  const int bar = bar_ == Bar::RegistryTab ? kScanModeRegistry : s_.app.ScanMode;
  if (bar != 2 && bar != 3) return;
  s_.host.SetProgressWidth(bar, static_cast<int>(RoundHalfEven(static_cast<long long>(p) * 533, 100)));
}

void ForEachItem(ScanContext& s, const std::vector<std::string>& names, Bar bar,
                 const std::function<void(const std::string&)>& body) {
  CheckProgress progress(s, bar);
  for (std::size_t i = 0; i < names.size(); ++i) {
    s.host.ProcessMessages();
    if (!s.app.CancelFlag) continue;
    if (names[i].empty()) continue;
    progress.Step(i, names.size());
    body(names[i]);
  }
}

bool UsableKeyName(const std::string& name) {
  // The 32-bit view's node is a whole registry of its own, never an entry.
  return !name.empty() && name.find('\\') == std::string::npos && ExpressibleInScript(name) &&
         !IsRegistryViewNode(name);
}

void ForEachSubkey(ScanContext& s, RootKey root, const std::string& keyPath, Bar bar,
                   const std::function<void(const std::string&)>& body) {
  std::vector<std::string> names;
  if (s.SharedWithNativeView(root, keyPath)) return;
  ReadKeyNames(s.registry(), root, keyPath, names);
  ForEachItem(s, names, bar, [&](const std::string& name) {
    if (UsableKeyName(name)) body(name);
  });
}

void ForEachValueOfWritableKey(ScanContext& s, RootKey root, const std::string& keyPath, Bar bar,
                               const std::function<void(const std::string&)>& body) {
  std::vector<std::string> names;
  if (s.SharedWithNativeView(root, keyPath)) return;
  ReadValueNames(s.registry(), root, keyPath, names);
  // Blank names are passed over before the progress step: the bar stays.
  if (!names.empty() && !KeyIsWritable(s.registry(), root, keyPath))
    for (std::string& name : names) name.clear();
  ForEachItem(s, names, bar, [&](const std::string& name) {
    if (ExpressibleInScript(name)) body(name);
  });
}

void AddFinding(ScanContext& s, int slot, const std::string& displayLine, const IgnoreEntry& entry) {
  s.app.FindingList.at(static_cast<std::size_t>(slot)).push_back(displayLine);
  s.app.FindingEntries.at(static_cast<std::size_t>(slot)).push_back(entry);
}

bool IgnoreFinding(AppState& app, int slot, std::size_t line) {
  const std::optional<IgnoreEntry> entry = app.FindingEntry(slot, line);
  return entry && AddIgnoreEntry(app.platform, *entry);
}

void KeyHoldsValues(ScanContext& s, RootKey root, const std::string& keyPath) {
  s.host.ProcessMessages();
  if (!s.app.CancelFlag || s.ValuesFound > 0) return;
  // One opening serves the count of values and the list of subkeys. A key
  // that cannot be read may hold anything: it counts as holding a value, so
  // that no branch is called empty without having been seen whole.
  RegistryView& view = s.registry();
  RegKey key(view, root, keyPath, RegAccess::Read);
  std::uint32_t subkeys = 0;
  std::uint32_t values = 0;
  if (!key.IsOpen() || view.RegQueryInfoKey(key.Handle(), subkeys, values) != kErrorSuccess) {
    ++s.ValuesFound;
    return;
  }
  s.ValuesFound += static_cast<int>(values);
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; i < subkeys && view.RegEnumKeyEx(key.Handle(), i, name) == kErrorSuccess; ++i)
    names.push_back(name);
  for (const std::string& sub : names) {
    s.host.ProcessMessages();
    // Every subkey is walked: one without subkeys of its own can still hold values.
    if (sub.empty() || s.ValuesFound != 0) continue;
    KeyHoldsValues(s, root, keyPath + sub + "\\");
  }
}

bool KeyIsEmpty(ScanContext& s, RootKey root, const std::string& keyPath) {
  s.ValuesFound = 0;
  KeyHoldsValues(s, root, keyPath);
  return s.ValuesFound == 0 && s.app.CancelFlag;
}

}  // namespace qrv
