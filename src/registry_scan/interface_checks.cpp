#include "registry_scan/interface_checks.h"

#include <array>

#include "engine/text.h"
#include "engine/registry_ops.h"
#include "registry_scan/file_probe.h"
#include "registry_scan/finding_report.h"

namespace qrv {

namespace {

constexpr RootKey kHkcr = RootKey::ClassesRoot;

// Type libraries registered in a way this check must not judge.
constexpr std::array<const char*, 2> kUnexaminedTypeLibs = {
    "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}",
    "{43136EB0-D36C-11CF-ADBC-00AA00A80033}",
};

// A proxy/stub subkey whose class is not registered: that subkey goes.
void CheckProxyStub(ScanContext& s, const std::string& key, const char* subkey, bool tagLine) {
  const std::string path = key + "\\" + subkey;
  const std::string clsid = ReadUpperString(s.registry(), kHkcr, path, "");
  if (clsid.empty() || !s.KeyAbsentFromEveryView(kHkcr, "\\CLSID\\" + clsid)) return;
  ReportKeyDeletion(s, kInterfacesSlot, tagLine ? "[HKCR]" + path + "\\" + clsid : RelationNotFoundLine(s, clsid),
                    kHkcr, path);
}

}  // namespace

void CheckInterfaces(ScanContext& s) {
  ForEachSubkey(s, kHkcr, "\\Interface\\", Bar::ByScanMode, [&](const std::string& g) {
    const std::string k = "\\Interface\\" + g;
    if (!KeyIsWritable(s.registry(), kHkcr, k)) return;
    if (KeyIsEmpty(s, kHkcr, k + "\\")) {
      ReportKeyDeletion(s, kInterfacesSlot, "[HKCR]" + k, kHkcr, k);
      return;
    }
    if (!s.app.CancelFlag) return;  // Stop came during the walk

    const std::string typeLib = ReadUpperString(s.registry(), kHkcr, k + "\\TypeLib", "");
    // A class or library that is there but may not be read is not missing.
    if (!typeLib.empty() && s.KeyAbsentFromEveryView(kHkcr, "\\TypeLib\\" + typeLib)) {
      ReportKeyDeletion(s, kInterfacesSlot, RelationNotFoundLine(s, typeLib), kHkcr, k);
      return;
    }
    CheckProxyStub(s, k, "ProxyStubClsid", false);
    CheckProxyStub(s, k, "ProxyStubClsid32", true);
  });
}

void CheckTypeLib(ScanContext& s) {
  std::vector<std::string> names;
  ReadKeyNames(s.registry(), kHkcr, "\\Typelib\\", names);
  // Blanked out, they are passed over before the progress step, as empty names are.
  // Registry names match without regard to case, so these do too.
  for (std::string& name : names)
    for (const char* excluded : kUnexaminedTypeLibs)
      if (EqualsNoCase(name, excluded)) name.clear();

  ForEachItem(s, names, Bar::ByScanMode, [&](const std::string& l) {
    if (!UsableKeyName(l)) return;
    const std::string k = "\\Typelib\\" + l;
    if (!KeyIsWritable(s.registry(), kHkcr, k)) return;
    if (KeyIsEmpty(s, kHkcr, k + "\\")) {
      ReportKeyDeletion(s, kInterfacesSlot, RelationNotFoundLine(s, l), kHkcr, k);
      return;
    }
    if (!s.app.CancelFlag) return;

    std::vector<std::string> versions;
    if (ReadKeyNames(s.registry(), kHkcr, k, versions) == 0 || !UsableKeyName(versions[0])) return;
    const std::string helpDir = k + "\\" + versions[0] + "\\HELPDIR";
    if (!KeyExists(s.registry(), kHkcr, helpDir) || !ReadUpperString(s.registry(), kHkcr, helpDir, "").empty())
      return;
    ReportKeyDeletion(s, kInterfacesSlot, RelationNotFoundLine(s, helpDir), kHkcr, helpDir);
  });
}

}  // namespace qrv
