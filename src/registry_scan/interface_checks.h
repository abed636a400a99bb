#pragma once
// Category 5, "Interfaces/Types": interface registrations that are empty or
// name a missing type library or proxy/stub class, and type library
// registrations that are empty or whose help folder entry is blank.
#include "registry_scan/scan_context.h"

namespace qrv {

inline constexpr int kInterfacesSlot = 5;

void CheckInterfaces(ScanContext& s);
void CheckTypeLib(ScanContext& s);

}  // namespace qrv
