#include <gtest/gtest.h>

#include <cstring>
#include <variant>

#include "core/settings.h"
#include "core/startup.h"
#include "engine/registry_ops.h"
#include "unit/fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;

std::string DoubleBytes(double value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

// Stored data of every kind a damaged or foreign value may have.
struct Stored {
  const char* what;
  std::uint32_t type;
  std::string data;
};
const Stored kWrongForDword[] = {
    {"a string", regtype::kString, StringData("1")},
    {"binary data", regtype::kBinary, std::string("\x01\0\0\0", 4)},
    {"a DWORD cut short", regtype::kDword, std::string("\x01\0", 2)},
    {"no type", regtype::kNone, std::string("\x01\0\0\0", 4)},
};
const Stored kWrongForDateTime[] = {
    {"a DWORD", regtype::kDword, std::string("\x01\0\0\0", 4)},
    {"a string", regtype::kString, StringData("46300.5")},
    {"binary data cut short", regtype::kBinary, std::string("\0\0\0\0\0\0", 6)},
};
const Stored kWrongForFolder[] = {
    {"a DWORD", regtype::kDword, std::string("\x01\0\0\0", 4)},
    {"binary data", regtype::kBinary, DoubleBytes(1.0)},
    {"a multi-string", regtype::kMultiString, StringData("C:\\Logs") + std::string(2, '\0')},
};

// Every setting that is read, with its fallback and a value of its own type
// that differs from it.
using AnySetting = std::variant<settings::Flag, settings::Number, settings::DateTime, settings::Folder>;
struct ReadCase {
  AnySetting setting;
  std::variant<bool, std::uint32_t, std::optional<double>, std::optional<std::string>> fallback;
};
const ReadCase kReadSettings[] = {
    {settings::kLanguage, std::uint32_t{1}},
    {settings::kLogDir, std::optional<std::string>{}},
    {settings::kUndoDir, std::optional<std::string>{}},
    {settings::kShowRebootMessage, false},
    {settings::kScheduleOn, false},
    {settings::kScheduleDay, std::uint32_t{0}},
    {settings::kScheduleTime, std::optional<double>{}},
    {settings::kCompanionLastRun, std::optional<double>{}},
    {settings::kRunDate[0], std::optional<double>{}},
    {settings::kRunDate[1], std::optional<double>{}},
    {settings::kRunDate[2], std::optional<double>{}},
    {settings::kRunDate[3], std::optional<double>{}},
    {settings::kRunDate[4], std::optional<double>{}},
};

const char* NameOf(const AnySetting& s) {
  return std::visit([](const auto& setting) { return setting.name; }, s);
}

// What a read of the setting gives, in the fallback's terms.
decltype(ReadCase::fallback) ReadAny(RegistryView& view, const AnySetting& s) {
  if (const auto* flag = std::get_if<settings::Flag>(&s)) return settings::Read(view, *flag);
  if (const auto* number = std::get_if<settings::Number>(&s)) return settings::Read(view, *number);
  if (const auto* date = std::get_if<settings::DateTime>(&s)) return settings::Read(view, *date);
  const auto folder = settings::Read(view, std::get<settings::Folder>(s));
  return folder ? std::optional<std::string>(folder->text) : std::nullopt;
}

const Stored* WrongKinds(const AnySetting& s, std::size_t& count) {
  if (std::holds_alternative<settings::DateTime>(s)) {
    count = std::size(kWrongForDateTime);
    return kWrongForDateTime;
  }
  if (std::holds_alternative<settings::Folder>(s)) {
    count = std::size(kWrongForFolder);
    return kWrongForFolder;
  }
  count = std::size(kWrongForDword);
  return kWrongForDword;
}

TEST(SettingsTest, EverySettingReadsItsFallbackWhenMissingOrOfAnotherType) {
  for (const ReadCase& c : kReadSettings) {
    const char* name = NameOf(c.setting);
    fake::FakeRegistry registry;
    EXPECT_EQ(ReadAny(registry, c.setting), c.fallback) << name << ": no key at all";
    registry.CreateKey(kHkcu, kSettingsKey);
    EXPECT_EQ(ReadAny(registry, c.setting), c.fallback) << name << ": missing";
    std::size_t count = 0;
    const Stored* wrong = WrongKinds(c.setting, count);
    for (std::size_t i = 0; i < count; ++i) {
      registry.SetValue(kHkcu, kSettingsKey, name, wrong[i].type, wrong[i].data);
      EXPECT_EQ(ReadAny(registry, c.setting), c.fallback) << name << ": " << wrong[i].what;
      EXPECT_TRUE(settings::Exists(registry, name)) << name << ": there, though unreadable";
    }
  }
}

TEST(SettingsTest, EverySettingReadsBackWhatItsWriteStored) {
  for (const ReadCase& c : kReadSettings) {
    fake::FakeRegistry registry;
    const char* name = NameOf(c.setting);
    std::visit(
        [&](const auto& s) {
          using S = std::decay_t<decltype(s)>;
          if constexpr (std::is_same_v<S, settings::Flag>) {
            ASSERT_TRUE(settings::Write(registry, s, !s.fallback)) << name;
            EXPECT_EQ(settings::Read(registry, s), !s.fallback) << name;
            EXPECT_EQ(ReadDword(registry, kHkcu, kSettingsKey, name), s.fallback ? 0u : 1u) << name << ": 0 or 1";
          } else if constexpr (std::is_same_v<S, settings::Number>) {
            const std::uint32_t other = s.fallback == 0 ? 5 : 0;
            ASSERT_TRUE(settings::Write(registry, s, other)) << name;
            EXPECT_EQ(settings::Read(registry, s), other) << name;
          } else if constexpr (std::is_same_v<S, settings::DateTime>) {
            ASSERT_TRUE(settings::Write(registry, s, 46300.75)) << name;
            EXPECT_EQ(settings::Read(registry, s), 46300.75) << name;
            EXPECT_EQ(registry.GetValue(kHkcu, kSettingsKey, name)->type, regtype::kBinary) << name;
          } else {
            ASSERT_TRUE(settings::Write(registry, s, "C:\\Logs")) << name;
            const auto stored = settings::Read(registry, s);
            ASSERT_TRUE(stored) << name;
            EXPECT_EQ(stored->text, "C:\\Logs") << name;
            EXPECT_FALSE(stored->expandable) << name;
          }
        },
        c.setting);
  }
}

TEST(SettingsTest, NumbersAndFlagsReadTheirEdges) {
  fake::FakeRegistry registry;
  struct Case {
    settings::Number setting;
    std::uint32_t stored, read;
  } numbers[] = {
      {settings::kScheduleDay, 6, 6},           {settings::kScheduleDay, 7, 0},
      {settings::kScheduleDay, 0xFFFFFFFF, 0},  {settings::kLanguage, 0, 0},
      {settings::kLanguage, 0xFFFFFFFF, 0xFFFFFFFF},
  };
  for (const Case& c : numbers) {
    registry.SetDword(kHkcu, kSettingsKey, c.setting.name, c.stored);
    EXPECT_EQ(settings::Read(registry, c.setting), c.read) << c.setting.name << " " << c.stored;
  }
  registry.SetDword(kHkcu, kSettingsKey, settings::kScheduleOn.name, 2);
  EXPECT_TRUE(settings::Read(registry, settings::kScheduleOn)) << "any DWORD but 0 is on";
  registry.SetDword(kHkcu, kSettingsKey, settings::kShowRebootMessage.name, 0);
  EXPECT_FALSE(settings::Read(registry, settings::kShowRebootMessage));
  registry.SetExpandString(kHkcu, kSettingsKey, settings::kLogDir.name, "%TEMP%\\Log");
  const auto folder = settings::Read(registry, settings::kLogDir);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->text, "%TEMP%\\Log") << "as stored: start-up expands it";
  EXPECT_TRUE(folder->expandable);
}

