#pragma once
// A registry branch as text, for comparing two registries exactly: keys in
// name order with their stored spelling, values sorted by name with type and bytes.
#include <string>

#include "engine/platform.h"

namespace qrv::fake {

std::string DumpTree(RegistryView& view, RootKey root, const std::string& keyPath);

}  // namespace qrv::fake
