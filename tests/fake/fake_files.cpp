#include <vector>

#include "engine/text.h"
#include "fake/fake_platform.h"

namespace qrv::fake {

FakeFileSystem::FakeFileSystem() { drives_['C'] = kDriveFixed; }

std::string FakeFileSystem::Key(const std::string& path) {
  std::string k = UpperCaseText(ReplaceAll(path, "/", "\\"));
  // "." and ".." steps, resolved by the text as Windows makes a full path.
  if (k.size() > 3 && k[1] == ':' && k[2] == '\\' &&
      (k.find("\\.\\") != std::string::npos || k.find("\\..") != std::string::npos || k.ends_with("\\."))) {
    std::vector<std::string> steps;
    std::size_t start = 3;
    while (start <= k.size()) {
      const std::size_t end = std::min(k.find('\\', start), k.size());
      const std::string step = k.substr(start, end - start);
      if (step == "..") {
        if (!steps.empty()) steps.pop_back();
      } else if (step != "." && !step.empty()) {
        steps.push_back(step);
      }
      start = end + 1;
    }
    std::string joined = k.substr(0, 3);
    for (std::size_t i = 0; i < steps.size(); ++i) joined += (i ? "\\" : "") + steps[i];
    k = joined;
  }
  while (k.size() > 3 && k.back() == '\\') k.pop_back();
  if (k.size() == 2 && k[1] == ':') k += '\\';
  return k;
}

std::string FakeFileSystem::Parent(const std::string& key) {
  const auto slash = key.rfind('\\');
  if (slash == std::string::npos || key.size() <= 3) return {};
  return slash == 2 ? key.substr(0, 3) : key.substr(0, slash);
}

std::string FakeFileSystem::Resolve(const std::string& key, bool last) const {
  std::string k = key;
  for (int round = 0; round < 32; ++round) {
    bool followed = false;
    for (const auto& [link, target] : links_) {
      if ((last && k == link) || (k.size() > link.size() && k.compare(0, link.size(), link) == 0 && k[link.size()] == '\\')) {
        k = target + k.substr(link.size());
        followed = true;
        break;
      }
    }
    const auto fileLink = fileLinks_.find(k);
    if (!followed && fileLink != fileLinks_.end()) {
      k = fileLink->second;
      followed = true;
    }
    if (!followed) return k;
  }
  return {};
}

void FakeFileSystem::AddLink(const std::string& path, const std::string& target) {
  AddFolder(path);
  entries_[Key(path)].attributes = kAttributeDirectory | kAttributeReparsePoint;
  links_[Key(path)] = Key(target);
}

void FakeFileSystem::AddFolder(const std::string& path) {
  std::string key = Key(path);
  if (key.size() <= 3) return;
  AddFolder(Parent(key).empty() ? std::string() : ReplaceAll(path, "/", "\\").substr(0, Parent(key).size()));
  if (!entries_.count(key)) entries_[key] = Entry{path, true, kAttributeDirectory, {}, 0, false, false};
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& bytes, std::uint32_t attributes,
                             double lastWrite) {
  const std::string key = Key(path);
  AddFolder(ReplaceAll(path, "/", "\\").substr(0, Parent(key).size()));
  entries_[key] = Entry{path, false, attributes, bytes, lastWrite, false, false};
}

void FakeFileSystem::RefuseDeletion(const std::string& path) { entries_.at(Key(path)).refuseDeletion = true; }
void FakeFileSystem::MarkInUse(const std::string& path) { entries_.at(Key(path)).inUse = true; }
void FakeFileSystem::MarkFolderNotWritable(const std::string& path) { entries_.at(Key(path)).notWritable = true; }
void FakeFileSystem::SetDriveType(char drive, std::uint32_t type) { drives_[static_cast<char>(drive & ~0x20)] = type; }

bool FakeFileSystem::Exists(const std::string& path) const {
  const std::string key = Resolve(Key(path), false);
  if (key.size() == 3 && key[1] == ':') return drives_.count(key[0]) > 0;
  return entries_.count(key) > 0;
}

std::optional<std::string> FakeFileSystem::Contents(const std::string& path) const {
  const auto it = entries_.find(Resolve(Key(path), false));
  if (it == entries_.end() || it->second.folder) return std::nullopt;
  return it->second.bytes;
}

std::vector<std::string> FakeFileSystem::FilesIn(const std::string& folder) const {
  std::vector<std::string> names;
  const std::string key = Key(folder);
  for (const auto& [k, e] : entries_)
    if (Parent(k) == key && !e.folder) names.push_back(e.path.substr(e.path.find_last_of("\\/") + 1));
  return names;
}

std::vector<FileEntry> FakeFileSystem::FindFiles(const std::string& folder) {
  std::vector<FileEntry> list;
  const std::string key = Resolve(Key(folder), true);
  if (!Exists(key) || (key.size() > 3 && !entries_.at(key).folder) || denied_.count(key) || BelowDeniedFolder(key))
    return list;
  if (key.size() > 3) {
    list.push_back({".", kAttributeDirectory, 0, 0});
    list.push_back({"..", kAttributeDirectory, 0, 0});
  }
  for (const auto& [k, e] : entries_)
    if (Parent(k) == key)
      list.push_back({e.path.substr(e.path.find_last_of("\\/") + 1), e.attributes, e.bytes.size(), e.lastWrite});
  return list;
}

std::uint32_t FakeFileSystem::GetFileAttributes(const std::string& path) {
  std::uint32_t attributes = kInvalidFileAttributes;
  GetFileAttributesAndError(path, attributes);
  return attributes;
}

bool FakeFileSystem::SetFileAttributes(const std::string& path, std::uint32_t attributes) {
  const auto it = entries_.find(Resolve(Key(path), false));
  if (it == entries_.end()) return false;
  it->second.attributes = attributes | (it->second.folder ? kAttributeDirectory : 0);
  return true;
}

bool FakeFileSystem::CreateDirectory(const std::string& path) {
  const std::string key = Key(path);
  if (key.size() <= 3 || Exists(path) || !Exists(Parent(key))) return false;
  const auto parent = entries_.find(Parent(key));
  if (parent != entries_.end() && (!parent->second.folder || parent->second.notWritable)) return false;
  entries_[key] = Entry{path, true, kAttributeDirectory, {}, 0, false, false};
  return true;
}

long FakeFileSystem::DeleteFile(const std::string& path) {
  const auto it = entries_.find(Resolve(Key(path), false));
  if (it == entries_.end()) return kErrorFileNotFound;
  if (it->second.inUse) return kErrorSharingViolation;
  if (it->second.folder || it->second.refuseDeletion || (it->second.attributes & kAttributeReadOnly))
    return kErrorAccessDenied;
  entries_.erase(it);
  return kErrorSuccess;
}

bool FakeFileSystem::MoveFileExDelayUntilReboot(const std::string& path) {
  if (!Exists(path)) return false;
  deleteAtRestart_.push_back(path);
  return true;
}

std::uint32_t FakeFileSystem::GetDriveType(const std::string& rootPath) {
  if (rootPath.empty()) return 0;
  const auto it = drives_.find(static_cast<char>(rootPath[0] & ~0x20));
  return it == drives_.end() ? 1 /* DRIVE_NO_ROOT_DIR */ : it->second;
}

bool FakeFileSystem::ReadFile(const std::string& path, std::string& bytes) {
  const auto it = entries_.find(Resolve(Key(path), false));
  if (it == entries_.end() || it->second.folder) return false;
  bytes = it->second.bytes;
  return true;
}

bool FakeFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  const std::string key = Key(path);
  const auto parent = entries_.find(Parent(key));
  const bool parentIsRoot = Parent(key).size() == 3 && Exists(Parent(key));
  if (!parentIsRoot && (parent == entries_.end() || !parent->second.folder || parent->second.notWritable)) return false;
  auto it = entries_.find(key);
  if (it != entries_.end() && (it->second.folder || (it->second.attributes & kAttributeReadOnly))) return false;
  if (it == entries_.end()) it = entries_.emplace(key, Entry{path, false, kAttributeArchive, {}, 0, false, false}).first;
  if (diskSpace_ && bytes.size() > *diskSpace_) {
    it->second.bytes = bytes.substr(0, *diskSpace_);  // what fitted stays behind
    return false;
  }
  it->second.bytes = bytes;
  return true;
}

