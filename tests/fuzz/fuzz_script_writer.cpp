// The script writer round trip: whatever a value name, type and datum are, RegScript either refuses them or the reader reads back exactly
// them (a text type's datum with the terminating zero that the registry
// editor always gives it), in both the program's own and the export's forms.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/backup.h"
#include "engine/reg_script.h"
#include "engine/reg_script_reader.h"
#include "engine/registry_ops.h"
#include "engine/text.h"

namespace {

// Input: name, 0x01, four type bytes, data.
bool Split(const std::string& in, std::string& name, qrv::RegValue& value) {
  const auto b = in.find('\x01');
  if (b == std::string::npos || in.size() < b + 5) return false;
  // Names come from the registry's UTF-16: only texts that survive it.
  name = qrv::Utf16ToUtf8(qrv::Utf8ToUtf16(in.substr(0, b)));
  value.type = 0;
  for (int i = 3; i >= 0; --i) value.type = (value.type << 8) | static_cast<std::uint8_t>(in[b + 1 + i]);
  value.data = in.substr(b + 5);
  return true;
}

std::string Restorable(const qrv::RegValue& value) {
  std::string data = value.data;
  const bool text = value.type == qrv::regtype::kString || value.type == qrv::regtype::kExpandString ||
                    value.type == qrv::regtype::kMultiString;
  if (!text || data.empty()) return data;
  if (data.size() % 2) data += '\0';
  if (data[data.size() - 1] != '\0' || data[data.size() - 2] != '\0') data += std::string(2, '\0');
  return data;
}

void Check(bool exportForm, const std::string& name, const qrv::RegValue& value) {
  qrv::RegScript script(qrv::ScriptFlavour::Version5);
  script.Start();
  script.AddKey(qrv::RootKey::CurrentUser, "\\Software\\F");
  if (!(exportForm ? script.AddExportedValue(name, value) : script.AddValue(name, value))) return;
  const auto parsed = qrv::ReadRegScript(qrv::UndoFileBytes(script), [](const std::string& b) { return b; });
  if (!parsed.recognised || parsed.ops.size() != 2) __builtin_trap();
  const auto& k = parsed.ops[0];
  const auto& v = parsed.ops[1];
  if (k.kind != qrv::ScriptOp::Kind::OpenKey || k.path != "Software\\F") __builtin_trap();
  if (v.kind != qrv::ScriptOp::Kind::SetValue || v.name != name || v.type != value.type ||
      v.data != Restorable(value))
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string name;
  qrv::RegValue value;
  if (!Split(std::string(reinterpret_cast<const char*>(data), size), name, value)) return 0;
  Check(false, name, value);
  Check(true, name, value);
  return 0;
}
