#include "fake/dump.h"

#include <algorithm>

#include "engine/text.h"
#include "engine/registry_ops.h"

namespace qrv::fake {

namespace {

void DumpKey(RegistryView& view, RootKey root, const std::string& path, const std::string& shown, std::string& out) {
  out += "[" + shown + "]\n";
  std::vector<std::string> names;
  ReadValueNames(view, root, path, names);
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return CompareNoCase(a, b) < 0; });
  for (const auto& name : names) {
    const auto value = ReadValue(view, root, path, name);
    if (!value) continue;
    std::string hex;
    for (char c : value->data) hex += HexByte(static_cast<std::uint8_t>(c));
    out += "  \"" + name + "\" type " + std::to_string(value->type) + " = " + hex + "\n";
  }
  ReadKeyNames(view, root, path, names);
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return CompareNoCase(a, b) < 0; });
  for (const auto& name : names) DumpKey(view, root, path + "\\" + name, shown + "\\" + name, out);
}

}  // namespace

std::string DumpTree(RegistryView& view, RootKey root, const std::string& keyPath) {
  std::string out;
  if (KeyExists(view, root, keyPath)) DumpKey(view, root, keyPath, "", out);
  return out;
}

}  // namespace qrv::fake
