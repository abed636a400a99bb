#include <algorithm>

#include "engine/text.h"
#include "fake/fake_platform.h"

namespace qrv::fake {

struct FakeRegistry::Node {
  std::string name;
  std::vector<std::unique_ptr<Node>> subkeys;  // in case-insensitive name order
  std::vector<std::pair<std::string, RegValue>> values;  // in creation order
  bool writable = true;
  bool openable = true;

  Node* Child(const std::string& n) const {
    for (const auto& k : subkeys)
      if (EqualsNoCase(k->name, n)) return k.get();
    return nullptr;
  }
  Node* AddChild(const std::string& n) {
    auto node = std::make_unique<Node>();
    node->name = n;
    auto pos = std::find_if(subkeys.begin(), subkeys.end(),
                            [&](const auto& k) { return CompareNoCase(n, k->name) < 0; });
    return subkeys.insert(pos, std::move(node))->get();
  }
  std::pair<std::string, RegValue>* Value(const std::string& n) {
    for (auto& v : values)
      if (EqualsNoCase(v.first, n)) return &v;
    return nullptr;
  }
};

namespace {
// The registry's limits on names, in UTF-16 units.
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr long kErrorInvalidParameter = 87;
}  // namespace

bool SplitKeyPath(const std::string& path, std::vector<std::string>& segments) {
  segments.clear();
  if (!path.empty() && path.front() == '\\') return false;  // as Windows: ERROR_BAD_PATHNAME
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) segments.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) segments.push_back(part);
  return true;
}

FakeRegistry::FakeRegistry() {
  for (RootKey r : {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine, RootKey::Users}) {
    roots_[r] = std::make_unique<Node>();
    roots_[r]->name = RootName(r);
  }
}

FakeRegistry::~FakeRegistry() = default;

FakeRegistry::Node* FakeRegistry::Find(RootKey root, const std::vector<std::string>& segments) const {
  Node* node = roots_.at(root).get();
  for (const auto& s : segments) {
    node = node->Child(s);
    if (!node) return nullptr;
  }
  return node;
}

FakeRegistry::Node* FakeRegistry::Make(RootKey root, const std::vector<std::string>& segments) {
  Node* node = roots_.at(root).get();
  for (const auto& s : segments) {
    Node* child = node->Child(s);
    node = child ? child : node->AddChild(s);
  }
  return node;
}

FakeRegistry::Node* FakeRegistry::Resolve(RegHandle key, RegAccess* access) const {
  const auto it = handles_.find(key);
  if (it == handles_.end()) return nullptr;
  if (access) *access = it->second.access;
  return Find(it->second.root, it->second.segments);
}

namespace {
std::vector<std::string> Segments(const std::string& path) {
  std::vector<std::string> s;
  SplitKeyPath(RegistryPath(path), s);
  return s;
}
}  // namespace

void FakeRegistry::CreateKey(RootKey root, const std::string& path) { Make(root, Segments(path)); }

void FakeRegistry::SetValue(RootKey root, const std::string& path, const std::string& name, std::uint32_t type,
                            const std::string& data) {
  Node* node = Make(root, Segments(path));
  if (auto* v = node->Value(name)) {
    v->second = {type, data};
  } else {
    node->values.push_back({name, {type, data}});
  }
}

void FakeRegistry::SetString(RootKey root, const std::string& path, const std::string& name,
                             const std::string& text) {
  SetValue(root, path, name, regtype::kString, StringData(text));
}

void FakeRegistry::SetExpandString(RootKey root, const std::string& path, const std::string& name,
                                   const std::string& text) {
  SetValue(root, path, name, regtype::kExpandString, StringData(text));
}

void FakeRegistry::SetDword(RootKey root, const std::string& path, const std::string& name, std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  SetValue(root, path, name, regtype::kDword, bytes);
}

bool FakeRegistry::DeleteKeyTree(RootKey root, const std::string& path) {
  auto segments = Segments(path);
  if (segments.empty()) return false;
  const std::string last = segments.back();
  segments.pop_back();
  Node* parent = Find(root, segments);
  if (!parent) return false;
  auto& subs = parent->subkeys;
  const auto it = std::find_if(subs.begin(), subs.end(), [&](const auto& k) { return EqualsNoCase(k->name, last); });
  if (it == subs.end() || !(*it)->writable) return false;
  subs.erase(it);
  return true;
}

void FakeRegistry::MarkNotWritable(RootKey root, const std::string& path) { Make(root, Segments(path))->writable = false; }
void FakeRegistry::MarkCannotOpen(RootKey root, const std::string& path) { Make(root, Segments(path))->openable = false; }

bool FakeRegistry::HasKey(RootKey root, const std::string& path) const { return Find(root, Segments(path)) != nullptr; }

std::optional<RegValue> FakeRegistry::GetValue(RootKey root, const std::string& path, const std::string& name) const {
  Node* node = Find(root, Segments(path));
  if (!node) return std::nullopt;
  auto* v = node->Value(name);
  if (!v) return std::nullopt;
  return v->second;
}

std::string FakeRegistry::StoredName(RootKey root, const std::string& path) const {
  Node* node = Find(root, Segments(path));
  return node ? node->name : std::string();
}

