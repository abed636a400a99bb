// A command of QRVCli (the scan unless one is given: "fix --json" for a
// repair) over the real Windows, counting the platform calls it makes and
// the time spent in each kind. A count is exact and does not depend on the
// machine's load, so it shows how the work grows where times cannot; the
// times show where a run's seconds went (the editor's import is
// CreateProcessAndWait, the wait before it Sleep).
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "engine/win32/win32_platform.h"

#include "engine/win32/windows_support.h"


namespace {

double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Adds the time from its making to its end to `total`.
class Timed {
 public:
  explicit Timed(double& total) : total_(total), start_(Seconds()) {}
  ~Timed() { total_ += Seconds() - start_; }
  Timed(const Timed&) = delete;
  Timed& operator=(const Timed&) = delete;

 private:
  double& total_;
  double start_;
};

class CountingView : public qrv::RegistryView {
 public:
  CountingView(std::map<std::string, unsigned long long>& counts, std::map<std::string, double>& times)
      : calls(counts), seconds(times) {}
  qrv::RegistryView* real = nullptr;
#define QRV_COUNT(result, name, params, args) \
  result name params override {               \
    ++calls[#name];                           \
    Timed timed(seconds[#name]);              \
    return real->name args;                   \
  }
  QRV_COUNT(long, RegOpenKeyEx, (qrv::RootKey r, const std::string& p, qrv::RegAccess a, qrv::RegHandle& k),
            (r, p, a, k))
  QRV_COUNT(long, RegCreateKeyEx, (qrv::RootKey r, const std::string& p, qrv::RegHandle& k), (r, p, k))
  QRV_COUNT(long, RegCloseKey, (qrv::RegHandle k), (k))
  QRV_COUNT(long, RegEnumKeyEx, (qrv::RegHandle k, std::uint32_t i, std::string& n), (k, i, n))
  QRV_COUNT(long, RegEnumValue,
            (qrv::RegHandle k, std::uint32_t i, std::string& n, std::uint32_t* t, std::string* d), (k, i, n, t, d))
  QRV_COUNT(long, RegQueryInfoKey, (qrv::RegHandle k, std::uint32_t& s, std::uint32_t& v), (k, s, v))
  QRV_COUNT(long, RegQueryValueEx, (qrv::RegHandle k, const std::string& n, std::uint32_t& t, std::string& d),
            (k, n, t, d))
  QRV_COUNT(long, RegSetValueEx, (qrv::RegHandle k, const std::string& n, std::uint32_t t, const std::string& d),
            (k, n, t, d))
  QRV_COUNT(long, RegDeleteValue, (qrv::RegHandle k, const std::string& n), (k, n))
  QRV_COUNT(long, RegQueryKeyRealPath, (qrv::RegHandle k, qrv::RootKey& r, std::string& p), (k, r, p))
#undef QRV_COUNT

 private:
  std::map<std::string, unsigned long long>& calls;
  std::map<std::string, double>& seconds;
};

class CountingPlatform : public qrv::Platform {
 public:
  std::map<std::string, unsigned long long> calls;
  std::map<std::string, double> seconds;

#define QRV_FORWARD(result, name, params, args) \
  result name params override {                 \
    ++calls[#name];                             \
    Timed timed(seconds[#name]);                \
    return real_.name args;                     \
  }
  QRV_FORWARD(long, RegOpenKeyEx, (qrv::RootKey r, const std::string& p, qrv::RegAccess a, qrv::RegHandle& k),
              (r, p, a, k))
  QRV_FORWARD(long, RegCreateKeyEx, (qrv::RootKey r, const std::string& p, qrv::RegHandle& k), (r, p, k))
  QRV_FORWARD(long, RegCloseKey, (qrv::RegHandle k), (k))
  QRV_FORWARD(long, RegEnumKeyEx, (qrv::RegHandle k, std::uint32_t i, std::string& n), (k, i, n))
  QRV_FORWARD(long, RegEnumValue,
              (qrv::RegHandle k, std::uint32_t i, std::string& n, std::uint32_t* t, std::string* d), (k, i, n, t, d))
  QRV_FORWARD(long, RegQueryInfoKey, (qrv::RegHandle k, std::uint32_t& s, std::uint32_t& v), (k, s, v))
  QRV_FORWARD(long, RegQueryValueEx, (qrv::RegHandle k, const std::string& n, std::uint32_t& t, std::string& d),
              (k, n, t, d))
  // A repair's scan ends with its date written to the settings key, before
  // the first file (the log) is written: the time after that is the repair's.
  long RegSetValueEx(qrv::RegHandle k, const std::string& n, std::uint32_t t, const std::string& d) override {
    ++calls["RegSetValueEx"];
    Timed timed(seconds["RegSetValueEx"]);
    const long result = real_.RegSetValueEx(k, n, t, d);
    if (calls["WriteFile"] == 0) scanEnd = Seconds();
    return result;
  }
  double scanEnd = 0;
  QRV_FORWARD(long, RegDeleteValue, (qrv::RegHandle k, const std::string& n), (k, n))
  QRV_FORWARD(long, RegQueryKeyRealPath, (qrv::RegHandle k, qrv::RootKey& r, std::string& p), (k, r, p))
  // The 32-bit view's requests count with the native view's, under the same names.
  qrv::RegistryView* ThirtyTwoBitView() override {
    qrv::RegistryView* view = real_.ThirtyTwoBitView();
    if (view == nullptr) return nullptr;
    view32_.real = view;
    return &view32_;
  }
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
  QRV_FORWARD(Deletion, MoveFileItself, (const std::string& p, const std::string& t), (p, t))
  QRV_FORWARD(long, MoveFileNoReplace, (const std::string& f, const std::string& t), (f, t))
  QRV_FORWARD(bool, RemoveDirectory, (const std::string& p), (p))
  QRV_FORWARD(long, GetFileAttributesAndError, (const std::string& p, std::uint32_t& a), (p, a))
  QRV_FORWARD(long, ListFolder, (const std::string& f, std::vector<qrv::FileEntry>& e), (f, e))
  QRV_FORWARD(long, OpenFileExclusively, (const std::string& p), (p))
#undef QRV_FORWARD

 private:
  qrv::Win32Platform real_;
  CountingView view32_{calls, seconds};
};

}  // namespace

int main(int argc, char** argv) {
  CountingPlatform platform;
  std::vector<std::string> command(argv + 1, argv + argc);
  if (command.empty()) command = {"scan", "--json"};
  const double start = Seconds();
  const qrv::cli::Outcome outcome = qrv::cli::RunArguments(platform, command);
  const double end = Seconds();
  // A repair that leaves findings ends with 1 and still counts.
  if (outcome.exitCode != 0 && outcome.out.empty()) {
    std::fprintf(stderr, "%s", outcome.err.c_str());
    return outcome.exitCode;
  }
  unsigned long long registry = 0, files = 0;
  for (const auto& [name, count] : platform.calls) {
    if (name.rfind("Reg", 0) == 0) registry += count;
    if (name == "GetFileAttributes" || name == "GetFileAttributesAndError" || name == "GetDriveType" ||
        name == "FindFiles" || name == "ListFolder")
      files += count;
  }
  double inCalls = 0;
  for (const auto& [name, spent] : platform.seconds) inCalls += spent;
  std::printf("registry calls %llu file probes %llu time %.3f s\n", registry, files, end - start);
  std::printf("own work (outside platform calls) %.3f s\n", end - start - inCalls);
  if (platform.calls["WriteFile"] > 0 && platform.scanEnd > 0)
    std::printf("repair after its scan %.3f s\n", end - platform.scanEnd);
  for (const auto& [name, count] : platform.calls)
    std::printf("  %s %llu %.3f s\n", name.c_str(), count, platform.seconds[name]);
  std::printf("%s", outcome.out.c_str());
  return outcome.exitCode;
}
