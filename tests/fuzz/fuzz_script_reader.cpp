// The registry-script reader over any file: both headers, both encodings,
// continuation lines, every value form.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/reg_script_reader.h"
#include "engine/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto fromAnsi = [](const std::string& b) { return qrv::Cp1252ToUtf8(b); };
  const qrv::ParsedScript script = qrv::ReadRegScript(bytes, fromAnsi);
  // Key paths come out clean: no backslash at either end.
  for (const auto& op : script.ops)
    if ((op.kind == qrv::ScriptOp::Kind::OpenKey || op.kind == qrv::ScriptOp::Kind::DeleteKey) &&
        !op.path.empty() && (op.path.front() == '\\' || op.path.back() == '\\'))
      __builtin_trap();
  (void)qrv::DecodeTextFile(bytes, fromAnsi);
  return 0;
}
