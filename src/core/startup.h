#pragma once
// From the start of the program to the moment the main window is ready:
// the single-instance and administrator tests, the folder set, the settings
// table and the language file.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/folders.h"
#include "core/ignore_list.h"
#include "core/language.h"
#include "core/settings.h"
#include "engine/platform.h"
#include "engine/reg_script.h"

namespace qrv {

inline constexpr const char* kElevationKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
inline constexpr const char* kElevationData = "RUNASADMIN ELEVATECREATEPROCESS";
inline constexpr const char* kMutexName = "Quorvane";

enum class EntryDecision { Start, AlreadyRunning, NotAdministrator };

// Steps 1 to 3 of the program entry without a word to the user: a second
// instance or a user without administrator rights stops here; otherwise the
// single-instance mutex is created (it lives until the process ends).
EntryDecision CheckEntry(Platform& platform);
// The same with the message box of each refusal.
EntryDecision ProgramEntry(Platform& platform);

// The slots of FindingList: 1 to 10 the registry categories (category n in
// slot n), then the one-click scan's file groups.
inline constexpr int kSlotFirstRegistry = 1;
inline constexpr int kSlotLastRegistry = 10;
inline constexpr int kSlotTempValues = 10;  // temporary values and empty keys
inline constexpr int kSlotTempFiles = 11;   // temporary Internet and other temporary files
inline constexpr int kSlotWebPages = 12;    // visited Web pages
inline constexpr int kSlotCookies = 13;
inline constexpr int kSlotResidualFiles = 14;
inline constexpr int kSlotShortcuts = 15;   // invalid shortcuts

// The values of ScanMode: which progress bar the registry checks move.
inline constexpr int kScanModeHome = 2;      // the one-click scan's bar
inline constexpr int kScanModeRegistry = 3;  // the Registry tab's bar

// The scans that fill the shared lists and scripts.
enum class ResultsOwner { None, Registry, Home, Privacy, Residual, Shortcuts };

// What start-up finds and keeps for the whole run.
struct AppState {
  explicit AppState(Platform& p) : platform(p) {}
  Platform& platform;
  FolderSet folders;
  unsigned LanguageNumber = 1;
  LanguageTable language;
  RegScript UndoScript{ScriptFlavour::Version5};

  // The lists every scan shares, valid until another page starts a scan.
  // FindingList[1] to [10] are the registry categories, [11] to [15] the Home
  // scan's file groups; [0] is unused.
  std::array<std::vector<std::string>, 16> FindingList;
  std::vector<std::string>& Slot(int slot) { return FindingList.at(static_cast<std::size_t>(slot)); }
  const std::vector<std::string>& Slot(int slot) const { return FindingList.at(static_cast<std::size_t>(slot)); }
  // Beside each registry finding, the entry the user may ignore it by (the
  // first key or value it changes). Emptied whenever a scan begins; a slot's
  // entries stand for its lines only while both have the same length.
  std::array<std::vector<IgnoreEntry>, 16> FindingEntries;
  std::optional<IgnoreEntry> FindingEntry(int slot, std::size_t line) const {
    const auto& entries = FindingEntries.at(static_cast<std::size_t>(slot));
    if (entries.size() != Slot(slot).size() || line >= entries.size()) return std::nullopt;
    return entries[line];
  }
  RegScript FixScript{ScriptFlavour::Regedit4};
  RegScript TempValueScript{ScriptFlavour::Regedit4};
  // Where the temporary values' lines begin in FixScript (they come last and
  // TempValueScript holds them too); 0 while there are none.
  std::size_t FixScriptTempValuesAt = 0;
  // True while a scan or cleaning runs; navigation and closing wait for it.
  bool CancelFlag = false;
  // Which progress bar the registry checks move: 2 Home, 3 Registry tab.
  int ScanMode = 0;
  // The number of programs loaded at start-up, as ReadStartup last counted.
  std::size_t StartupCount = 0;

  // Which scan filled the shared lists and scripts, and a number that changes
  // whenever a scan starts. A page acts on the lists only while they still
  // hold the results of the scan it showed: a scan on another page replaces
  // them. Every scan calls BeginResults before it clears what it fills.
  ResultsOwner Owner = ResultsOwner::None;
  std::uint64_t ResultsStamp = 0;
  std::uint64_t BeginResults(ResultsOwner owner) {
    Owner = owner;
    for (auto& entries : FindingEntries) entries.clear();
    return ++ResultsStamp;
  }
  bool HoldsResultsOf(ResultsOwner owner, std::uint64_t stamp) const {
    return stamp != 0 && Owner == owner && ResultsStamp == stamp;
  }
};

FolderSet FindFolders(Platform& platform);
// Fills the folder set, seeds and reads the settings, opens the language file.
void LoadSettings(AppState& state);
// The same, read only: nothing is seeded and no elevation flag is set (for a
// program started at logon, which may not ask for elevation).
void ReadSettings(AppState& state);

// The scheduled-scan companion, QRVSchedule.exe beside the program, and the
// Run value that starts it at every logon. The first start, which seeds the
// schedule on, registers it; the schedule dialog writes or deletes it.
inline constexpr const char* kCompanionRunKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kScheduleRunValue = "Quorvane Schedule";
inline constexpr const char* kCompanionFile = "QRVSchedule.exe";
// ProgramFolder + "\QRVSchedule.exe".
std::string CompanionPath(const FolderSet& folders);
// The Run value's text: the companion's path in double quotes.
std::string CompanionRunData(const FolderSet& folders);
// Writes the Run value under the current user's Run key; false when it could not be written.
bool RegisterCompanion(Platform& platform, const FolderSet& folders);

}  // namespace qrv
