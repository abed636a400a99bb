#include "cleaning/residual_files.h"

#include <cstdio>

#include "cleaning/file_walk.h"
#include "core/settings.h"
#include "engine/backup.h"
#include "engine/registry_ops.h"
#include "engine/text.h"

namespace qrv {

std::string ListDate(double dateTime) {
  const Date date = DecodeDate(dateTime);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

std::string ListSize(std::uint64_t size) {
  const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(size & 0xFFFFFFFFu));
  return low < 1 ? std::string("0") : std::to_string(low);
}

bool IsResidualExtension(const std::string& extension) {
  const std::string upper = UpperCaseText(extension);
  if (upper == ".TMPFILE") return true;
  if (upper.size() < 4 || upper[0] != '.') return false;
  const std::string code = upper.substr(1, 3);
  if (code != "TMP" && code != "BAK" && code != "$$$" && code != "OLD") return false;
  const std::string mark = upper.substr(4);
  const auto all = [&](auto test) {
    for (char c : mark)
      if (!test(c)) return false;
    return true;
  };
  return all([](char c) { return c >= '0' && c <= '9'; }) || all([](char c) { return c == '~'; });
}

bool IsResidualFile(const std::string& folder, const std::string& name) {
  if (!IsResidualExtension(UpperExtension(name))) return false;
  return !PathHoldsProtectedWord(UpperCaseText(folder + name)) && !IsProtectedBackupName(UpperCaseText(name));
}

void ScanTmpFiles(ScanContext& s, const std::string& folder, std::vector<std::string>& list,
                  ResidualObserver& observer, std::size_t& ScannedFileCount) {
  s.host.ProcessMessages();
  if (!s.app.CancelFlag) return;
  for (const FileEntry& entry : ListFolder(s, folder)) {
    s.host.ProcessMessages();
    if (IsWalkableFolder(entry)) {
      if (!s.Ignored().CoversPath(folder + entry.name))
        ScanTmpFiles(s, folder + entry.name + "\\", list, observer, ScannedFileCount);
      continue;
    }
    if (!IsPlainFile(entry)) continue;
    if (++ScannedFileCount % 10 == 0) observer.Scanned(ScannedFileCount);
    if (!IsResidualFile(folder, entry.name)) continue;
    ResidualFile file{folder + entry.name, entry.name, folder, entry.lastWrite, entry.size};
    if (!Addressable(file.path) || s.Ignored().CoversPath(file.path)) continue;
    list.push_back(file.path);
    observer.Found(file);
  }
}

std::size_t FindJunk(AppState& app, ScanHost& host, const std::string& root, ResidualObserver& observer) {
  ScanContext s(app, host);
  app.BeginResults(ResultsOwner::Residual);
  app.Slot(1).clear();
  std::size_t scanned = 0;
  app.CancelFlag = true;
  ScanTmpFiles(s, WithTrailingBackslash(root), app.Slot(1), observer, scanned);
  app.CancelFlag = false;
  settings::Write(app.platform, settings::kResidualRunDate, app.platform.Now());
  return scanned;
}

}  // namespace qrv