long FakeRegistry::OpenOrCreate(RootKey root, const std::string& path, RegAccess access, bool create,
                                RegHandle& key) {
  key = 0;
  std::vector<std::string> segments;
  if (!SplitKeyPath(path, segments)) return kErrorBadPathname;
  Node* node = Find(root, segments);
  for (const auto& s : segments)
    if (Utf8ToUtf16(s).size() > kMaxKeyNameLength) return kErrorInvalidParameter;
  if (!node && create) {
    // Creating below a key that refuses changes fails, as on Windows.
    Node* deepest = roots_.at(root).get();
    for (const auto& s : segments) {
      Node* child = deepest->Child(s);
      if (!child) break;
      deepest = child;
    }
    if (!deepest->writable || !deepest->openable) return kErrorAccessDenied;
    node = Make(root, segments);
  }
  if (!node) return kErrorFileNotFound;
  if (!node->openable) return kErrorAccessDenied;
  if (access == RegAccess::AllAccess && !node->writable) return kErrorAccessDenied;
  key = next_++;
  handles_[key] = {root, segments, access};
  return kErrorSuccess;
}

long FakeRegistry::RegOpenKeyEx(RootKey root, const std::string& path, RegAccess access, RegHandle& key) {
  return OpenOrCreate(root, path, access, false, key);
}

long FakeRegistry::RegCreateKeyEx(RootKey root, const std::string& path, RegHandle& key) {
  return OpenOrCreate(root, path, RegAccess::AllAccess, true, key);
}

long FakeRegistry::RegCloseKey(RegHandle key) { return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle; }

long FakeRegistry::RegEnumKeyEx(RegHandle key, std::uint32_t index, std::string& name) {
  Node* node = Resolve(key);
  if (!node) return kErrorInvalidHandle;
  if (index >= node->subkeys.size()) return kErrorNoMoreItems;
  name = node->subkeys[index]->name;
  return kErrorSuccess;
}

long FakeRegistry::RegEnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type,
                                std::string* data) {
  Node* node = Resolve(key);
  if (!node) return kErrorInvalidHandle;
  if (index >= node->values.size()) return kErrorNoMoreItems;
  name = node->values[index].first;
  if (type != nullptr) *type = node->values[index].second.type;
  if (data != nullptr) *data = node->values[index].second.data;
  return kErrorSuccess;
}

long FakeRegistry::RegQueryInfoKey(RegHandle key, std::uint32_t& subkeys, std::uint32_t& values) {
  Node* node = Resolve(key);
  if (!node) return kErrorInvalidHandle;
  subkeys = static_cast<std::uint32_t>(node->subkeys.size());
  values = static_cast<std::uint32_t>(node->values.size());
  return kErrorSuccess;
}

long FakeRegistry::RegQueryValueEx(RegHandle key, const std::string& name, std::uint32_t& type, std::string& data) {
  Node* node = Resolve(key);
  if (!node) return kErrorInvalidHandle;
  auto* v = node->Value(name);
  if (!v) return kErrorFileNotFound;
  type = v->second.type;
  data = v->second.data;
  return kErrorSuccess;
}

long FakeRegistry::RegSetValueEx(RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) {
  if (Utf8ToUtf16(name).size() > kMaxValueNameLength) return kErrorInvalidParameter;
  RegAccess access{};
  Node* node = Resolve(key, &access);
  if (!node) return kErrorInvalidHandle;
  if (access != RegAccess::AllAccess) return kErrorAccessDenied;
  if (auto* v = node->Value(name)) {
    v->second = {type, data};
  } else {
    node->values.push_back({name, {type, data}});
  }
  return kErrorSuccess;
}

long FakeRegistry::RegDeleteValue(RegHandle key, const std::string& name) {
  RegAccess access{};
  Node* node = Resolve(key, &access);
  if (!node) return kErrorInvalidHandle;
  if (access != RegAccess::AllAccess) return kErrorAccessDenied;
  auto it = std::find_if(node->values.begin(), node->values.end(),
                         [&](const auto& v) { return EqualsNoCase(v.first, name); });
  if (it == node->values.end()) return kErrorFileNotFound;
  node->values.erase(it);
  return kErrorSuccess;
}

long FakeRegistry::RegQueryKeyRealPath(RegHandle key, RootKey& root, std::string& path) {
  const auto it = handles_.find(key);
  if (it == handles_.end() || !Find(it->second.root, it->second.segments)) return kErrorInvalidHandle;
  root = it->second.root;
  path.clear();
  for (const std::string& segment : it->second.segments) path += (path.empty() ? "" : "\\") + segment;
  return kErrorSuccess;
}

namespace {

// The class keys that 64-bit Windows keeps apart for 32-bit programs.
bool RedirectedClassKey(const std::string& name) {
  for (const char* redirected : {"CLSID", "Interface", "DirectShow", "Media Type", "MediaFoundation"})
    if (EqualsNoCase(name, redirected)) return true;
  return false;
}

}  // namespace

std::string FakeThirtyTwoBitView::Stored(RootKey root, const std::string& path) {
  std::vector<std::string> s;
  if (!SplitKeyPath(RegistryPath(path), s)) return path;
  const auto is = [&](std::size_t i, const char* name) { return s.size() > i && EqualsNoCase(s[i], name); };
  std::size_t node = std::string::npos;  // where the view's node goes in
  if (root == RootKey::ClassesRoot && !s.empty() && RedirectedClassKey(s[0])) {
    node = 0;
  } else if ((root == RootKey::LocalMachine || root == RootKey::CurrentUser) && is(0, "SOFTWARE") && is(1, "Classes")) {
    if (s.size() > 2 && RedirectedClassKey(s[2])) node = 2;
  } else if (root == RootKey::LocalMachine && is(0, "SOFTWARE")) {
    const bool appPaths = is(1, "Microsoft") && is(2, "Windows") && is(3, "CurrentVersion") && is(4, "App Paths");
    if (!appPaths) node = 1;
  }
  if (node != std::string::npos) s.insert(s.begin() + static_cast<std::ptrdiff_t>(node), "Wow6432Node");
  std::string stored;
  for (const std::string& segment : s) stored += (stored.empty() ? "" : "\\") + segment;
  return stored;
}

}  // namespace qrv::fake
