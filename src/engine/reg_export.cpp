#include "engine/reg_export.h"

#include <vector>

#include "engine/registry_ops.h"

namespace qrv {

namespace {

// `path` is the key as its line names it; `openPath` the same key as the
// registry opens it (they differ only below a key given with a trailing
// backslash, which the editor keeps in the lines of every subkey).
bool ExportBranch(RegistryView& view, RegScript& out, RootKey root, const std::string& path,
                  const std::string& openPath) {
  std::vector<std::string> subkeys;
  {
    RegKey key(view, root, openPath, RegAccess::Read);
    if (!key.IsOpen() || !out.AddKey(root, path)) return false;
    std::string name;
    RegValue value;
    for (std::uint32_t i = 0;; ++i) {
      const long rc = view.RegEnumValue(key.Handle(), i, name, &value.type, &value.data);
      if (rc == kErrorNoMoreItems) break;
      if (rc != kErrorSuccess || !out.AddExportedValue(name, value)) return false;
    }
    out.AddBlank();
    for (std::uint32_t i = 0;; ++i) {
      const long rc = view.RegEnumKeyEx(key.Handle(), i, name);
      if (rc == kErrorNoMoreItems) break;
      if (rc != kErrorSuccess) return false;
      subkeys.push_back(name);
    }
  }  // the key is closed before its subkeys are read
  for (const std::string& subkey : subkeys)
    if (!ExportBranch(view, out, root, path + "\\" + subkey, openPath + "\\" + subkey)) return false;
  return true;
}

}  // namespace

bool ExportKey(RegistryView& view, RegScript& script, RootKey root, const std::string& keyPath) {
  RegScript branch(script.Flavour());
  std::string openPath = keyPath;
  if (openPath.size() > 1 && openPath.back() == '\\') openPath.pop_back();
  if (!ExportBranch(view, branch, root, keyPath, openPath)) return false;
  script.AppendExported(branch.Lines());
  return true;
}

}  // namespace qrv
