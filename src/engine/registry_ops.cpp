#include "engine/registry_ops.h"

#include <algorithm>
#include <cstring>

#include "engine/text.h"

namespace qrv {

const char* RootName(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RootKey::CurrentUser: return "HKEY_CURRENT_USER";
    case RootKey::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RootKey::Users: return "HKEY_USERS";
  }
  return "";
}

std::optional<RootKey> RootFromName(const std::string& name) {
  const std::string n = UpperAscii(name);
  if (n == "HKEY_CLASSES_ROOT" || n == "HKCR") return RootKey::ClassesRoot;
  if (n == "HKEY_CURRENT_USER" || n == "HKCU") return RootKey::CurrentUser;
  if (n == "HKEY_LOCAL_MACHINE" || n == "HKLM") return RootKey::LocalMachine;
  if (n == "HKEY_USERS" || n == "HKU") return RootKey::Users;
  return std::nullopt;
}

std::string RegistryPath(const std::string& keyPath) {
  return (!keyPath.empty() && keyPath.front() == '\\') ? keyPath.substr(1) : keyPath;
}

RegKey::RegKey(RegistryView& view, RootKey root, const std::string& keyPath, RegAccess access) : view_(view) {
  if (view_.RegOpenKeyEx(root, RegistryPath(keyPath), access, handle_) != kErrorSuccess) handle_ = 0;
}

RegKey RegKey::Create(RegistryView& view, RootKey root, const std::string& keyPath) {
  RegKey key(view);
  if (view.RegCreateKeyEx(root, RegistryPath(keyPath), key.handle_) != kErrorSuccess) key.handle_ = 0;
  return key;
}

RegKey::~RegKey() {
  if (handle_ != 0) view_.RegCloseKey(handle_);
}

namespace {

template <typename Enum>
std::size_t ReadNames(RegistryView& view, RootKey root, const std::string& key, std::vector<std::string>& list,
                      Enum enumerate) {
  list.clear();
  RegKey k(view, root, key, RegAccess::Read);
  if (!k.IsOpen()) return 0;
  std::string name;
  for (std::uint32_t i = 0; enumerate(k.Handle(), i, name) == kErrorSuccess; ++i) list.push_back(name);
  return list.size();
}

bool IsStringType(std::uint32_t type) { return type == regtype::kString || type == regtype::kExpandString; }

}  // namespace

std::size_t ReadKeyNames(RegistryView& view, RootKey root, const std::string& key, std::vector<std::string>& list) {
  return ReadNames(view, root, key, list,
                   [&](RegHandle h, std::uint32_t i, std::string& n) { return view.RegEnumKeyEx(h, i, n); });
}

std::size_t ReadValueNames(RegistryView& view, RootKey root, const std::string& key,
                           std::vector<std::string>& list) {
  return ReadNames(view, root, key, list, [&](RegHandle h, std::uint32_t i, std::string& n) {
    return view.RegEnumValue(h, i, n, nullptr, nullptr);
  });
}

std::optional<RegValue> ReadValue(RegistryView& view, RootKey root, const std::string& key,
                                  const std::string& name) {
  RegKey k(view, root, key, RegAccess::Read);
  if (!k.IsOpen()) return std::nullopt;
  RegValue value;
  if (view.RegQueryValueEx(k.Handle(), name, value.type, value.data) != kErrorSuccess) return std::nullopt;
  return value;
}

std::string StringData(const std::string& text) { return Utf16LeBytes(text) + std::string(2, '\0'); }

