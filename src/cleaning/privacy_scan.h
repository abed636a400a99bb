#pragma once
// The privacy scan and clean of the Clean Up tab, as operations: the privacy
// page, the console program and the one-click scan run the same code.
//
// Rows: 1 temporary folders (slot 1), 2 temporary Internet files (slot 2:
// the system's Internet cache, the older Firefox cache and the caches of
// today's browsers, cleaning/browser_caches.h),
// 3 visited web sites (slot 3), 4 cookies (slot 4), 5 temporary registry
// values (slot 10, the checks of the Registry tab's tenth category).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/scan_host.h"
#include "core/startup.h"
#include "engine/fix_script.h"
#include "registry_scan/scan_context.h"

namespace qrv {

inline constexpr int kPrivacyRows = 5;
using PrivacyRows = std::array<bool, kPrivacyRows + 1>;  // [1] to [5]; [0] unused
inline PrivacyRows AllPrivacyRows() { return {false, true, true, true, true, true}; }

int PrivacyRowSlot(int row);  // 1, 2, 3, 4, 10
std::string PrivacyRowCaption(const LanguageTable& language, int row);

// ---- The gathering and deleting routines (the one-click scan reuses them) ----

// Appends the path of every file below folder (ending with a backslash), at
// any depth, except desktop.ini and index.dat. Links are not entered.
void CleanTempDir(ScanContext& s, const std::string& folder, std::vector<std::string>& list);

struct IndexDatResult {
  std::size_t deleted = 0;
  std::size_t scheduled = 0;  // in use: deleted at the next restart
};
// Deletes every index.dat below folder, at any depth; one in use is
// registered for deletion at the next restart. Stops when Stop is pressed.
void DeleteIndexDat(ScanContext& s, const std::string& folder, IndexDatResult& result);

// Row 3's clean: every index.dat below the Internet cache and history
// folders, then Firefox's form history file (it keeps its attributes when it
// cannot be deleted, and is added to failed). Returns what was removed,
// index files scheduled for the restart included (also added to scheduled).
std::size_t DeleteHistoryFiles(ScanContext& s, std::size_t& scheduled, std::vector<std::string>& failed);

// Appends the cookie files: CookiesFolder's *.txt files, then the Firefox cookie file.
void CleanCookies(ScanContext& s, std::vector<std::string>& list);

// "http://host" of an address: everything before the first "/" after "http://".
std::string SitePrefix(const std::string& address);
// Appends each site of the URL history that the list does not hold yet
// (letter case ignored). Nothing when the store is not there.
void ScanWebPagesVisited(ScanContext& s, std::vector<std::string>& list);

// The folder itself, then its direct subfolders (links left out).
std::vector<std::string> ListFolderAndSubfolders(ScanContext& s, const std::string& folder);

// Sets ProtectedItemFound when folder, or anything below it, must not be
// cleaned: a protected word in its path, a protected backup name, a program
// file. It never clears the flag. Links are judged by their name only.
void ProtectedContentTest(ScanContext& s, const std::string& folder, bool& ProtectedItemFound);

// Row 1's gathering of one temporary folder: the folder whole when it passes
// the protection test, otherwise each direct subfolder that passes.
void GatherTemporaryFolder(ScanContext& s, const std::string& folder, std::vector<std::string>& list);

// ---- The scan and the clean ----

class PrivacyObserver {
 public:
  virtual ~PrivacyObserver() = default;
  virtual void RowStarted(int /*row*/) {}
  // The row's items so far are in its slot.
  virtual void Counted(int /*row*/) {}
};

class PrivacyScan {
 public:
  PrivacyScan(AppState& app, ScanHost& host) : app_(app), host_(host) {}

  // Empties slots 1 to 10, starts the fix and undo scripts and gathers the
  // ticked rows with CancelFlag set, until the end or a confirmed Stop. Writes
  // RunDate2 either way; CancelFlag is clear when it returns.
  void Run(const PrivacyRows& rows, PrivacyObserver* observer = nullptr);
  bool Completed() const { return completed_; }
  // The results the run began (AppState::HoldsResultsOf).
  std::uint64_t Stamp() const { return stamp_; }
  std::size_t Count(int row) const;
  std::size_t Total() const;
  // The browsers whose caches row 2 left out because they were running
  // ("Chrome", "Edge", "Firefox"), in the order they were met.
  const std::vector<std::string>& SkippedBrowsers() const { return skippedBrowsers_; }

 private:
  bool RunRows(const PrivacyRows& rows, PrivacyObserver& observer);
  AppState& app_;
  ScanHost& host_;
  bool completed_ = false;
  std::uint64_t stamp_ = 0;
  std::vector<std::string> skippedBrowsers_;
};

// What the page and the console say of the browsers a scan skipped: one
// sentence naming them all; empty when none was skipped.
std::string SkippedBrowsersText(const LanguageTable& language, const std::vector<std::string>& browsers);

enum class PrivacyCleanOutcome {
  Cleaned,
  NothingFound,    // nothing was listed: nothing done
  LogNotWritten,   // nothing deleted
  UndoNotWritten,  // nothing deleted
};

struct PrivacyCleanResult {
  PrivacyCleanOutcome outcome = PrivacyCleanOutcome::NothingFound;
  // What each row removed: files deleted (rows 1, 2, 4), history files deleted
  // or scheduled for the restart (row 3), registry values gone after the import (row 5).
  std::array<std::size_t, kPrivacyRows + 1> removed{};
  std::size_t totalRemoved = 0;
  std::size_t listed = 0;                // the items the log records
  std::size_t scheduledAtRestart = 0;    // index.dat files in use
  std::vector<std::string> failed;       // listed files still there
  bool registryImported = false;
  std::vector<std::string> left;         // row 5's entries the import left
  std::string logPath;
  std::string undoPath;  // empty when nothing needed backing up
};

// Cleans what the last scan listed, for the ticked rows: the log of every
// listed item and the undo file first (nothing is deleted when either cannot
// be written), then the files of rows 1, 2 and 4 (read-only files stay), the
// history index files of row 3, and the registry script of row 5. Empties
// slots 1 to 10 and the fix script after a clean.
PrivacyCleanResult CleanPrivacy(AppState& app, ScanHost& host, const PrivacyRows& rows);

}  // namespace qrv
