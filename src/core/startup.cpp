#include "core/startup.h"

#include "engine/text.h"
#include "engine/file_ops.h"
#include "engine/fix_script.h"
#include "engine/paths.h"
#include "engine/recovery.h"
#include "engine/registry_ops.h"

namespace qrv {

EntryDecision CheckEntry(Platform& platform) {
  if (platform.OpenMutex(kMutexName)) return EntryDecision::AlreadyRunning;
  platform.CreateMutex(kMutexName);
  if (!KeyIsWritable(platform, RootKey::LocalMachine, "\\SOFTWARE")) return EntryDecision::NotAdministrator;
  return EntryDecision::Start;
}

EntryDecision ProgramEntry(Platform& platform) {
  const EntryDecision decision = CheckEntry(platform);
  if (decision == EntryDecision::AlreadyRunning)
    platform.MessageBox("Program already running!", "Warning", kMbIconError);
  if (decision == EntryDecision::NotAdministrator)
    platform.MessageBox("In order to access Quorvane functions\ryou must have administrator privilege!", "Warning",
                        kMbIconError);
  return decision;
}

namespace {

std::string UpToLastBackslash(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string StartupFolder(Platform& platform, int csidl, RootKey root, const char* second) {
  std::string folder = platform.SHGetFolderPath(csidl);
  const char* key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  if (folder.empty()) folder = ReadUpperString(platform, root, key, "Startup");
  if (folder.empty()) folder = ReadUpperString(platform, root, key, second);
  return folder;
}

}  // namespace

FolderSet FindFolders(Platform& platform) {
  FolderSet f;
  f.UserName = platform.GetUserName();
  const std::string program = platform.GetModuleFileName();
  f.ProgramFolder = program.substr(0, program.rfind('\\') == std::string::npos ? 0 : program.rfind('\\'));
  f.WindowsFolder = platform.GetWindowsDirectory() + "\\";
  f.RegistryEditor = RegistryEditorPath(platform, f.WindowsFolder);
  if (platform.Is64BitWindows())
    f.OtherSystemFolder = f.WindowsFolder + (platform.IsWow64() ? "Sysnative\\" : "SysWOW64\\");

  const std::string localAppData = platform.SHGetFolderPath(csidl::kLocalAppData);
  f.LocalSettingsFolder = UpToLastBackslash(localAppData);
  f.LocalAppDataFolder = localAppData.empty() ? std::string() : WithTrailingBackslash(localAppData);
  f.RecentFolder = platform.SHGetFolderPath(csidl::kRecent);
  f.InternetCacheFolder = platform.SHGetFolderPath(csidl::kInternetCache);
  f.HistoryFolder = platform.SHGetFolderPath(csidl::kHistory);
  f.CookiesFolder = platform.SHGetFolderPath(csidl::kCookies);
  const std::string appData = platform.SHGetFolderPath(csidl::kAppData);
  // The user's own folder, which %USERPROFILE% names. Where Application Data
  // lies directly in it (Windows XP) that is AppData's parent; since Vista it
  // is two levels up (...\AppData\Roaming), so the parent would send
  // %USERPROFILE% paths, and the shortcut search, to the wrong folder.
  const std::string userFolder = platform.SHGetFolderPath(csidl::kProfile);
  f.UserProfileFolder = userFolder.empty() ? UpToLastBackslash(appData) : userFolder;
  f.AppDataFolder = appData + "\\";
  f.ProgramFilesFolder = platform.SHGetFolderPath(csidl::kProgramFiles);
  f.CommonFilesFolder = platform.SHGetFolderPath(csidl::kProgramFilesCommon);
  f.UserStartupFolder = StartupFolder(platform, csidl::kStartup, RootKey::CurrentUser, "AltStartup");
  f.CommonStartupFolder = StartupFolder(platform, csidl::kCommonStartup, RootKey::LocalMachine, "Common Startup");

  f.LogFolder = f.AppDataFolder + "Quorvane\\Log";
  f.UndoFolder = f.AppDataFolder + "Quorvane\\Undo";
  ForceDirectories(platform, f.LogFolder);
  ForceDirectories(platform, f.UndoFolder);

  const std::string firefox = f.AppDataFolder + "Mozilla\\Firefox\\";
  IniFile profiles;
  profiles.Open(platform, firefox + "profiles.ini", [&](const std::string& b) { return platform.FromAnsi(b); });
  const std::string profile = ReplaceAll(profiles.Get("Profile0", "Path", ""), "/", "\\");
  f.FirefoxProfileFolder = firefox + profile;
  if (FileExists(platform, f.FirefoxProfileFolder + "\\cookies.sqlite")) {
    f.FirefoxGeneration = 3;
    f.FirefoxCookiesFile = f.FirefoxProfileFolder + "\\cookies.sqlite";
    f.FirefoxFormHistoryFile = f.FirefoxProfileFolder + "\\formhistory.sqlite";
    f.FirefoxCacheFolder = f.LocalSettingsFolder + "Application Data\\Mozilla\\Firefox\\" + profile + "\\Cache\\";
  } else {
    f.FirefoxGeneration = 2;
    f.FirefoxCookiesFile = f.FirefoxProfileFolder + "\\cookies.txt";
    f.FirefoxFormHistoryFile = f.FirefoxProfileFolder + "\\formhistory.dat";
    f.FirefoxCacheFolder = f.FirefoxProfileFolder + "\\Cache\\";
  }

  for (std::string* folder : {&f.LocalSettingsFolder, &f.UserProfileFolder, &f.RecentFolder, &f.ProgramFilesFolder,
                              &f.CommonFilesFolder, &f.HistoryFolder, &f.CookiesFolder, &f.InternetCacheFolder,
                              &f.UserStartupFolder, &f.CommonStartupFolder})
    *folder = WithTrailingBackslash(*folder);

  if (platform.Is64BitWindows()) {
    // The variables Windows sets for the other kind of program's folders.
    const bool wow64 = platform.IsWow64();
    const auto other = [&](const char* name) {
      const std::string folder = platform.GetEnvironmentVariable(name).value_or("");
      return folder.empty() ? folder : WithTrailingBackslash(folder);
    };
    f.OtherProgramFilesFolder = other(wow64 ? "ProgramW6432" : "ProgramFiles(x86)");
    f.OtherCommonFilesFolder = other(wow64 ? "CommonProgramW6432" : "CommonProgramFiles(x86)");
  }

  f.TmpFolder = ExpandFolderPlaceholders(f, platform.GetEnvironmentVariable("TMP").value_or(""));
  f.TempFolder = ExpandFolderPlaceholders(f, platform.GetEnvironmentVariable("TEMP").value_or(""));
  if (Utf8ToCodePoints(f.TmpFolder).size() < 3 && FolderExists(platform, f.LocalSettingsFolder + "Temp"))
    f.TmpFolder = f.LocalSettingsFolder + "Temp";
  if (Utf8ToCodePoints(f.TempFolder).size() < 3 && FolderExists(platform, f.LocalSettingsFolder + "Tmp"))
    f.TempFolder = f.LocalSettingsFolder + "Tmp";
  f.TmpFolder = WithTrailingBackslash(f.TmpFolder);
  f.TempFolder = WithTrailingBackslash(f.TempFolder);
  return f;
}

namespace {

// A folder setting that names a folder: a string, or an expandable string
// whose variables are set, holding a full path. Anything else (missing, a
// number, binary data, an empty or relative text) names no folder, and the
// default folder stays.
std::optional<std::string> StoredFolder(Platform& p, const settings::Folder& setting) {
  const auto value = settings::Read(p, setting);
  if (!value) return std::nullopt;
  std::string text = value->text;
  if (value->expandable) {
    const auto expanded = ExpandEnvironmentVariables(p, text);
    if (!expanded) return std::nullopt;
    text = *expanded;
  }
  text = Trim(text);
  const bool drivePath = text.size() >= 3 && text[1] == ':' && text[2] == '\\';
  const bool networkPath = text.size() > 2 && text[0] == '\\' && text[1] == '\\';
  if (!drivePath && !networkPath) return std::nullopt;
  return text;
}

// The folder settings and the folders they decide.
std::array<std::pair<const settings::Folder*, std::string*>, 2> FolderSettings(FolderSet& f) {
  return {{{&settings::kLogDir, &f.LogFolder}, {&settings::kUndoDir, &f.UndoFolder}}};
}

// The stored language and log and undo folders, and the language file.
void ReadStoredSettings(AppState& state) {
  Platform& p = state.platform;
  FolderSet& f = state.folders;
  state.LanguageNumber = settings::Read(p, settings::kLanguage);
  for (auto [setting, folder] : FolderSettings(f))
    if (const auto stored = StoredFolder(p, *setting)) *folder = *stored;
  state.language.Open(p, f.ProgramFolder + "\\" + LanguageFileName(state.LanguageNumber),
                      [&p](const std::string& b) { return p.FromAnsi(b); });
}

}  // namespace

void ReadSettings(AppState& state) {
  state.folders = FindFolders(state.platform);
  state.folders.WindowsMajorVersion = state.platform.GetVersionMajor();
  ReadStoredSettings(state);
}

void LoadSettings(AppState& state) {
  Platform& p = state.platform;
  const RootKey hkcu = RootKey::CurrentUser;
  // The Windows version and the elevation flag.
  const std::uint32_t major = p.GetVersionMajor();
  const std::string program = p.GetModuleFileName();
  if (major > 5 && !ValueExists(p, hkcu, kElevationKey, program)) WriteString(p, hkcu, kElevationKey, program, kElevationData);
  state.folders = FindFolders(p);
  state.folders.WindowsMajorVersion = major;
  FolderSet& f = state.folders;
  // The settings: seed what is missing, read the rest.
  namespace s = settings;
  s::CreateKey(p);  // opened and closed again: it exists from here on
  if (!s::Exists(p, s::kDisplayName)) s::Write(p, s::kDisplayName, "Tessaline");
  if (!s::Exists(p, s::kVersion)) s::Write(p, s::kVersion, "2.0");
  if (!s::Exists(p, s::kLanguage)) s::Write(p, s::kLanguage, 1);
  for (auto [setting, folder] : FolderSettings(f))
    if (!s::Exists(p, *setting)) s::Write(p, *setting, *folder);
  if (!s::Exists(p, s::kShowRebootMessage)) s::Write(p, s::kShowRebootMessage, true);
  if (!s::Exists(p, s::kScheduleOn)) {
    s::Write(p, s::kScheduleOn, true);
    s::Write(p, s::kScheduleDay, 0);
    s::Write(p, s::kScheduleTime, p.Now());
    // Seeded on, the schedule has its companion registered as the dialog's
    // Apply would, so that "On" on the Home page means a scan will run.
    RegisterCompanion(p, f);
  }
  ReadStoredSettings(state);
  state.UndoScript.Clear();
  // Removed files older than the user's number of days go for good.
  ExpireRemovals(p, f, static_cast<int>(s::Read(p, s::kKeepRemovedDays)));
}

std::string CompanionPath(const FolderSet& folders) { return folders.ProgramFolder + "\\" + kCompanionFile; }

std::string CompanionRunData(const FolderSet& folders) { return "\"" + CompanionPath(folders) + "\""; }

bool RegisterCompanion(Platform& platform, const FolderSet& folders) {
  return WriteString(platform, RootKey::CurrentUser, kCompanionRunKey, kScheduleRunValue, CompanionRunData(folders));
}

}  // namespace qrv
