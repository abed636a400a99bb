#include "registry_scan/file_probe.h"

#include <algorithm>

#include "engine/text.h"
#include "engine/file_ops.h"
#include "engine/paths.h"
#include "engine/registry_ops.h"

namespace qrv {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters no file name holds (a colon only after the drive): such a path is
// a pattern or something else, and its absence proves nothing.
bool HoldsForbiddenCharacter(const std::string& path) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (c < 32 || (path[i] == ':' && i != 1)) return true;
    if (std::string_view("*?\"<>|").find(path[i]) != std::string_view::npos) return true;
  }
  return false;
}

// On 64-bit Windows "System32" has two faces, the native folder and the 32-bit
// one, and "%ProgramFiles%" names the Program Files folder of whoever expands
// it. Keys that the two registry views share hold registrations of both
// kinds, and a 64-bit program reads the 32-bit view's too: a path in the
// system, Program Files or Common Files folder is there when it is there in
// either face; only one gone from both is surely gone.
std::string OtherFace(ScanContext& s, const std::string& path) {
  const FolderSet& f = s.app.folders;
  const std::pair<std::string, const std::string*> faces[] = {
      {f.WindowsFolder + "System32\\", &f.OtherSystemFolder},
      {f.ProgramFilesFolder, &f.OtherProgramFilesFolder},
      {f.CommonFilesFolder, &f.OtherCommonFilesFolder},
  };
  for (const auto& [folder, other] : faces) {
    if (other->empty() || folder.size() < 4 || path.size() <= folder.size() ||
        !EqualsNoCase(std::string_view(path).substr(0, folder.size()), folder))
      continue;
    return *other + path.substr(folder.size());
  }
  return {};
}

