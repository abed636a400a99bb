// Every script of the corpus imported by Wine's regedit.exe and by our own
// reader (through the in-memory registry editor) gives the same registry.
#include <gtest/gtest.h>

#include "wine/wine_env.h"

#include <algorithm>
#include <cstdio>

#include "engine/text.h"
#include "engine/fix_script.h"
#include "fake/dump.h"
#include "fake/fake_platform.h"

namespace qrv::wine {
namespace {

constexpr const char* kCorpusKey = "\\Software\\QuorvaneCorpus";

// The first lines that differ, shortened: long names and data make whole dumps unreadable.
std::string FirstDifference(const std::string& ours, const std::string& real) {
  const auto a = SplitLines(ours), b = SplitLines(real);
  const auto clip = [](const std::string& s) { return s.size() > 160 ? s.substr(0, 160) + "..." : s; };
  for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const std::string x = i < a.size() ? a[i] : "(nothing)", y = i < b.size() ? b[i] : "(nothing)";
    if (x != y) return "line " + std::to_string(i + 1) + "\n  ours:    " + clip(x) + "\n  regedit: " + clip(y);
  }
  return {};
}

TEST(CorpusWineTest, OurReaderImportsWhatRegeditImports) {
  Win32Platform p;
  const FolderSet folders = TestFolders(p);
  const auto dir = p.GetEnvironmentVariable("QRV_CORPUS");
  ASSERT_TRUE(dir.has_value()) << "QRV_CORPUS names the corpus folder";
  std::vector<std::string> scripts;
  for (const FileEntry& e : p.FindFiles(*dir))
    if (EndsWithNoCase(e.name, ".reg")) scripts.push_back(e.name);
  std::sort(scripts.begin(), scripts.end());
  ASSERT_GE(scripts.size(), 40u);

  // Wine's 64-bit editor reads two of the hostile scripts otherwise than its
  // 32-bit one (it drops the values after a "\0" escape and after a broken
  // continuation); the program never writes either, and the reader follows
  // the 32-bit editor. In a 64-bit prefix those two are left out.
  const bool nativeEditor64 = p.Is64BitWindows() && !p.IsWow64();
  for (const std::string& name : scripts) {
    SCOPED_TRACE(name);
    if (nativeEditor64 && (name == "19-nul-escape.reg" || name == "37-continuation-errors.reg")) {
      std::printf("corpus: %s left out (the 64-bit editor reads it otherwise)\n", name.c_str());
      continue;
    }
    const std::string path = *dir + "\\" + name;
    std::string bytes;
    ASSERT_TRUE(p.ReadFile(path, bytes));

    DeleteTree(HKEY_CURRENT_USER, L"Software\\QuorvaneCorpus");
    ASSERT_TRUE(RunRegistryEditor(p, folders, " /s \"" + path + "\""));
    const std::string real = fake::DumpTree(p, RootKey::CurrentUser, kCorpusKey);

    fake::FakePlatform f;
    f.files.AddFile("C:\\corpus\\script.reg", bytes);
    f.CreateProcessAndWait("C:\\windows\\regedit.exe", " /s \"C:\\corpus\\script.reg\"");
    const std::string ours = fake::DumpTree(f, RootKey::CurrentUser, kCorpusKey);
    EXPECT_TRUE(ours == real) << FirstDifference(ours, real);
  }
  DeleteTree(HKEY_CURRENT_USER, L"Software\\QuorvaneCorpus");
}

}  // namespace
}  // namespace qrv::wine
