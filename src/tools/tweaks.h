#pragma once
// The 24 tweaks: one table of rows (page, texts, where the state lives, how it
// reads, what Apply writes, the recommended state), the read of every row,
// Recommended, and Apply with its undo backup. The Optimize tab and the
// "Optimize Windows" dialog are two views over this table.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/startup.h"
#include "core/texts.h"
#include "engine/fix_script.h"
#include "engine/platform.h"
#include "engine/reg_script.h"

namespace qrv {

enum class TweakPage { System = 0, Internet = 1, Security = 2 };
inline constexpr int kTweakPages = 3;
inline constexpr int kTweakCount = 24;

enum class TweakRead {
  DwordIsOne,       // on when the DWORD is 1
  DwordPositive,    // on when the DWORD, taken as signed, is greater than 0
  DwordNotZero,     // on when the DWORD is not 0
  DwordOneIsOff,    // off when the DWORD is 1, else on
  StringEquals,     // on when the upper-cased text equals `onText`
};

struct TweakRow {
  TweakPage page;
  int number;          // 1 to 9 as the language file numbers it ("item01")
  TextId caption;
  TextId hint;
  bool rebootMark;     // the caption carries " *"
  RootKey root;
  const char* key;     // with its leading backslash, as the key line names it
  const char* readName;
  const char* writeName;
  TweakRead read;
  // What Apply writes: a DWORD for the DWORD rows, a text for the string rows.
  std::uint32_t onDword, offDword;
  const char* onText;
  const char* offText;
  bool recommended;
  bool writesUserName;  // on: the DefaultUserName line follows
};

using TweakStates = std::array<bool, kTweakCount>;

const std::array<TweakRow, kTweakCount>& TweakTable();
// Indexes into TweakTable of one page's rows, in display order.
std::vector<int> TweakRowsOf(TweakPage page);
// The row of a page by its number ("01"), or -1.
int TweakIndex(TweakPage page, int number);
const char* TweakPageName(TweakPage page);  // "system", "internet", "security"

bool ReadTweak(RegistryView& view, const TweakRow& row);
TweakStates ReadTweaks(RegistryView& view);

// The rows of the page take their recommended state; the others keep theirs.
void RecommendTweaks(TweakPage page, TweakStates& states);

// The rows of the page whose state differs from the state read: the only
// rows Apply writes (Recommended counts as a change of the rows it changes).
std::vector<int> ChangedTweaks(TweakPage page, const TweakStates& read, const TweakStates& states);

// "REGEDIT4", an empty line, then for every row given (indexes into the
// table, in table order) its key line and the value line of its state, each
// row followed by an empty line except the last one of the Security page.
void BuildTweakScript(RegScript& script, const std::vector<int>& rows, const TweakStates& states,
                      const std::string& userName);

// The values that writing these rows changes, as they are now: a value that
// exists is backed up with its type; one that does not is deleted on undo.
// False when a value that exists could not be backed up.
bool BackupTweaks(RegistryView& view, RegScript& undo, const std::vector<int>& rows, const TweakStates& states);

enum class TweakApplyOutcome {
  Imported,
  NothingChanged,  // no row of the page differs from what was read: nothing written
  UndoNotWritten,  // the backup could not be made or written: nothing imported
  Refused,
  ScriptNotWritten,
  EditorNotStarted,
};

struct TweakApplyResult {
  TweakApplyOutcome outcome = TweakApplyOutcome::UndoNotWritten;
  std::string undoPath;
  std::vector<int> written;  // the rows of the script, indexes into the table
};

// Apply without its question: the rows of the page whose state differs from
// `read` go into a script of its own (the scans' FixScript is not touched),
// their values into an undo file, and only then the script is imported.
TweakApplyResult ApplyTweaks(AppState& app, TweakPage page, const TweakStates& read, const TweakStates& states);

}  // namespace qrv
