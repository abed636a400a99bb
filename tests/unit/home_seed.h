#pragma once
// An in-memory Windows with something for each of the seven groups of the
// one-click scan to find, next to healthy look-alikes that must stay.
#include <string>

#include "core/startup.h"
#include "fake/fake_platform.h"
#include "registry_scan/startup_checks.h"

namespace qrv::testing {

inline constexpr RootKey kHkcu = RootKey::CurrentUser;
inline constexpr RootKey kHklm = RootKey::LocalMachine;
inline const std::string kAppPaths = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
inline const std::string kRunMru = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

// Group counts found: 1, 1, 2, 1, 1, 1, 1; one startup program.
inline void SeedHomeFindings(fake::FakePlatform& p, FolderSet& f) {
  f.InternetCacheFolder = "C:\\Users\\tester\\Cache\\";
  f.HistoryFolder = "C:\\Users\\tester\\History\\";
  f.CookiesFolder = "C:\\Users\\tester\\Cookies\\";
  f.TmpFolder = "C:\\Users\\tester\\Temp\\";
  f.TempFolder = f.TmpFolder;
  f.UserProfileFolder = "C:\\Users\\tester\\";
  // Group 1: a program path whose file is gone, next to a healthy one.
  p.registry.SetString(kHklm, kAppPaths + "gone.exe", "", "C:\\gone\\gone.exe");
  p.registry.SetString(kHklm, kAppPaths + "kept.exe", "", "C:\\Apps\\kept.exe");
  p.files.AddFile("C:\\Apps\\kept.exe");
  // Group 2: a history value; the count value beside it is no history.
  p.registry.SetString(kHkcu, kRunMru, "a", "notepad\\1");
  p.registry.SetDword(kHkcu, kRunMru, "Count", 1);
  // Group 3: a cache file and a temporary file; the cache's index stays for group 4.
  p.files.AddFile(f.InternetCacheFolder + "page.htm");
  p.files.AddFile(f.InternetCacheFolder + "index.dat");
  p.files.AddFile(f.TmpFolder + "scratch.txt");
  // Group 4: one site, listed once for its two pages; the history's index.
  p.urlHistory = {"http://example.com/a", "http://example.com/b"};
  p.files.AddFile(f.HistoryFolder + "index.dat");
  // Group 5: a cookie; the folder's other files are no cookies.
  p.files.AddFile(f.CookiesFolder + "tester@example.txt");
  p.files.AddFile(f.CookiesFolder + "keep.dat");
  // Group 6: a residual file; its neighbour is none.
  p.files.AddFile("C:\\Stuff\\report.bak");
  p.files.AddFile("C:\\Stuff\\report.doc");
  // Group 7: a shortcut to nothing, and one to a program that is there.
  p.files.AddFile(f.UserProfileFolder + "Desktop\\gone.lnk", fake::FakePlatform::ShortcutBytes("C:\\Nowhere\\app.exe"));
  p.files.AddFile(f.UserProfileFolder + "Desktop\\kept.lnk", fake::FakePlatform::ShortcutBytes("C:\\Apps\\kept.exe"));
  // Startup: one program, which is there.
  p.registry.SetString(kHkcu, kRunKey, "Kept", "C:\\Apps\\kept.exe");
}

}  // namespace qrv::testing
