#pragma once
// The program's own registry operations. Each call opens its key, acts and
// closes it again; none keeps state. Key paths start at the root and may
// begin with a backslash, as every path in the program does.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform.h"

namespace qrv {

const char* RootName(RootKey root);  // "HKEY_CLASSES_ROOT" ...
// Full root names and their usual abbreviations (HKCR, HKCU, HKLM, HKU), any case.
std::optional<RootKey> RootFromName(const std::string& name);
// The path as the registry takes it: without the leading backslash.
std::string RegistryPath(const std::string& keyPath);

// An open key that closes itself.
class RegKey {
 public:
  RegKey(RegistryView& view, RootKey root, const std::string& keyPath, RegAccess access);
  ~RegKey();
  RegKey(RegKey&& other) noexcept : view_(other.view_), handle_(other.handle_) { other.handle_ = 0; }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey& operator=(RegKey&&) = delete;
  static RegKey Create(RegistryView& view, RootKey root, const std::string& keyPath);
  bool IsOpen() const { return handle_ != 0; }
  RegHandle Handle() const { return handle_; }

 private:
  RegKey(RegistryView& view) : view_(view) {}
  RegistryView& view_;
  RegHandle handle_ = 0;
};

struct RegValue {
  std::uint32_t type = regtype::kNone;
  std::string data;  // raw bytes
};

std::size_t ReadKeyNames(RegistryView& view, RootKey root, const std::string& key,
                         std::vector<std::string>& list);
std::size_t ReadValueNames(RegistryView& view, RootKey root, const std::string& key,
                           std::vector<std::string>& list);
std::optional<RegValue> ReadValue(RegistryView& view, RootKey root, const std::string& key,
                                  const std::string& name);
// The text of a string or expandable string value, as stored; empty otherwise.
std::string ReadString(RegistryView& view, RootKey root, const std::string& key, const std::string& name);
std::string ReadUpperString(RegistryView& view, RootKey root, const std::string& key, const std::string& name);
std::uint32_t ReadDword(RegistryView& view, RootKey root, const std::string& key, const std::string& name);
bool ReadFlag(RegistryView& view, RootKey root, const std::string& key, const std::string& name);
// The stored date-time, or `now` when there is none.
double ReadDateTime(RegistryView& view, RootKey root, const std::string& key, const std::string& name,
                    double now);
std::string ReadPathFromBinary(RegistryView& view, RootKey root, const std::string& key,
                               const std::string& name);

// Each write opens (creating if needed) its key and reports whether the value was stored.
bool WriteString(RegistryView& view, RootKey root, const std::string& key, const std::string& name,
                 const std::string& value);
bool WriteDword(RegistryView& view, RootKey root, const std::string& key, const std::string& name,
                std::uint32_t value);
bool WriteFlag(RegistryView& view, RootKey root, const std::string& key, const std::string& name, bool value);
bool WriteDateTime(RegistryView& view, RootKey root, const std::string& key, const std::string& name,
                   double value);

// The node under which 64-bit Windows keeps the 32-bit view of a branch
// ("Wow6432Node", any case). It is never an entry of its own.
bool IsRegistryViewNode(const std::string& name);
// Whether some name of the path is that node.
bool PathHasRegistryViewNode(const std::string& path);

// Where a key is stored, as the native view names it (RegQueryKeyRealPath).
struct RealKeyPath {
  RootKey root;
  std::string path;  // below the root, without a leading backslash
};
// The kernel's name of a key ("\REGISTRY\MACHINE\...", "\REGISTRY\USER\<sid>\...",
// "\REGISTRY\USER\<sid>_Classes\...") as a root and a path; `currentUser` is
// the kernel's name of HKEY_CURRENT_USER itself. Nothing for a name outside
// these roots, or empty.
std::optional<RealKeyPath> RealPathFromKernelName(const std::string& name, const std::string& currentUser);

// How many keys root\key and its subtree hold, counting no further than
// `limit` + 1 (enough to tell that a branch is too big). 0 when the key is not
// there; a key that cannot be read counts as one.
std::size_t CountKeys(RegistryView& view, RootKey root, const std::string& key, std::size_t limit);

bool KeyExists(RegistryView& view, RootKey root, const std::string& key);
bool KeyHasSubkeys(RegistryView& view, RootKey root, const std::string& key);
bool ValueExists(RegistryView& view, RootKey root, const std::string& key, const std::string& name);
bool DeleteValue(RegistryView& view, RootKey root, const std::string& key, const std::string& name);
bool KeyIsWritable(RegistryView& view, RootKey root, const std::string& key);

// Registry string data (UTF-16LE with its terminating zero) <-> text.
std::string StringData(const std::string& text);
std::string TextOfStringData(const std::string& data);

}  // namespace qrv
