#include "core/settings.h"

#include <cstring>

#include "engine/registry_ops.h"

namespace qrv::settings {

namespace {

constexpr RootKey kRoot = RootKey::CurrentUser;

std::optional<std::uint32_t> StoredDword(RegistryView& view, const char* name) {
  const auto value = ReadValue(view, kRoot, kSettingsKey, name);
  if (!value || value->type != regtype::kDword || value->data.size() < 4) return std::nullopt;
  std::uint32_t result = 0;
  for (int i = 3; i >= 0; --i) result = (result << 8) | static_cast<unsigned char>(value->data[i]);
  return result;
}

}  // namespace

bool Read(RegistryView& view, const Flag& setting) {
  const auto stored = StoredDword(view, setting.name);
  return stored ? *stored != 0 : setting.fallback;
}

std::uint32_t Read(RegistryView& view, const Number& setting) {
  const auto stored = StoredDword(view, setting.name);
  return stored && *stored <= setting.limit ? *stored : setting.fallback;
}

std::optional<double> Read(RegistryView& view, const DateTime& setting) {
  const auto value = ReadValue(view, kRoot, kSettingsKey, setting.name);
  if (!value || value->type != regtype::kBinary || value->data.size() < sizeof(double)) return std::nullopt;
  double result = 0;
  std::memcpy(&result, value->data.data(), sizeof result);
  return result;
}

std::optional<StoredText> Read(RegistryView& view, const Folder& setting) {
  const auto value = ReadValue(view, kRoot, kSettingsKey, setting.name);
  if (!value || (value->type != regtype::kString && value->type != regtype::kExpandString)) return std::nullopt;
  return StoredText{TextOfStringData(value->data), value->type == regtype::kExpandString};
}

bool Write(RegistryView& view, const Flag& setting, bool value) {
  return WriteFlag(view, kRoot, kSettingsKey, setting.name, value);
}

bool Write(RegistryView& view, const Number& setting, std::uint32_t value) {
  return WriteDword(view, kRoot, kSettingsKey, setting.name, value);
}

bool Write(RegistryView& view, const DateTime& setting, double value) {
  return WriteDateTime(view, kRoot, kSettingsKey, setting.name, value);
}

bool Write(RegistryView& view, const Folder& setting, const std::string& folder) {
  return WriteString(view, kRoot, kSettingsKey, setting.name, folder);
}

bool Write(RegistryView& view, const Text& setting, const std::string& text) {
  return WriteString(view, kRoot, kSettingsKey, setting.name, text);
}

bool Exists(RegistryView& view, const char* name) { return ValueExists(view, kRoot, kSettingsKey, name); }

bool CreateKey(RegistryView& view) { return RegKey::Create(view, kRoot, kSettingsKey).IsOpen(); }

}  // namespace qrv::settings
