#include "cleaning/privacy_scan.h"

#include <unordered_set>

#include "cleaning/browser_caches.h"
#include "cleaning/file_walk.h"
#include "core/settings.h"
#include "engine/backup.h"
#include "engine/file_ops.h"
#include "engine/fix_script.h"
#include "engine/registry_ops.h"
#include "engine/text.h"
#include "registry_scan/temp_values.h"

namespace qrv {

namespace {

const std::array<TextId, kPrivacyRows> kRowCaptions{TextId::Action4Item1, TextId::Action4Item2, TextId::Action4Item3,
                                                    TextId::Action4Item4, TextId::Action4Item5};

// The residual files' words, and three more that keep a temporary folder.
bool HoldsProtectedFolderWord(const std::string& upperPath) {
  if (PathHoldsProtectedWord(upperPath)) return true;
  for (const char* word : {"INSTALL", "SYSTEM", "RECYCLE"})
    if (upperPath.find(word) != std::string::npos) return true;
  return false;
}

bool IsProgramExtension(const std::string& upperExtension) {
  for (const char* code : {"EXE", "DLL", "MSI", "VXD"})
    if (upperExtension.find(code) != std::string::npos) return true;
  return false;
}

}  // namespace

int PrivacyRowSlot(int row) { return row == kPrivacyRows ? kSlotTempValues : row; }

std::string PrivacyRowCaption(const LanguageTable& language, int row) {
  return language.Text(kRowCaptions.at(static_cast<std::size_t>(row - 1)));
}

void CleanTempDir(ScanContext& s, const std::string& folder, std::vector<std::string>& list) {
  if (!s.app.CancelFlag) return;
  for (const FileEntry& entry : ListFolder(s, folder)) {
    s.host.ProcessMessages();
    if (!s.app.CancelFlag) continue;
    const std::string path = folder + entry.name;
    if (s.Ignored().CoversPath(path)) continue;
    if (IsWalkableFolder(entry)) {
      CleanTempDir(s, path + "\\", list);
    } else if (IsPlainFile(entry)) {
      const std::string upper = UpperCaseText(entry.name);
      if (upper != "DESKTOP.INI" && upper != "INDEX.DAT" && Addressable(path)) list.push_back(path);
    }
  }
}

void DeleteIndexDat(ScanContext& s, const std::string& folder, IndexDatResult& result) {
  if (!s.app.CancelFlag) return;
  FileSystem& files = s.platform();
  for (const FileEntry& entry : ListFolder(s, folder)) {
    s.host.ProcessMessages();
    if (!s.app.CancelFlag) return;
    if (IsWalkableFolder(entry)) {
      DeleteIndexDat(s, folder + entry.name + "\\", result);
      continue;
    }
    const std::string path = folder + entry.name;
    if (!IsPlainFile(entry) || UpperCaseText(entry.name) != "INDEX.DAT") continue;
    // In use, but the file itself: the system deletes it at the next restart.
    const FileSystem::Deletion deletion = DeleteListedFile(s, path, true);
    if (deletion == FileSystem::Deletion::Deleted)
      ++result.deleted;
    else if (deletion == FileSystem::Deletion::InUse && files.MoveFileExDelayUntilReboot(path))
      ++result.scheduled;
  }
}

std::size_t DeleteHistoryFiles(ScanContext& s, std::size_t& scheduled, std::vector<std::string>& failed) {
  FileSystem& files = s.platform();
  IndexDatResult index;
  for (const std::string* folder : {&s.app.folders.InternetCacheFolder, &s.app.folders.HistoryFolder})
    if (folder->size() > 1) DeleteIndexDat(s, *folder, index);
  std::size_t removed = index.deleted + index.scheduled;
  scheduled += index.scheduled;
  const std::string& form = s.app.folders.FirefoxFormHistoryFile;
  if (!form.empty() && FileExists(files, form)) {
    if (DeleteListedFile(s, form, true) == FileSystem::Deletion::Deleted)
      ++removed;
    else
      failed.push_back(form);
  }
  return removed;
}

void CleanCookies(ScanContext& s, std::vector<std::string>& list) {
  const std::string& folder = s.app.folders.CookiesFolder;
  for (const FileEntry& entry : ListFolder(s, folder)) {
    if (!IsPlainFile(entry) || UpperExtension(entry.name) != ".TXT") continue;
    const std::string path = folder + entry.name;
    if (Addressable(path) && !s.Ignored().CoversPath(path)) list.push_back(path);
    s.host.ProcessMessages();
    if (!s.app.CancelFlag) return;
  }
  const std::string& firefox = s.app.folders.FirefoxCookiesFile;
  if (!firefox.empty() && FileExists(s.platform(), firefox) && !s.Ignored().CoversPath(firefox)) list.push_back(firefox);
}

std::string SitePrefix(const std::string& address) {
  const auto slash = address.find('/', 7);
  return slash == std::string::npos ? address : address.substr(0, slash);
}

void ScanWebPagesVisited(ScanContext& s, std::vector<std::string>& list) {
  std::unordered_set<std::string> seen;
  for (const std::string& line : list) seen.insert(UpperCaseText(line));
  for (const std::string& address : s.platform().UrlHistory("http://")) {
    s.host.ProcessMessages();
    if (!s.app.CancelFlag) continue;
    if (address.empty()) continue;
    std::string prefix = SitePrefix(address);
    if (seen.insert(UpperCaseText(prefix)).second) list.push_back(std::move(prefix));
  }
}

std::vector<std::string> ListFolderAndSubfolders(ScanContext& s, const std::string& folder) {
  std::vector<std::string> list{folder};
  for (const FileEntry& entry : ListFolder(s, folder)) {
    s.host.ProcessMessages();
    if (IsWalkableFolder(entry) && ListableFolder(folder + entry.name + "\\"))
      list.push_back(folder + entry.name + "\\");
  }
  return list;
}

void ProtectedContentTest(ScanContext& s, const std::string& folder, bool& ProtectedItemFound) {
  const std::vector<FileEntry> entries = ListFolder(s, folder);
  if (entries.empty()) return;
  if (HoldsProtectedFolderWord(UpperCaseText(folder))) ProtectedItemFound = true;
  for (const FileEntry& entry : entries) {
    s.host.ProcessMessages();
    if (IsProtectedBackupName(UpperCaseText(entry.name))) ProtectedItemFound = true;
    if (IsProgramExtension(UpperExtension(entry.name))) ProtectedItemFound = true;
    if (!ProtectedItemFound && IsWalkableFolder(entry))
      ProtectedContentTest(s, folder + entry.name + "\\", ProtectedItemFound);
  }
}

void GatherTemporaryFolder(ScanContext& s, const std::string& folder, std::vector<std::string>& list) {
  for (const std::string& taken : ListFolderAndSubfolders(s, folder)) {
    s.host.ProcessMessages();
    bool ProtectedItemFound = false;
    ProtectedContentTest(s, taken, ProtectedItemFound);
    if (ProtectedItemFound) continue;
    CleanTempDir(s, taken, list);
    // The whole folder passed: its subfolders' files are listed already.
    if (taken == folder) break;
  }
}

std::size_t PrivacyScan::Count(int row) const { return app_.Slot(PrivacyRowSlot(row)).size(); }

std::size_t PrivacyScan::Total() const {
  std::size_t total = 0;
  for (int row = 1; row <= kPrivacyRows; ++row) total += Count(row);
  return total;
}

void PrivacyScan::Run(const PrivacyRows& rows, PrivacyObserver* observer) {
  PrivacyObserver none;
  stamp_ = app_.BeginResults(ResultsOwner::Privacy);
  skippedBrowsers_.clear();
  for (int n = kSlotFirstRegistry; n <= kSlotLastRegistry; ++n) app_.Slot(n).clear();
  app_.FixScript.Start();
  app_.TempValueScript.Start();
  app_.UndoScript.Start();
  app_.CancelFlag = true;
  completed_ = RunRows(rows, observer != nullptr ? *observer : none);
  app_.CancelFlag = false;
  settings::Write(app_.platform, settings::kPrivacyRunDate, app_.platform.Now());
}

bool PrivacyScan::RunRows(const PrivacyRows& rows, PrivacyObserver& observer) {
  ScanContext s(app_, host_);
  FileSystem& files = app_.platform;
  const FolderSet& folders = app_.folders;
  const auto between = [&] {
    host_.ProcessMessages();
    return app_.CancelFlag;
  };
  const auto usable = [&](const std::string& folder) { return folder.size() > 1 && FolderExists(files, folder); };

  if (rows[1]) {
    observer.RowStarted(1);
    auto& slot = app_.Slot(1);
    if (usable(folders.TmpFolder)) GatherTemporaryFolder(s, folders.TmpFolder, slot);
    observer.Counted(1);
    if (!between()) return false;
    if (folders.TempFolder != folders.TmpFolder && usable(folders.TempFolder)) {
      GatherTemporaryFolder(s, folders.TempFolder, slot);
      RemoveRepeats(slot);
      observer.Counted(1);
    }
  }
  if (!between()) return false;
  if (rows[2]) {
    observer.RowStarted(2);
    auto& slot = app_.Slot(2);
    if (usable(folders.InternetCacheFolder)) CleanTempDir(s, folders.InternetCacheFolder, slot);
    observer.Counted(2);
    if (!between()) return false;
    if (usable(folders.FirefoxCacheFolder)) CleanTempDir(s, folders.FirefoxCacheFolder, slot);
    observer.Counted(2);
    if (!between()) return false;
    ListBrowserCaches(s, slot, skippedBrowsers_);
    RemoveRepeats(slot);
    observer.Counted(2);
  }
  if (!between()) return false;
  if (rows[3]) {
    observer.RowStarted(3);
    if (!between()) return false;
    ScanWebPagesVisited(s, app_.Slot(3));
    observer.Counted(3);
  }
  if (!between()) return false;
  if (rows[4]) {
    CleanCookies(s, app_.Slot(4));
    observer.RowStarted(4);
    observer.Counted(4);
  }
  if (!between()) return false;
  if (rows[5]) {
    observer.RowStarted(5);
    const auto step = [&] {
      observer.Counted(5);
      return between();
    };
    CleanApplicationsHistory(s, RootKey::CurrentUser, "\\SOFTWARE\\");
    if (!step()) return false;
    CleanApplicationsHistory(s, RootKey::LocalMachine, "\\SOFTWARE\\");
    if (!step()) return false;
    for (const std::string& key : TempRegistryKeys()) {
      CleanTempReg(s, key);
      if (!step()) return false;
    }
    CleanEmptyKeys(s);
    if (!step()) return false;
  }
  return true;
}

std::string SkippedBrowsersText(const LanguageTable& language, const std::vector<std::string>& browsers) {
  if (browsers.empty()) return {};
  std::string names;
  for (const std::string& browser : browsers) names += (names.empty() ? "" : ", ") + browser;
  return ReplaceAll(language.Text(TextId::Action4BrowserSkipped), "%1", names);
}

PrivacyCleanResult CleanPrivacy(AppState& app, ScanHost& host, const PrivacyRows& rows) {
  PrivacyCleanResult result;
  std::vector<std::string> log;
  for (int row = 1; row <= kPrivacyRows; ++row) {
    const auto& slot = app.Slot(PrivacyRowSlot(row));
    log.insert(log.end(), slot.begin(), slot.end());
  }
  result.listed = log.size();
  if (log.empty()) return result;

  const SavedFile written = WriteLog(app.platform, app.folders, log);
  if (!written.ok) {
    result.outcome = PrivacyCleanOutcome::LogNotWritten;
    return result;
  }
  result.logPath = written.path;
  const SavedFile undo = SaveUndoScript(app.platform, app.folders, app.UndoScript);
  if (!undo.ok) {
    result.outcome = PrivacyCleanOutcome::UndoNotWritten;
    return result;
  }
  result.undoPath = undo.path;

  ScanContext s(app, host);
  FileSystem& files = app.platform;
  app.CancelFlag = true;
  for (int row : {1, 2, 4}) {
    if (!rows[static_cast<std::size_t>(row)]) continue;
    RemovalResult removal = RemoveListedFiles(s, app.Slot(row), kPrivacyRowRemoval);
    result.removed[static_cast<std::size_t>(row)] = removal.deleted;
    result.failed.insert(result.failed.end(), removal.failed.begin(), removal.failed.end());
  }
  if (rows[3]) {
    host.ProcessMessages();
    result.removed[3] = DeleteHistoryFiles(s, result.scheduledAtRestart, result.failed);
  }
  const std::string fixFile = FixScriptFile(app.folders);
  if (FileExists(files, fixFile)) files.DeleteFile(fixFile);
  if (rows[5] && app.FixScript.HoldsEntries() &&
      ApplyFixScript(app.platform, app.folders, app.FixScript) == ApplyResult::Imported) {
    result.registryImported = true;
    // Cleaned is what the registry no longer holds.
    const std::vector<bool> gone = FindingsGone(app.platform, app.FixScript);
    result.left = LinesLeft(app.Slot(kSlotTempValues), gone);
    result.removed[5] = app.Slot(kSlotTempValues).size() - result.left.size();
  }
  app.CancelFlag = false;

  for (int row = 1; row <= kPrivacyRows; ++row) result.totalRemoved += result.removed[static_cast<std::size_t>(row)];
  for (int n = kSlotFirstRegistry; n <= kSlotLastRegistry; ++n) app.Slot(n).clear();
  app.FixScript.Clear();
  result.outcome = PrivacyCleanOutcome::Cleaned;
  return result;
}

}  // namespace qrv