std::string TextOfStringData(const std::string& data) {
  std::string text = Utf8FromUtf16LeBytes(data);
  // The text ends at its first terminating zero, as Windows reads it.
  const auto zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

std::string ReadString(RegistryView& view, RootKey root, const std::string& key, const std::string& name) {
  const auto value = ReadValue(view, root, key, name);
  return (value && IsStringType(value->type)) ? TextOfStringData(value->data) : std::string();
}

std::string ReadUpperString(RegistryView& view, RootKey root, const std::string& key, const std::string& name) {
  return UpperAscii(ReadString(view, root, key, name));
}

std::uint32_t ReadDword(RegistryView& view, RootKey root, const std::string& key, const std::string& name) {
  const auto value = ReadValue(view, root, key, name);
  if (!value || value->type != regtype::kDword || value->data.size() < 4) return 0;
  std::uint32_t result = 0;
  for (int i = 3; i >= 0; --i) result = (result << 8) | static_cast<unsigned char>(value->data[i]);
  return result;
}

bool ReadFlag(RegistryView& view, RootKey root, const std::string& key, const std::string& name) {
  return ReadDword(view, root, key, name) != 0;
}

double ReadDateTime(RegistryView& view, RootKey root, const std::string& key, const std::string& name,
                    double now) {
  const auto value = ReadValue(view, root, key, name);
  if (!value || value->type != regtype::kBinary || value->data.size() < sizeof(double)) return now;
  double result = 0;
  std::memcpy(&result, value->data.data(), sizeof result);
  return result;
}

std::string ReadPathFromBinary(RegistryView& view, RootKey root, const std::string& key,
                               const std::string& name) {
  const auto value = ReadValue(view, root, key, name);
  if (!value || value->type != regtype::kBinary || value->data.empty()) return {};
  std::string bytes;
  for (char c : value->data)
    if (static_cast<unsigned char>(c) >= 32) bytes += c;
  // The bytes are single-byte text of the system's code page.
  const std::string text = Cp1252ToUtf8(bytes);
  const auto p = text.find(":\\");
  if (p == std::string::npos || p == 0) return {};
  return text.substr(p - 1);
}

namespace {

bool WriteValue(RegistryView& view, RootKey root, const std::string& key, const std::string& name,
                std::uint32_t type, const std::string& data) {
  RegKey k = RegKey::Create(view, root, key);
  return k.IsOpen() && view.RegSetValueEx(k.Handle(), name, type, data) == kErrorSuccess;
}

std::string DwordBytes(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

}  // namespace

bool WriteString(RegistryView& view, RootKey root, const std::string& key, const std::string& name,
                 const std::string& value) {
  return WriteValue(view, root, key, name, regtype::kString, StringData(value));
}

bool WriteDword(RegistryView& view, RootKey root, const std::string& key, const std::string& name,
                std::uint32_t value) {
  return WriteValue(view, root, key, name, regtype::kDword, DwordBytes(value));
}

bool WriteFlag(RegistryView& view, RootKey root, const std::string& key, const std::string& name, bool value) {
  return WriteDword(view, root, key, name, value ? 1 : 0);
}

bool WriteDateTime(RegistryView& view, RootKey root, const std::string& key, const std::string& name,
                   double value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(bytes.data(), &value, sizeof value);
  return WriteValue(view, root, key, name, regtype::kBinary, bytes);
}

bool IsRegistryViewNode(const std::string& name) { return EqualsNoCase(name, "Wow6432Node"); }

bool PathHasRegistryViewNode(const std::string& path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    if (IsRegistryViewNode(path.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

std::optional<RealKeyPath> RealPathFromKernelName(const std::string& name, const std::string& currentUser) {
  // `prefix` begins the name as a whole name: the name ends there or a backslash follows.
  const auto below = [&](const std::string& prefix) -> std::optional<std::string> {
    if (prefix.empty() || name.size() < prefix.size() ||
        !EqualsNoCase(std::string_view(name).substr(0, prefix.size()), prefix))
      return std::nullopt;
    if (name.size() == prefix.size()) return std::string();
    if (name[prefix.size()] != '\\') return std::nullopt;
    return name.substr(prefix.size() + 1);
  };
  if (const auto rest = below("\\REGISTRY\\MACHINE")) return RealKeyPath{RootKey::LocalMachine, *rest};
  if (!currentUser.empty()) {
    if (const auto rest = below(currentUser + "_Classes"))
      return RealKeyPath{RootKey::CurrentUser, rest->empty() ? "Software\\Classes" : "Software\\Classes\\" + *rest};
    if (const auto rest = below(currentUser)) return RealKeyPath{RootKey::CurrentUser, *rest};
  }
  if (const auto rest = below("\\REGISTRY\\USER"); rest && !rest->empty()) return RealKeyPath{RootKey::Users, *rest};
  return std::nullopt;
}

namespace {

void CountBelow(RegistryView& view, RootKey root, const std::string& key, std::size_t limit, std::size_t& count) {
  RegKey k(view, root, key, RegAccess::Read);
  std::uint32_t subkeys = 0;
  std::uint32_t values = 0;
  ++count;
  // A key that cannot be read counts as one: the registry editor cannot delete below it either.
  if (!k.IsOpen() || view.RegQueryInfoKey(k.Handle(), subkeys, values) != kErrorSuccess) return;
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; i < subkeys && view.RegEnumKeyEx(k.Handle(), i, name) == kErrorSuccess; ++i)
    names.push_back(name);
  for (const std::string& sub : names) {
    if (count > limit) return;
    CountBelow(view, root, key + "\\" + sub, limit, count);
  }
}

}  // namespace

std::size_t CountKeys(RegistryView& view, RootKey root, const std::string& key, std::size_t limit) {
  if (!KeyExists(view, root, key)) return 0;
  std::size_t count = 0;
  std::string path = key;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  CountBelow(view, root, path, limit, count);
  return count;
}

bool KeyExists(RegistryView& view, RootKey root, const std::string& key) {
  return RegKey(view, root, key, RegAccess::Read).IsOpen();
}

bool KeyHasSubkeys(RegistryView& view, RootKey root, const std::string& key) {
  RegKey k(view, root, key, RegAccess::Read);
  std::uint32_t subkeys = 0, values = 0;
  return k.IsOpen() && view.RegQueryInfoKey(k.Handle(), subkeys, values) == kErrorSuccess && subkeys > 0;
}

bool ValueExists(RegistryView& view, RootKey root, const std::string& key, const std::string& name) {
  return ReadValue(view, root, key, name).has_value();
}

bool DeleteValue(RegistryView& view, RootKey root, const std::string& key, const std::string& name) {
  RegKey k(view, root, key, RegAccess::AllAccess);
  return k.IsOpen() && view.RegDeleteValue(k.Handle(), name) == kErrorSuccess;
}

bool KeyIsWritable(RegistryView& view, RootKey root, const std::string& key) {
  return RegKey(view, root, key, RegAccess::AllAccess).IsOpen();
}

}  // namespace qrv
