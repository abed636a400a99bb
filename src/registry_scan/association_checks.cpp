#include "registry_scan/association_checks.h"

#include <vector>

#include "engine/registry_ops.h"
#include "registry_scan/file_probe.h"
#include "registry_scan/finding_report.h"

namespace qrv {

namespace {

constexpr RootKey kHkcr = RootKey::ClassesRoot;

// The key holds its unnamed value and nothing else.
bool HoldsOnlyDefaultValue(ScanContext& s, const std::string& key) {
  if (KeyHasSubkeys(s.registry(), kHkcr, key)) return false;
  std::vector<std::string> values;
  ReadValueNames(s.registry(), kHkcr, key, values);
  return values.size() == 1 && values.front().empty();
}

}  // namespace

void CheckAssociations(ScanContext& s) {
  ForEachSubkey(s, kHkcr, "\\", Bar::ByScanMode, [&](const std::string& name) {
    if (name.front() != '.') return;
    const std::string key = "\\" + name;
    const std::string className = ReadUpperString(s.registry(), kHkcr, key, "");
    if (className.empty()) return;
    // A class key that exists but may not be opened is not missing.
    if (!s.KeyAbsentFromEveryView(kHkcr, "\\" + className)) return;
    const std::string line = RelationNotFoundLine(s, name);
    if (HoldsOnlyDefaultValue(s, key))
      ReportKeyDeletion(s, 3, line, kHkcr, key);
    else
      ReportValueDeletion(s, 3, line, kHkcr, key, "");
  });
}

}  // namespace qrv
