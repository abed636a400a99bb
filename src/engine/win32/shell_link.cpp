#include "engine/win32/shell_link.h"

namespace qrv::win32 {

namespace {

constexpr int kArgumentsLength = 1024;

}  // namespace

ShellLink::ShellLink()
    : link_(CreateComObject<IShellLinkW>(CLSID_ShellLink, IID_IShellLinkW)),
      file_(link_.Query<IPersistFile>(IID_IPersistFile)) {}

bool ShellLink::Load(const std::string& linkFile) {
  return Usable() && SUCCEEDED(file_->Load(Wide(linkFile).c_str(), STGM_READ));
}

std::string ShellLink::RawTarget() const {
  if (!Usable()) return {};
  // One place more than the object may fill, so the text always ends.
  wchar_t target[MAX_PATH + 1] = {};
  // S_FALSE with an empty text: the link names an item list only.
  if (FAILED(link_->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return {};
  return Narrow(target);
}

std::string ShellLink::Arguments() const {
  if (!Usable()) return {};
  wchar_t arguments[kArgumentsLength] = {};
  if (FAILED(link_->GetArguments(arguments, kArgumentsLength - 1))) return {};
  return Narrow(arguments);
}

std::string ShellLink::WorkingFolder() const {
  if (!Usable()) return {};
  wchar_t folder[MAX_PATH + 1] = {};
  if (FAILED(link_->GetWorkingDirectory(folder, MAX_PATH))) return {};
  return Narrow(folder);
}

bool ShellLink::SetTarget(const std::string& target) {
  return Usable() && SUCCEEDED(link_->SetPath(Wide(target).c_str()));
}

bool ShellLink::SetArguments(const std::string& arguments) {
  return Usable() && SUCCEEDED(link_->SetArguments(Wide(arguments).c_str()));
}

bool ShellLink::SetWorkingFolder(const std::string& folder) {
  return Usable() && SUCCEEDED(link_->SetWorkingDirectory(Wide(folder).c_str()));
}

bool ShellLink::Save(const std::string& linkFile) {
  return Usable() && SUCCEEDED(file_->Save(Wide(linkFile).c_str(), TRUE));
}

}  // namespace qrv::win32