// A full path that the system takes as it is written: a drive, single
// backslashes, no "." or ".." step, no forward slash, and short enough for
// every function. Only for such a path does "path not found" say that the
// folder above it is gone, and only such a path is answered by a folder known
// to be gone.
bool PlainFullPath(const std::string& path) {
  if (path.size() < 4 || path.size() >= kMaxPath || !IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\')
    return false;
  if (path.find('/') != std::string::npos || path.find("\\\\") != std::string::npos) return false;
  std::size_t start = 3;
  while (start < path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    const std::string_view step(path.data() + start, end - start);
    if (step == "." || step == "..") return false;
    start = end + 1;
  }
  return true;
}

// Some folder above the path (not its drive) is known to be gone.
bool BelowGoneFolder(const ScanContext::FileAnswers& files, const std::string& key) {
  if (files.goneFolders.empty()) return false;
  for (std::size_t slash = key.find('\\', 3); slash != std::string::npos; slash = key.find('\\', slash + 1))
    if (files.goneFolders.count(key.substr(0, slash))) return true;
  return false;
}

// A name that a listing answers for exactly as a request by path would: plain
// ASCII (no case rule but a to z applies), no short-name tilde, no folder
// step, nothing Windows trims from the end of a name.
bool ListableName(const std::string& name) {
  if (name.empty() || name.size() > 200 || name == "." || name == ".." || name.front() == ' ' ||
      name.back() == ' ' || name.back() == '.')
    return false;
  for (const char c : name)
    if (c < ' ' || c > '~' || std::string_view("\\/~:*?\"<>|").find(c) != std::string_view::npos) return false;
  return true;
}

// The names in `folder` (upper-cased a to z, with whether each is a folder),
// listed once per scan; none when the listing did not run to its end or
// holds a name beyond plain ASCII, whose case Windows may fold its own way.
const ScanContext::FileAnswers::Names& NamesIn(ScanContext& s, const std::string& folder) {
  const std::string key = UpperAscii(folder);
  if (const auto known = s.files.folderNames.find(key); known != s.files.folderNames.end()) return known->second;
  ScanContext::FileAnswers::Names& listed = s.files.folderNames[key];
  std::vector<FileEntry> entries;
  if (s.platform().ListFolder(folder, entries) != kErrorSuccess) return listed;
  std::unordered_map<std::string, bool> names;
  for (const FileEntry& entry : entries) {
    for (const char c : entry.name)
      if (c < ' ' || c > '~') return listed;
    names[UpperAscii(entry.name)] = (entry.attributes & kAttributeDirectory) != 0;
  }
  listed = std::move(names);
  return listed;
}

// A folder asked about this often is listed once: many entries name files in
// one folder (a program's libraries), and Wine reads the whole folder for
// each name whose case differs from the disk's. Only a file the listing holds
// is answered from it; anything else is still asked of the system, so that
// "not found" is always the system's own answer.
constexpr std::uint32_t kListAfterQuestions = 8;

// The plain full path (upper-cased) names a file that its folder's listing
// holds.
bool ListedAsFile(ScanContext& s, const std::string& key) {
  const std::size_t slash = key.rfind('\\');
  const std::string name = key.substr(slash + 1);
  if (slash < 3 || !ListableName(name)) return false;
  const std::string folder = key.substr(0, slash + 1);
  if (++s.files.questionsIn[folder] < kListAfterQuestions) return false;
  const auto& names = NamesIn(s, folder);
  if (!names) return false;
  const auto entry = names->find(name);
  return entry != names->end() && !entry->second;
}

// What the system answers at one path: asked once per scan.
ScanContext::FileAnswers::Answer Ask(ScanContext& s, const std::string& path) {
  ScanContext::FileAnswers& files = s.files;
  ScanContext::FileAnswers::Answer answer{kErrorPathNotFound, kInvalidFileAttributes};
  if (!files.remember) {
    answer.error = s.platform().GetFileAttributesAndError(path, answer.attributes);
    return answer;
  }
  const std::string key = UpperAscii(path);
  if (const auto known = files.paths.find(key); known != files.paths.end()) return known->second;
  const bool plain = PlainFullPath(path);
  const bool belowGone = plain && BelowGoneFolder(files, key);  // a gone folder is never listed
  if (plain && !belowGone && ListedAsFile(s, key)) {
    answer = {kErrorSuccess, kAttributeArchive};
  } else if (!belowGone) {
    answer.error = s.platform().GetFileAttributesAndError(path, answer.attributes);
    const auto slash = key.rfind('\\');
    if (plain && answer.error == kErrorPathNotFound && slash > 2) files.goneFolders.insert(key.substr(0, slash));
  }
  files.paths.emplace(key, answer);
  return answer;
}

// What the system says at one path: a file (or, unless `fileOnly`, a folder)
// is Present; Missing only on "not found"; Unknown on any other answer.
FileState ProbeOne(ScanContext& s, const std::string& path, bool fileOnly) {
  const ScanContext::FileAnswers::Answer answer = Ask(s, path);
  switch (ExistenceOf(answer.error, answer.attributes)) {
    case Existence::Present:
      return fileOnly && (answer.attributes & kAttributeDirectory) ? FileState::Missing : FileState::Present;
    case Existence::Gone: return FileState::Missing;
    case Existence::Unknown: break;
  }
  return FileState::Unknown;
}

// A file (not a folder) of that name in `folder`, which ends with a backslash.
FileState FileIn(ScanContext& s, const std::string& folder, const std::string& name) {
  if (s.files.remember && ListableName(name)) {
    if (const auto& names = NamesIn(s, folder)) {
      const auto entry = names->find(UpperAscii(name));
      return entry != names->end() && !entry->second ? FileState::Present : FileState::Missing;
    }
  }
  return ProbeOne(s, folder + name, true);
}

std::uint32_t DriveType(ScanContext& s, const std::string& root) {
  if (!s.files.remember) return s.platform().GetDriveType(root);
  const auto [known, inserted] = s.files.driveTypes.try_emplace(UpperAscii(root), 0);
  if (inserted) known->second = s.platform().GetDriveType(root);
  return known->second;
}

// The path in both faces of the system folder. A text that no file name can
// hold names no file: nothing is asked, and nothing answers to it.
FileState Probe(ScanContext& s, const std::string& path, bool fileOnly) {
  if (path.empty() || HoldsForbiddenCharacter(path)) return FileState::Missing;
  const FileState state = ProbeOne(s, path, fileOnly);
  if (state == FileState::Present) return state;
  const std::string other = OtherFace(s, path);
  return other.empty() ? state : EitherState(state, ProbeOne(s, other, fileOnly));
}

// Something answers to `path`: a file or folder, a program that an extension
// completes, or a file of its name in the Windows folders.
FileState AnswersTo(ScanContext& s, const std::string& path) {
  if (path.empty()) return FileState::Missing;
  FileState state = Probe(s, path, false);
  if (state == FileState::Present) return state;
  const std::string name = FileNamePart(path);
  state = EitherState(state, WindowsFoldersState(s, name));
  if (state == FileState::Present || name.empty() || name.find('.') != std::string::npos) return state;
  for (const char* extension : {".EXE", ".COM", ".BAT", ".CMD"}) {
    state = EitherState(state, EitherState(Probe(s, path + extension, true), WindowsFoldersState(s, name + extension)));
    if (state == FileState::Present) return state;
  }
  return state;
}

// The whole text, or a part of it that ends before a blank or a comma.
FileState AnyCutAnswers(ScanContext& s, const std::string& text) {
  FileState state = FileState::Missing;
  for (std::size_t i = 1; i < text.size() && state != FileState::Present; ++i)
    if ((text[i] == ' ' || text[i] == ',') && text[i - 1] != ' ') state = EitherState(state, AnswersTo(s, text.substr(0, i)));
  return state == FileState::Present ? state : EitherState(state, AnswersTo(s, text));
}

// The folders of one "Path" value (HKLM's session environment, or HKCU's).
// A folder that is not a full path on a fixed drive that is there (a relative
// folder, a network share, a removable drive, a variable left unexpanded)
// cannot be searched here: the search is then incomplete.
void AddPathFolders(ScanContext& s, RootKey root, const char* keyPath, ScanContext::SearchPath& path) {
  RegistryView& view = s.platform();
  RegHandle key = 0;
  const long opened = view.RegOpenKeyEx(root, RegistryPath(keyPath), RegAccess::Read, key);
  if (opened == kErrorFileNotFound) return;
  if (opened != kErrorSuccess) {
    path.complete = false;
    return;
  }
  std::uint32_t type = regtype::kNone;
  std::string data;
  const long read = view.RegQueryValueEx(key, "Path", type, data);
  view.RegCloseKey(key);
  if (read == kErrorFileNotFound) return;
  if (read != kErrorSuccess || (type != regtype::kString && type != regtype::kExpandString)) {
    path.complete = false;
    return;
  }
  const std::string text = TextOfStringData(data);
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto end = std::min(text.find(';', start), text.size());
    std::string folder = ReplaceAll(Trim(text.substr(start, end - start)), "\"", "");
    start = end + 1;
    if (folder.empty()) continue;
    const auto expanded = type == regtype::kExpandString ? ExpandEnvironmentVariables(s.platform(), folder)
                                                          : std::optional<std::string>(folder);
    const std::string searched = expanded ? WithTrailingBackslash(Trim(*expanded)) : std::string();
    // A name in the folder must be a judgeable path; the folder alone may be a root.
    if (!expanded || !JudgeableFullPath(s, searched + "X")) {
      path.complete = false;
      continue;
    }
    path.folders.push_back(searched);
  }
}

