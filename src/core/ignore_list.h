#pragma once
// The ignore list: entries the user chose to keep, which no scan reports
// again. An entry is a registry key written as the scans show it
// ("HKEY_LOCAL_MACHINE\SOFTWARE\..."), optionally with one value of it, or a
// full path with its drive letter (a file, a folder or a shortcut).
//
// Matching follows the registry's and the file system's rules:
//   - letter case is ignored;
//   - a key or a folder covers what lies below it, name by name: ignoring
//     C:\Data covers C:\Data\a.bak, never C:\Database;
//   - HKEY_LOCAL_MACHINE\SOFTWARE\Classes and HKEY_CURRENT_USER\SOFTWARE\Classes
//     are read as HKEY_CLASSES_ROOT, which shows both;
//   - an entry that cannot be read (no root or drive, a relative part such
//     as "..", a wildcard) matches nothing: it is kept and shown as such, and
//     never taken for a wider match.
//
// Stored under the settings key's subkey "Ignore", as pairs of string values
// "Entry<n>" and, for one value of a key, "Value<n>" (an empty text is the
// key's unnamed value).
#include <optional>
#include <string>
#include <vector>

#include "engine/platform.h"

namespace qrv {

struct IgnoreEntry {
  std::string entry;
  std::optional<std::string> value;  // a key's value; nothing for a whole key, file or folder
  bool operator==(const IgnoreEntry&) const = default;
};

// An entry read for matching.
struct IgnoreTarget {
  enum class Kind { Unreadable, Registry, Path };
  Kind kind = Kind::Unreadable;
  RootKey root = RootKey::LocalMachine;
  std::vector<std::string> parts;  // upper-cased names below the root or drive (the drive first)
  std::optional<std::string> value;
};
IgnoreTarget ReadIgnoreEntry(const IgnoreEntry& entry);

// The entry as the lists show it: "KEY" or "KEY -> VALUE" ("(Default)" for
// the unnamed value).
std::string IgnoreEntryText(const IgnoreEntry& entry);

class IgnoreList {
 public:
  IgnoreList() = default;
  explicit IgnoreList(const std::vector<IgnoreEntry>& entries);

  bool Empty() const { return targets_.empty(); }

  // A registry place a finding would delete or change: a whole key (with all
  // below it) or one value of it. True when that place and an ignored entry
  // overlap: the place lies within an ignored key, is an ignored value, or
  // would take an ignored key or value with it.
  bool CoversKey(RootKey root, const std::string& keyPath) const;
  bool CoversValue(RootKey root, const std::string& keyPath, const std::string& name) const;
  // A file, folder or shortcut path: true when it is an ignored path or lies
  // below an ignored folder.
  bool CoversPath(const std::string& path) const;

 private:
  std::vector<IgnoreTarget> targets_;
};

// The stored entries, in the order they were added.
std::vector<IgnoreEntry> LoadIgnoreEntries(RegistryView& view);
IgnoreList LoadIgnoreList(RegistryView& view);
// Adds an entry (nothing when an equal one, letter case ignored, is there);
// false when it could not be stored.
bool AddIgnoreEntry(RegistryView& view, const IgnoreEntry& entry);
// Removes every stored entry equal to this one, letter case ignored; false
// when none was there or a value could not be deleted.
bool RemoveIgnoreEntry(RegistryView& view, const IgnoreEntry& entry);

}  // namespace qrv