bool FakeFileSystem::MoveFileExReplaceExisting(const std::string& from, const std::string& to) {
  const auto source = entries_.find(Key(from));
  if (source == entries_.end() || source->second.folder) return false;
  const std::string key = Key(to);
  const auto parent = entries_.find(Parent(key));
  if (parent == entries_.end() || !parent->second.folder || parent->second.notWritable) return false;
  const auto target = entries_.find(key);
  if (target != entries_.end() &&
      (target->second.folder || target->second.inUse || (target->second.attributes & kAttributeReadOnly)))
    return false;
  Entry moved = source->second;
  moved.path = to;
  entries_.erase(source);
  entries_[key] = std::move(moved);
  return true;
}

// ---- Links to files, as Wine has them, and deleting a listed file ----

void FakeFileSystem::AddFileLink(const std::string& path, const std::string& target) {
  const std::string key = Key(path);
  AddFolder(ReplaceAll(path, "/", "\\").substr(0, Parent(key).size()));
  entries_[key] = Entry{path, false, kAttributeArchive, {}, 0, false, false};
  fileLinks_[key] = Key(target);
}

FileSystem::Deletion FakeFileSystem::DeleteFileItself(const std::string& path, bool archiveOnly) {
  const std::string key = Key(path);
  const std::string reached = Resolve(key, false);
  const auto it = entries_.find(reached);
  if (it == entries_.end() || key.size() <= 3) return Deletion::NotFound;
  std::string own = Resolve(Parent(key), true);
  if (own.empty()) return Deletion::NotThatFile;  // a loop of links on the way
  own += (own.back() == '\\' ? "" : "\\") + key.substr(key.rfind('\\') + 1);
  Entry& entry = it->second;
  if (reached != own || entry.folder || (entry.attributes & kAttributeReparsePoint)) return Deletion::NotThatFile;
  if (entry.inUse) return Deletion::InUse;
  if (entry.refuseDeletion || (!archiveOnly && (entry.attributes & kAttributeReadOnly))) return Deletion::Refused;
  entries_.erase(it);
  return Deletion::Deleted;
}

