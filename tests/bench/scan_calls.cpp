// The scan of QRVCli over the real Windows, counting the platform calls it
// makes. A count is exact and does not depend on the machine's load, so it
// shows how the scan's work grows with the registry where times cannot.
#include <cstdio>
#include <map>
#include <string>

#include "cli/cli_session.h"
#include "engine/win32/win32_platform.h"

#include "engine/win32/windows_support.h"


namespace {

class CountingPlatform : public qrv::Platform {
 public:
  std::map<std::string, unsigned long long> calls;

#define QRV_FORWARD(result, name, params, args) \
  result name params override {                 \
    ++calls[#name];                             \
    return real_.name args;                     \
  }
  QRV_FORWARD(long, RegOpenKeyEx, (qrv::RootKey r, const std::string& p, qrv::RegAccess a, qrv::RegHandle& k),
              (r, p, a, k))
  QRV_FORWARD(long, RegCreateKeyEx, (qrv::RootKey r, const std::string& p, qrv::RegHandle& k), (r, p, k))
  QRV_FORWARD(long, RegCloseKey, (qrv::RegHandle k), (k))
  QRV_FORWARD(long, RegEnumKeyEx, (qrv::RegHandle k, std::uint32_t i, std::string& n), (k, i, n))
  QRV_FORWARD(long, RegEnumValue, (qrv::RegHandle k, std::uint32_t i, std::string& n), (k, i, n))
  QRV_FORWARD(long, RegQueryInfoKey, (qrv::RegHandle k, std::uint32_t& s, std::uint32_t& v), (k, s, v))
  QRV_FORWARD(long, RegQueryValueEx, (qrv::RegHandle k, const std::string& n, std::uint32_t& t, std::string& d),
              (k, n, t, d))
  QRV_FORWARD(long, RegSetValueEx,
              (qrv::RegHandle k, const std::string& n, std::uint32_t t, const std::string& d), (k, n, t, d))
  QRV_FORWARD(long, RegDeleteValue, (qrv::RegHandle k, const std::string& n), (k, n))
  QRV_FORWARD(std::vector<qrv::FileEntry>, FindFiles, (const std::string& f), (f))
  QRV_FORWARD(std::uint32_t, GetFileAttributes, (const std::string& p), (p))
  QRV_FORWARD(bool, SetFileAttributes, (const std::string& p, std::uint32_t a), (p, a))
  QRV_FORWARD(bool, CreateDirectory, (const std::string& p), (p))
  QRV_FORWARD(long, DeleteFile, (const std::string& p), (p))
  QRV_FORWARD(bool, IsWow64, (), ())
  QRV_FORWARD(bool, Is64BitWindows, (), ())
  QRV_FORWARD(bool, MoveFileExDelayUntilReboot, (const std::string& p), (p))
  QRV_FORWARD(std::uint32_t, GetDriveType, (const std::string& p), (p))
  QRV_FORWARD(bool, ReadFile, (const std::string& p, std::string& b), (p, b))
  QRV_FORWARD(bool, WriteFile, (const std::string& p, const std::string& b), (p, b))
  QRV_FORWARD(double, Now, (), ())
  QRV_FORWARD(void, Sleep, (std::uint32_t m), (m))
  QRV_FORWARD(std::string, ShortDate, (double d), (d))
  QRV_FORWARD(bool, WaitForRegistryChange, (qrv::RootKey r, const std::string& p, std::uint32_t m), (r, p, m))
  QRV_FORWARD(bool, CreateProcessAndWait, (const std::string& p, const std::string& c), (p, c))
  QRV_FORWARD(bool, ShellExecute, (const std::string& v, const std::string& f, const std::string& p, int s),
              (v, f, p, s))
  QRV_FORWARD(std::string, GetWindowsDirectory, (), ())
  QRV_FORWARD(std::string, SHGetFolderPath, (int c), (c))
  QRV_FORWARD(std::string, GetUserName, (), ())
  QRV_FORWARD(std::optional<std::string>, GetEnvironmentVariable, (const std::string& n), (n))
  QRV_FORWARD(std::uint32_t, GetVersionMajor, (), ())
  QRV_FORWARD(std::string, GetModuleFileName, (), ())
  QRV_FORWARD(bool, OpenMutex, (const std::string& n), (n))
  QRV_FORWARD(bool, CreateMutex, (const std::string& n), (n))
  QRV_FORWARD(void, MessageBox, (const std::string& t, const std::string& c, std::uint32_t f), (t, c, f))
  QRV_FORWARD(std::string, ToAnsi, (const std::string& t, bool* l), (t, l))
  QRV_FORWARD(std::optional<std::string>, ReadShortcutTarget, (const std::string& p), (p))
  QRV_FORWARD(std::optional<std::string>, BrowseForFolder, (const std::string& t, const std::string& f), (t, f))
  QRV_FORWARD(std::vector<std::string>, UrlHistory, (const std::string& p), (p))
  QRV_FORWARD(std::string, FromAnsi, (const std::string& b), (b))
  QRV_FORWARD(std::optional<qrv::StartupLinkInfo>, LoadStartupLink, (const std::string& f), (f))
  // Saving a file whole (Log/Undo)
  QRV_FORWARD(bool, MoveFileExReplaceExisting, (const std::string& f, const std::string& t), (f, t))
  QRV_FORWARD(bool, GetSaveFileName, (const std::string& f, const std::string& i, std::string& n), (f, i, n))
  // Deleting a listed file
  QRV_FORWARD(Deletion, DeleteFileItself, (const std::string& p, bool a), (p, a))
  QRV_FORWARD(long, GetFileAttributesAndError, (const std::string& p, std::uint32_t& a), (p, a))
#undef QRV_FORWARD

 private:
  qrv::Win32Platform real_;
};

}  // namespace

int main() {
  CountingPlatform platform;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const qrv::cli::Outcome outcome = qrv::cli::RunArguments(platform, {"scan", "--json"});
  QueryPerformanceCounter(&end);
  if (outcome.exitCode != 0) {
    std::fprintf(stderr, "%s", outcome.err.c_str());
    return outcome.exitCode;
  }
  unsigned long long registry = 0, files = 0;
  for (const auto& [name, count] : platform.calls) {
    if (name.rfind("Reg", 0) == 0) registry += count;
    if (name == "GetFileAttributes" || name == "GetFileAttributesAndError" || name == "GetDriveType" ||
        name == "FindFiles")
      files += count;
  }
  std::printf("registry calls %llu file probes %llu scan %.3f s\n", registry, files,
              static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
  for (const auto& [name, count] : platform.calls) std::printf("  %s %llu\n", name.c_str(), count);
  return 0;
}
