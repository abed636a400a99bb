#pragma once
// The residual file search of the Clean Up tab (temporary and backup files
// left behind by programs), as an operation: the residual page, the console
// program and the one-click scan run the same search.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "registry_scan/scan_context.h"

namespace qrv {

struct ResidualFile {
  std::string path;    // folder + name
  std::string name;    // as found
  std::string folder;  // ending with a backslash
  double lastWrite = 0;
  std::uint64_t size = 0;
};

// The list's date column: year-month-day of a local date-time ("2009-03-02").
std::string ListDate(double dateTime);
// The list's size column: the low 32 bits as a signed number, "0" below 1.
std::string ListSize(std::uint64_t size);

// Whether an extension (from the last dot, any letter case) marks a residual
// file: .tmp, .bak, .old or .$$$ whole; one of them followed by a copy number
// or by tildes, as programs mark their spare copies (report.bak2, b.tmp~);
// and .tmpfile. Never another extension that only begins with one of them
// (a template's .tmpl, a project's .tmproj, .oldx).
bool IsResidualExtension(const std::string& extension);

// A name with a residual extension, in a path without a protected word, and
// not a protected backup name.
bool IsResidualFile(const std::string& folder, const std::string& name);

// What a file search tells whoever shows it; every call is optional.
class FileSearchObserver {
 public:
  virtual ~FileSearchObserver() = default;
  // Every tenth file looked at.
  virtual void Scanned(std::size_t /*ScannedFileCount*/) {}
};

class ResidualObserver : public FileSearchObserver {
 public:
  virtual void Found(const ResidualFile& /*file*/) {}
};

// Searches folder (ending with a backslash) and every real folder below it,
// never through a link; appends each residual file's path to list. Returns at
// once when CancelFlag is false; counts the files looked at.
void ScanTmpFiles(ScanContext& s, const std::string& folder, std::vector<std::string>& list,
                  ResidualObserver& observer, std::size_t& ScannedFileCount);

// Find Junk: empties slot 1 and fills it from the search of root with
// CancelFlag set, until the end or a confirmed Stop; writes RunDate3 either
// way. Returns the number of files looked at.
std::size_t FindJunk(AppState& app, ScanHost& host, const std::string& root, ResidualObserver& observer);

}  // namespace qrv