// ---- Keeping a removed file ----

namespace {
bool SameDrive(const std::string& a, const std::string& b) { return !a.empty() && !b.empty() && a[0] == b[0]; }
}  // namespace

FileSystem::Deletion FakeFileSystem::MoveFileItself(const std::string& path, const std::string& to) {
  const std::string key = Key(path);
  const std::string reached = Resolve(key, false);
  const auto it = entries_.find(reached);
  if (it == entries_.end() || key.size() <= 3) return Deletion::NotFound;
  std::string own = Resolve(Parent(key), true);
  if (own.empty()) return Deletion::NotThatFile;
  own += (own.back() == '\\' ? "" : "\\") + key.substr(key.rfind('\\') + 1);
  if (reached != own || it->second.folder || (it->second.attributes & kAttributeReparsePoint))
    return Deletion::NotThatFile;
  if (it->second.inUse) return Deletion::InUse;
  if (it->second.refuseDeletion) return Deletion::Refused;
  const std::string target = Key(to);
  if (!SameDrive(reached, target) || Exists(to)) return Deletion::Refused;
  const auto parent = entries_.find(Parent(target));
  if (parent == entries_.end() || !parent->second.folder || parent->second.notWritable) return Deletion::Refused;
  Entry moved = it->second;
  moved.path = to;
  entries_.erase(it);
  entries_[target] = std::move(moved);
  return Deletion::Deleted;
}

