// Nothing healthy is judged gone: a file is gone only when the system says
// "not found" in every place Windows itself would look, and a setting that
// names no folder leaves the default folder.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cleaning/shortcuts.h"
#include "core/startup.h"
#include "engine/backup.h"
#include "engine/file_ops.h"
#include "engine/paths.h"
#include "engine/registry_ops.h"
#include "engine/text.h"
#include "registry_scan/app_path_checks.h"
#include "registry_scan/com_checks.h"
#include "registry_scan/file_probe.h"
#include "registry_scan/registry_scan.h"
#include "registry_scan/startup_checks.h"
#include "unit/check_fixture.h"

namespace qrv {
namespace {

constexpr RootKey kHkcr = RootKey::ClassesRoot;
constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;

// One kind of registry entry that names a program: how to seed it, and
// whether it is still in the registry.
struct EntryKind {
  const char* label;
  std::function<void(fake::FakeRegistry&, const std::string& tag, const std::string& program)> seed;
  std::function<bool(fake::FakeRegistry&, const std::string& tag)> there;
};

std::string Clsid(const std::string& tag) { return "\\CLSID\\{" + tag + "-0000-0000-0000-000000000000}"; }

const std::vector<EntryKind>& EntryKinds() {
  static const std::vector<EntryKind> kinds = {
      {"App Paths",
       [](fake::FakeRegistry& r, const std::string& t, const std::string& program) {
         r.SetString(kHklm, std::string(kAppPathsKey) + t + ".exe", "", program);
       },
       [](fake::FakeRegistry& r, const std::string& t) { return r.HasKey(kHklm, std::string(kAppPathsKey) + t + ".exe"); }},
      {"SharedDLLs",
       [](fake::FakeRegistry& r, const std::string& /*tag*/, const std::string& program) {
         r.SetDword(kHklm, kSharedDllsKey, program, 1);
       },
       [](fake::FakeRegistry& r, const std::string& t) {
         std::vector<std::string> names;
         ReadValueNames(r, kHklm, kSharedDllsKey, names);
         for (const std::string& n : names)
           if (n.find(t) != std::string::npos) return true;
         return false;
       }},
      {"Run value",
       [](fake::FakeRegistry& r, const std::string& t, const std::string& program) {
         r.SetString(kHkcu, kRunKey, t, "\"" + program + "\" /background");
       },
       [](fake::FakeRegistry& r, const std::string& t) { return r.GetValue(kHkcu, kRunKey, t).has_value(); }},
      {"in-process server",
       [](fake::FakeRegistry& r, const std::string& t, const std::string& program) {
         r.SetString(kHkcr, Clsid(t) + "\\InprocServer32", "", program);
       },
       [](fake::FakeRegistry& r, const std::string& t) { return r.HasKey(kHkcr, Clsid(t) + "\\InprocServer32"); }},
      {"open command",
       [](fake::FakeRegistry& r, const std::string& t, const std::string& program) {
         r.SetString(kHkcr, std::string(kApplicationsKey) + t + ".exe\\shell\\open\\command", "",
                     "\"" + program + "\" \"%1\"");
       },
       [](fake::FakeRegistry& r, const std::string& t) {
         return r.HasKey(kHkcr, std::string(kApplicationsKey) + t + ".exe");
       }},
      {"sound",
       [](fake::FakeRegistry& r, const std::string& t, const std::string& program) {
         r.SetString(kHkcu, std::string(kSoundEventsKey) + t + "\\.Current", "", program + ".wav");
       },
       [](fake::FakeRegistry& r, const std::string& t) {
         return !ReadString(r, kHkcu, std::string(kSoundEventsKey) + t + "\\.Current", "").empty();
       }},
  };
  return kinds;
}

class GoneJudgementTest : public testing::CheckTest {
 protected:
  // The whole scan and its repair; the undo file is on disk before anything goes.
  void ScanAndRepair() {
    RegistryScan(app, host).Run();
    ASSERT_TRUE(RepairRegistry(app).Imported());
  }
  FileState Command(const std::string& text, BareNames bare) {
    return CommandState(s, text, ResolveCommandLine(app.folders, text), bare);
  }
};

// A folder this user may not read hides its files: the system answers
// "access denied", never "not found", and the entry stays. The same entry
// whose folder is not there at all is gone and goes.
TEST_F(GoneJudgementTest, AProgramInAFolderThatCannotBeReadIsNeverGone) {
  p.files.DenyAccess("C:\\Locked");
  p.files.AddFile("C:\\Locked\\tool.exe", "MZ");  // there, but nobody can tell
  int n = 0;
  for (const EntryKind& kind : EntryKinds()) {
    const std::string t = "A000000" + std::to_string(n++);
    kind.seed(p.registry, t + "L", "C:\\Locked\\" + t + "L.exe");
    kind.seed(p.registry, t + "G", "C:\\Gone\\" + t + "G.exe");
  }
  // A lost sound whose default sound cannot be judged gets that default, not silence.
  const std::string fallback = std::string(kSoundEventsKey) + "Fallback";
  p.registry.SetString(kHkcu, fallback + "\\.Current", "", "C:\\Gone\\lost.wav");
  p.registry.SetString(kHkcu, fallback + "\\.Default", "", "C:\\Locked\\kept.wav");
  ScanAndRepair();
  EXPECT_EQ(ReadString(p, kHkcu, fallback + "\\.Current", ""), "C:\\LOCKED\\KEPT.WAV");
  EXPECT_EQ(ReadString(p, kHkcu, fallback + "\\.Default", ""), "C:\\Locked\\kept.wav");
  n = 0;
  for (const EntryKind& kind : EntryKinds()) {
    const std::string t = "A000000" + std::to_string(n++);
    EXPECT_TRUE(kind.there(p.registry, t + "L")) << kind.label << " in the folder that cannot be read";
    EXPECT_FALSE(kind.there(p.registry, t + "G")) << kind.label << " whose folder is not there";
  }
  for (const std::string& line : Slot(6)) EXPECT_EQ(line.find("LOCKED"), std::string::npos) << line;
}

TEST_F(GoneJudgementTest, EachProbeTellsNotFoundFromCannotTell) {
  p.files.DenyAccess("C:\\Locked");
  p.files.AddFolder("C:\\Open");
  const struct {
    const char* path;
    Existence engine;  // what the system says
    FileState state;   // what a check makes of it
  } cases[] = {
      {"C:\\Open\\gone.exe", Existence::Gone, FileState::Missing},        // file not found
      {"C:\\Nowhere\\gone.exe", Existence::Gone, FileState::Missing},     // path not found
      {"C:\\Locked\\any.exe", Existence::Unknown, FileState::Unknown},    // access denied
      {"C:\\Locked\\Sub\\any.exe", Existence::Unknown, FileState::Unknown},
      {"C:\\Locked", Existence::Present, FileState::Present},             // seen from its parent
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProbePath(p, c.path), c.engine) << c.path;
    EXPECT_EQ(PathState(s, c.path), c.state) << c.path;
    EXPECT_EQ(CommandState(s, c.path, UpperAscii(c.path), BareNames::InWindowsFolders), c.state) << c.path;
  }
  // A bare name whose Windows folder cannot be read is not surely gone either
  // (a scan that starts after the folder was shut).
  p.files.DenyAccess("C:\\windows\\System32");
  ScanContext next(app, host);
  EXPECT_EQ(CommandState(next, "gone.dll", "gone.dll", BareNames::InWindowsFolders), FileState::Unknown);
}

// A bare program name is found as Windows finds it: the Windows folders, App
// Paths, then every folder of the machine's and the user's PATH.
TEST_F(GoneJudgementTest, ABareNameIsGoneOnlyWhenThePathSearchIsSure) {
  const std::string machineEnv = kMachineEnvironmentKey;
  p.environment["SYSTEMDRIVE"] = "C:";
  p.environment["USERPROFILE"] = "C:\\Users\\tester";
  p.registry.SetExpandString(kHklm, machineEnv, "Path", "C:\\windows\\System32;%SystemDrive%\\Tools;\"C:\\Quoted Dir\";;");
  p.registry.SetExpandString(kHkcu, kUserEnvironmentKey, "Path", "%USERPROFILE%\\bin");
  p.files.AddFile("C:\\Tools\\tool.exe", "MZ");
  p.files.AddFile("C:\\Quoted Dir\\quoted.exe", "MZ");
  p.files.AddFile("C:\\Users\\tester\\bin\\lib.dll", "MZ");
  p.files.AddFile("C:\\Users\\tester\\bin\\folder.exe\\x.txt");  // a folder of that name is no program

  const struct {
    const char* command;
    BareNames bare;
    FileState state;
  } cases[] = {
      {"tool.exe /background", BareNames::InWindowsFoldersOrAppPaths, FileState::Present},  // machine PATH
      {"tool.exe \"%1\"", BareNames::InWindowsFoldersOrAppPaths, FileState::Present},
      {"quoted.exe", BareNames::InWindowsFoldersOrAppPaths, FileState::Present},
      {"lib.dll", BareNames::InWindowsFolders, FileState::Present},  // user PATH, a DLL's search too
      {"gone.exe /background", BareNames::InWindowsFoldersOrAppPaths, FileState::Missing},
      {"gone.dll", BareNames::InWindowsFolders, FileState::Missing},
      {"folder.exe", BareNames::InWindowsFoldersOrAppPaths, FileState::Missing},
      {"tool.exe", BareNames::NotJudged, FileState::Unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(Command(c.command, c.bare), c.state) << c.command;

  // The PATH is read once per scan, not once per entry.
  p.registry.SetExpandString(kHkcu, kUserEnvironmentKey, "Path", "C:\\Later");
  p.files.AddFile("C:\\Later\\later.exe", "MZ");
  EXPECT_EQ(Command("later.exe", BareNames::InWindowsFolders), FileState::Missing) << "the PATH of the scan's start";
  ScanContext next(app, host);
  EXPECT_EQ(CommandState(next, "later.exe", "LATER.EXE", BareNames::InWindowsFolders), FileState::Present);
}

TEST_F(GoneJudgementTest, ABareNameIsKeptWhereThePathSearchCannotBeMade) {
  p.files.SetDriveType('N', 4);  // network
  p.files.DenyAccess("C:\\Locked");
  const struct {
    const char* label;
    std::uint32_t type;
    const char* path;
  } cases[] = {
      {"a folder that cannot be read", regtype::kString, "C:\\Locked"},
      {"a variable that is not set", regtype::kExpandString, "%NOSUCH%\\bin"},
      {"a relative folder", regtype::kString, "bin"},
      {"a network folder", regtype::kString, "N:\\tools"},
      {"a value that is no text", regtype::kDword, "\x01\x00\x00\x00"},
  };
  for (const auto& c : cases) {
    p.registry.SetValue(kHkcu, kUserEnvironmentKey, "Path", c.type,
                        c.type == regtype::kDword ? std::string(c.path, 4) : Utf16LeBytes(std::string(c.path)) + '\0' + '\0');
    ScanContext fresh(app, host);
    EXPECT_EQ(CommandState(fresh, "gone.exe", "GONE.EXE", BareNames::InWindowsFolders), FileState::Unknown) << c.label;
  }
  p.registry.SetString(kHkcu, kUserEnvironmentKey, "Path", "C:\\Tools");
  p.files.AddFolder("C:\\Tools");
  ScanContext fresh(app, host);
  EXPECT_EQ(CommandState(fresh, "gone.exe", "GONE.EXE", BareNames::InWindowsFolders), FileState::Missing)
      << "a PATH that could be searched whole";
}

// A shortcut: the same rule, and on 64-bit Windows every face of the system
// folder and of Program Files.
TEST_F(GoneJudgementTest, AShortcutTargetIsGoneOnlyWhenGoneInEveryFace) {
  const struct {
    bool wow64;  // the 32-bit program, else the 64-bit one
    const char* file;    // what is on the disk
    const char* target;  // what the shortcut stores
    bool gone;
  } cases[] = {
      {true, "C:\\windows\\Sysnative\\only64.exe", "C:\\windows\\System32\\only64.exe", false},
      {false, "C:\\windows\\SysWOW64\\only32.exe", "C:\\windows\\System32\\only32.exe", false},
      {true, "C:\\Program Files\\App64\\app.exe", "%ProgramFiles%\\App64\\app.exe", false},
      {false, "C:\\Program Files (x86)\\App32\\app.exe", "%ProgramFiles%\\App32\\app.exe", false},
      {true, "C:\\Program Files\\Common Files\\V\\v.exe", "%CommonProgramFiles%\\V\\v.exe", false},
      {true, "C:\\Locked\\app.exe", "C:\\Locked\\app.exe", false},  // in a folder nobody may read
      {true, nullptr, "C:\\windows\\System32\\gone.exe", true},
      {false, nullptr, "%ProgramFiles%\\Gone\\app.exe", true},
      {true, nullptr, "C:\\Elsewhere\\gone.exe", true},
  };
  for (const auto& c : cases) {
    fake::FakePlatform w;
    testing::SetUpUserFolders(w);
    if (c.wow64) {
      w.RunAsThirtyTwoBitProgramOnSixtyFourBitWindows();
      w.shellFolders[csidl::kProgramFiles] = "C:\\Program Files (x86)";
      w.shellFolders[csidl::kProgramFilesCommon] = "C:\\Program Files (x86)\\Common Files";
      w.environment["PROGRAMW6432"] = "C:\\Program Files";
      w.environment["COMMONPROGRAMW6432"] = "C:\\Program Files\\Common Files";
    } else {
      w.sixtyFourBitProgram = true;
      w.environment["PROGRAMFILES(X86)"] = "C:\\Program Files (x86)";
      w.environment["COMMONPROGRAMFILES(X86)"] = "C:\\Program Files (x86)\\Common Files";
    }
    w.files.AddFolder("C:\\windows\\System32");
    w.files.AddFolder("C:\\Elsewhere");
    w.files.DenyAccess("C:\\Locked");
    if (c.file != nullptr) w.files.AddFile(c.file, "MZ");
    AppState state(w);
    state.folders = FindFolders(w);
    ScanContext context(state, host);
    EXPECT_EQ(ShortcutTargetIsGone(context, c.target), c.gone) << (c.wow64 ? "32-bit: " : "64-bit: ") << c.target;
  }
}

// LogDir and UndoDir name a folder only as a full path in a text value; the
// repair's files then go to the default folder, never the program's.
TEST(FolderSettings, ASettingThatNamesNoFolderLeavesTheDefault) {
  const std::string defaultUndo = "C:\\Users\\tester\\AppData\\Roaming\\Quorvane\\Undo";
  const struct {
    const char* label;
    std::uint32_t type;
    std::string data;
    std::string folder;
  } cases[] = {
      {"a text", regtype::kString, Utf16LeBytes(std::string("D:\\Mine")) + std::string(2, '\0'), "D:\\Mine"},
      {"an expandable text", regtype::kExpandString, Utf16LeBytes(std::string("%BACKUPS%\\Undo")) + std::string(2, '\0'),
       "D:\\Backups\\Undo"},
      {"a number", regtype::kDword, std::string("\x01\x00\x00\x00", 4), defaultUndo},
      {"binary data", regtype::kBinary, "C:\\X", defaultUndo},
      {"several texts", regtype::kMultiString, Utf16LeBytes(std::string("D:\\A")) + std::string(4, '\0'), defaultUndo},
      {"an empty text", regtype::kString, std::string(2, '\0'), defaultUndo},
      {"a relative folder", regtype::kString, Utf16LeBytes(std::string("Undo")) + std::string(2, '\0'), defaultUndo},
      {"an unset variable", regtype::kExpandString, Utf16LeBytes(std::string("%NOSUCH%\\Undo")) + std::string(2, '\0'),
       defaultUndo},
  };
  for (const auto& c : cases) {
    fake::FakePlatform w;
    testing::SetUpUserFolders(w);
    w.files.SetDriveType('D', kDriveFixed);
    w.environment["BACKUPS"] = "D:\\Backups";
    w.registry.SetValue(kHkcu, kSettingsKey, "UndoDir", c.type, c.data);
    w.registry.SetValue(kHkcu, kSettingsKey, "LogDir", c.type, c.data);
    AppState state(w);
    LoadSettings(state);
    EXPECT_EQ(state.folders.UndoFolder, c.folder) << c.label;
    EXPECT_EQ(state.folders.LogFolder, c.folder == defaultUndo ? "C:\\Users\\tester\\AppData\\Roaming\\Quorvane\\Log"
                                                               : c.folder)
        << c.label;
    // The repair's undo file goes there, not beside the program.
    state.UndoScript.Start();
    state.UndoScript.AddKey(kHkcu, "\\Software\\X");
    state.UndoScript.AddString("v", "w");
    const SavedFile saved = SaveUndoScript(w, state.folders, state.UndoScript);
    ASSERT_TRUE(saved.ok) << c.label;
    EXPECT_EQ(saved.path.rfind(c.folder + "\\Undo ", 0), 0u) << c.label << ": " << saved.path;
    for (const std::string& file : w.files.FilesIn(state.folders.ProgramFolder))
      EXPECT_EQ(file.find("Undo "), std::string::npos) << c.label << ": " << file;
  }
}

}  // namespace
}  // namespace qrv
