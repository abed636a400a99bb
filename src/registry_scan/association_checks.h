#pragma once
// File-name extensions whose class has no key (category 3).
#include "registry_scan/scan_context.h"

namespace qrv {

// For each extension under HKEY_CLASSES_ROOT whose default value names a class
// without a key: an extension key that holds nothing but that value is deleted
// whole; one that holds more (its handler lists, content type, the New menu
// entry) loses only the dangling default value, and keeps the rest.
void CheckAssociations(ScanContext& s);

}  // namespace qrv