long FakeFileSystem::MoveFileNoReplace(const std::string& from, const std::string& to) {
  const auto source = entries_.find(Resolve(Key(from), false));
  if (source == entries_.end()) return kErrorFileNotFound;
  const std::string target = Key(to);
  if (!SameDrive(source->first, target)) return kErrorNotSameDevice;
  if (Exists(to)) return kErrorAlreadyExists;
  const std::string parentKey = Parent(target);
  const auto parent = entries_.find(parentKey);
  const bool parentIsRoot = parentKey.size() == 3 && Exists(parentKey);
  if (!parentIsRoot && (parent == entries_.end() || !parent->second.folder)) return kErrorPathNotFound;
  if (parent != entries_.end() && parent->second.notWritable) return kErrorAccessDenied;
  if (source->second.inUse) return kErrorSharingViolation;
  Entry moved = source->second;
  moved.path = to;
  entries_.erase(source);
  entries_[target] = std::move(moved);
  return kErrorSuccess;
}

bool FakeFileSystem::RemoveDirectory(const std::string& path) {
  const std::string key = Key(path);
  const auto it = entries_.find(key);
  if (it == entries_.end() || !it->second.folder) return false;
  for (const auto& [k, e] : entries_)
    if (Parent(k) == key) return false;
  entries_.erase(it);
  return true;
}

// ---- Existence that a deletion relies on ----

void FakeFileSystem::DenyAccess(const std::string& folder) {
  AddFolder(folder);
  denied_.insert(Key(folder));
}

bool FakeFileSystem::BelowDeniedFolder(const std::string& key) const {
  for (std::string up = Parent(key); !up.empty(); up = Parent(up))
    if (denied_.count(up)) return true;
  return false;
}

long FakeFileSystem::OpenFileExclusively(const std::string& path) {
  std::uint32_t attributes = kInvalidFileAttributes;
  const long error = GetFileAttributesAndError(path, attributes);
  if (error != kErrorSuccess) return error;
  const auto it = entries_.find(Resolve(Key(path), false));
  if (it == entries_.end() || it->second.folder) return kErrorAccessDenied;
  return it->second.inUse ? kErrorSharingViolation : kErrorSuccess;
}

long FakeFileSystem::GetFileAttributesAndError(const std::string& path, std::uint32_t& attributes) {
  attributes = kInvalidFileAttributes;
  const std::string key = Resolve(Key(path), false);
  if (BelowDeniedFolder(key)) return kErrorAccessDenied;
  if (key.size() == 3 && key[1] == ':') {
    if (!drives_.count(key[0])) return kErrorPathNotFound;
    attributes = kAttributeDirectory;
    return kErrorSuccess;
  }
  const auto it = entries_.find(key);
  if (it != entries_.end()) {
    attributes = it->second.attributes;
    return kErrorSuccess;
  }
  // "Not found" names the file when its folder is there, the path otherwise.
  const std::string parent = Parent(key);
  const auto folder = entries_.find(parent);
  const bool folderThere = parent.size() == 3 ? drives_.count(parent[0]) > 0
                                              : folder != entries_.end() && folder->second.folder;
  return folderThere ? kErrorFileNotFound : kErrorPathNotFound;
}

void FakeFileSystem::BreakListing(const std::string& folder) { brokenListings_.insert(Key(folder)); }

long FakeFileSystem::ListFolder(const std::string& folder, std::vector<FileEntry>& entries) {
  entries = FindFiles(folder);
  const std::string key = Resolve(Key(folder), true);
  if (denied_.count(key) || BelowDeniedFolder(key)) return kErrorAccessDenied;
  if (!Exists(key)) return kErrorPathNotFound;
  if (brokenListings_.count(Key(folder))) {
    entries.resize(entries.size() / 2);
    return kErrorAccessDenied;
  }
  return kErrorSuccess;
}

}  // namespace qrv::fake