const ScanContext::SearchPath& SearchPathOf(ScanContext& s) {
  if (!s.searchPath) {
    ScanContext::SearchPath path;
    AddPathFolders(s, RootKey::LocalMachine, kMachineEnvironmentKey, path);
    AddPathFolders(s, RootKey::CurrentUser, kUserEnvironmentKey, path);
    s.searchPath = std::move(path);
  }
  return *s.searchPath;
}

}  // namespace

FileState EitherState(FileState a, FileState b) {
  if (a == FileState::Present || b == FileState::Present) return FileState::Present;
  if (a == FileState::Unknown || b == FileState::Unknown) return FileState::Unknown;
  return FileState::Missing;
}

bool JudgeableFullPath(ScanContext& s, const std::string& path) {
  if (path.size() < 4 || !IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\') return false;
  if (path.find('%') != std::string::npos || HoldsForbiddenCharacter(path)) return false;
  const std::string root = path.substr(0, 3);
  return DriveType(s, root) == kDriveFixed && Probe(s, root, false) == FileState::Present;
}

bool IsBareFileName(const std::string& path) {
  return path.find_first_of("\\/: \t%") == std::string::npos && path.find('.') != std::string::npos &&
         !HoldsForbiddenCharacter(path);
}

std::string FileNamePart(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

FileState WindowsFoldersState(ScanContext& s, const std::string& fileName) {
  if (fileName.empty() || HoldsForbiddenCharacter(fileName)) return FileState::Missing;
  const FolderSet& f = s.app.folders;
  const std::string& windows = f.WindowsFolder;
  FileState state = FileState::Missing;
  // System32 in both of its faces.
  for (const std::string& folder : {windows, windows + "System\\", windows + "System32\\", f.OtherSystemFolder}) {
    if (folder.empty()) continue;
    state = EitherState(state, FileIn(s, folder, fileName));
    if (state == FileState::Present) break;
  }
  return state;
}

FileState AppPathsState(ScanContext& s, const std::string& fileName) {
  if (fileName.empty() || fileName.find('\\') != std::string::npos) return FileState::Missing;
  const std::string key = kAppPathsKey + fileName;
  if (KeyExists(s.registry(), RootKey::LocalMachine, key)) return FileState::Present;
  return s.KeyAbsentFromEveryView(RootKey::LocalMachine, key) ? FileState::Missing : FileState::Unknown;
}

FileState SearchPathState(ScanContext& s, const std::string& fileName) {
  const ScanContext::SearchPath& path = SearchPathOf(s);
  FileState state = path.complete ? FileState::Missing : FileState::Unknown;
  for (const std::string& folder : path.folders) {
    state = EitherState(state, Probe(s, folder + fileName, true));
    if (state == FileState::Present) break;
  }
  return state;
}

FileState PathState(ScanContext& s, const std::string& path) {
  if (path.empty()) return FileState::Unknown;
  const FileState state = Probe(s, path, false);
  if (state != FileState::Missing) return state;
  return JudgeableFullPath(s, path) ? FileState::Missing : FileState::Unknown;
}

FileState CommandState(ScanContext& s, const std::string& text, const std::string& resolved, BareNames bareNames) {
  if (resolved.empty()) return FileState::Unknown;
  const std::string expanded = ExpandFolderPlaceholders(s.app.folders, Trim(text));
  FileState state = FileState::Missing;
  if (!expanded.empty() && expanded.front() == '"') {
    const auto close = expanded.find('"', 1);
    if (close != std::string::npos) state = AnswersTo(s, expanded.substr(1, close - 1));
  }
  if (state != FileState::Present) state = EitherState(state, AnyCutAnswers(s, resolved));
  if (state != FileState::Present) state = EitherState(state, AnyCutAnswers(s, ReplaceAll(expanded, "\"", "")));
  // Something answers, or some reading of the command could not be asked about.
  if (state != FileState::Missing) return state;
  if (JudgeableFullPath(s, resolved)) return FileState::Missing;
  if (bareNames == BareNames::NotJudged || !IsBareFileName(resolved)) return FileState::Unknown;
  if (bareNames == BareNames::InWindowsFoldersOrAppPaths) state = AppPathsState(s, resolved);
  return state != FileState::Missing ? state : SearchPathState(s, resolved);
}

bool KeyIsAbsent(RegistryView& view, RootKey root, const std::string& keyPath) {
  RegHandle key = 0;
  const long result = view.RegOpenKeyEx(root, RegistryPath(keyPath), RegAccess::Read, key);
  if (result == kErrorSuccess) view.RegCloseKey(key);
  return result == kErrorFileNotFound;
}

}  // namespace qrv