TEST(SettingsTest, AWriteTheKeyRefusesReportsFailureAndLeavesTheValue) {
  fake::FakeRegistry registry;
  ASSERT_TRUE(settings::Write(registry, settings::kScheduleOn, true));
  registry.MarkNotWritable(kHkcu, kSettingsKey);
  EXPECT_FALSE(settings::Write(registry, settings::kScheduleOn, false));
  EXPECT_FALSE(settings::Write(registry, settings::kScheduleDay, 3));
  EXPECT_FALSE(settings::Write(registry, settings::kScheduleTime, 1.5));
  EXPECT_FALSE(settings::Write(registry, settings::kLogDir, "C:\\Logs"));
  EXPECT_FALSE(settings::Write(registry, settings::kDisplayName, "Tessaline"));
  EXPECT_TRUE(settings::Read(registry, settings::kScheduleOn));
  EXPECT_FALSE(settings::Exists(registry, settings::kScheduleDay));
  EXPECT_FALSE(settings::Exists(registry, settings::kLogDir));
}

TEST(SettingsTest, AWrongTypedLanguageStartsInTheFirstLanguage) {
  fake::FakePlatform p;
  testing::SetUpUserFolders(p);
  p.registry.SetString(kHkcu, kSettingsKey, settings::kLanguage.name, "3");
  AppState state(p);
  LoadSettings(state);
  EXPECT_EQ(state.LanguageNumber, 1u);
  EXPECT_EQ(p.registry.GetValue(kHkcu, kSettingsKey, settings::kLanguage.name)->type, regtype::kString)
      << "an existing value is never seeded over";
}

}  // namespace
}  // namespace qrv
