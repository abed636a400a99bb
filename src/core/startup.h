#pragma once
// From the start of the program to the moment the main window is ready:
// the single-instance and administrator tests, the folder set, the settings
// table and the language file.
#include <string>

#include "core/folders.h"
#include "core/language.h"
#include "engine/platform.h"
#include "engine/reg_script.h"

namespace qrv {

inline constexpr const char* kSettingsKey = "\\SOFTWARE\\Quorvane";
inline constexpr const char* kElevationKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
inline constexpr const char* kElevationData = "RUNASADMIN ELEVATECREATEPROCESS";
inline constexpr const char* kMutexName = "Quorvane";

enum class EntryDecision { Start, AlreadyRunning, NotAdministrator };

// Steps 1 to 3 of the program entry: refuses a second instance and a user
// without administrator rights (each with its message box), else creates the
// single-instance mutex and answers Start.
EntryDecision ProgramEntry(Platform& platform);

// What start-up finds and keeps for the whole run.
struct AppState {
  explicit AppState(Platform& p) : platform(p) {}
  Platform& platform;
  FolderSet folders;
  unsigned LanguageNumber = 1;
  LanguageTable language;
  RegScript UndoScript{ScriptFlavour::Version5};
};

FolderSet FindFolders(Platform& platform);
// Fills the folder set, seeds and reads the settings, opens the language file.
void LoadSettings(AppState& state);

}  // namespace qrv
