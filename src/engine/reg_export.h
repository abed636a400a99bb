#pragma once
// The export of a registry key in the registry editor's own text: what
// "regedit /s /e file ROOT\key" writes for the key and everything below it.
#include <string>

#include "engine/platform.h"
#include "engine/reg_script.h"

namespace qrv {

// Appends to `script` (second flavour) the lines that the registry editor's
// export of root + keyPath holds after its header line and the empty line
// that follows it: one block per key, the key first and then its subkeys in
// the order the registry lists them, each block made of the key line (the
// key path as given, then the subkey names as stored), its values in the
// order the registry lists them, and one empty line.
// All or nothing: false, and nothing appended, when the key does not open or
// when anything below it cannot be read or written exactly (a subkey that
// does not open, a key or value name holding a line end or a zero), so that
// a backup is never a part of what the deletion will remove.
bool ExportKey(RegistryView& view, RegScript& script, RootKey root, const std::string& keyPath);

}  // namespace qrv
