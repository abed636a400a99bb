#pragma once
// Shell links (.lnk files) through the system's shell-link object: the one
// place that reads and writes them. Texts are UTF-8, as in the logic. The
// caller keeps the component system set up (ComSession) while a link lives.
#include <string>

#include "engine/win32/windows_support.h"

namespace qrv::win32 {

class ShellLink {
 public:
  // A new, empty link.
  ShellLink();
  // Whether the system made the object: every call below fails without it.
  bool Usable() const { return link_.Valid() && file_.Valid(); }

  // Reads a link file, read-only; false when it cannot be read.
  bool Load(const std::string& linkFile);
  // The target as stored, its variables unexpanded; empty when the link
  // names an item list only (no path) or the target cannot be read.
  std::string RawTarget() const;
  // The arguments and the working folder; empty when there are none or they
  // cannot be read.
  std::string Arguments() const;
  std::string WorkingFolder() const;

  // Fields of a link to be saved; false when the object refuses them.
  bool SetTarget(const std::string& target);
  bool SetArguments(const std::string& arguments);
  bool SetWorkingFolder(const std::string& folder);
  // Writes the link to a file; false when it was not saved.
  bool Save(const std::string& linkFile);

 private:
  ComPtr<IShellLinkW> link_;
  ComPtr<IPersistFile> file_;
};

}  // namespace qrv::win32
