// The file probe remembers what the file system answered within one scan:
// the answers must be exactly those of asking every time, and must cost a
// bounded number of requests per entry however many entries name gone files.
#include "engine/paths.h"
#include "registry_scan/com_checks.h"
#include "registry_scan/file_probe.h"
#include "unit/check_fixture.h"

namespace qrv {
namespace {

class ProbeAnswersTest : public testing::CheckTest {
 protected:
  void SetUp() override {
    testing::CheckTest::SetUp();
    p.wow64 = true;  // System32 has its other face
    app.folders = testing::EngineFolders(p);
    app.folders.OtherSystemFolder = "C:\\windows\\Sysnative\\";
    p.files.AddFolder("C:\\windows\\Sysnative");
    p.files.AddFolder("C:\\windows\\System");
  }
  FileState Command(ScanContext& c, const std::string& text, BareNames bare) {
    return CommandState(c, text, ResolveCommandLine(app.folders, text), bare);
  }
};

TEST_F(ProbeAnswersTest, RememberedAnswersAreTheAnswersOfAskingEveryTime) {
  p.files.AddFile("C:\\Program Files\\App\\app.exe");
  p.files.AddFile("C:\\Gone2\\b.exe");  // a name the gone "C:\Gone" is a prefix of
  p.files.AddFile("C:\\windows\\System32\\only32.dll");
  p.files.AddFile("C:\\windows\\Sysnative\\native.dll");
  p.files.AddFile("C:\\windows\\both.dll");
  p.files.AddFile("C:\\windows\\System32\\both.dll");
  p.files.AddFolder("C:\\windows\\System32\\folder.dll");  // a folder is not a server
  p.files.AddFile("C:\\PROGRA~1\\Tool\\tool.exe");
  p.files.AddFile("C:\\Locked\\x.dll");
  p.files.DenyAccess("C:\\Locked");
  p.files.AddFile("C:\\windows\\System\\listed.dll");
  p.files.BreakListing("C:\\windows\\System\\");  // half of it listed, then an error
  p.files.AddFile("C:\\windows\\System\\zzlast.dll");

  constexpr auto W = BareNames::InWindowsFolders;
  const struct {
    const char* text;
    FileState expected;
  } cases[] = {
      {"C:\\Program Files\\App\\app.exe", FileState::Present},
      {"C:\\Gone\\x.dll", FileState::Missing},
      {"C:\\Gone\\y.dll", FileState::Missing},  // below a folder known gone
      {"C:\\Gone\\Deeper\\z.dll", FileState::Missing},
      {"C:\\Gone\\..\\Program Files\\App\\app.exe", FileState::Present},  // leaves the gone folder
      {"C:\\Gone2\\b.exe", FileState::Present},
      {"C:\\gone\\.\\x.dll", FileState::Missing},
      {"only32.dll", FileState::Present},
      {"ONLY32.DLL", FileState::Present},
      {"C:\\Old\\only32.dll,1", FileState::Present},  // its name in the Windows folders
      {"native.dll", FileState::Present},             // the other face of System32
      {"both.dll", FileState::Present},
      {"folder.dll", FileState::Missing},
      {"gone.dll", FileState::Missing},
      {"%SystemRoot%\\System32\\only32.dll", FileState::Present},
      {"%SystemRoot%\\System32\\gone.dll", FileState::Missing},
      {"C:\\PROGRA~1\\Tool\\tool.exe", FileState::Present},
      {"C:\\PROGRA~1\\Tool\\gone.exe", FileState::Missing},
      {"\"C:\\Program Files\\App\\app.exe\" /tray", FileState::Present},
      {"\"C:\\Gone\\w.exe\" -x", FileState::Missing},
      {"C:\\Locked\\x.dll", FileState::Unknown},
      {"C:\\Locked\\y.dll", FileState::Unknown},
      {"zzlast.dll", FileState::Present},  // beyond where the listing broke off
      {"listed.dll", FileState::Present},
      {"C:\\Gone3\\a.dll", FileState::Missing},
  };
  ScanContext asking(app, host);
  asking.files.remember = false;
  ScanContext remembering(app, host);
  for (int round = 0; round < 2; ++round)
    for (const auto& c : cases) {
      EXPECT_EQ(Command(asking, c.text, W), c.expected) << c.text;
      EXPECT_EQ(Command(remembering, c.text, W), c.expected) << c.text << " (round " << round << ")";
    }
  // A late file in a gone folder's place, then the same question: a new scan sees it.
  p.files.AddFile("C:\\Gone3\\a.dll");
  p.files.AddFile("C:\\windows\\System32\\late.dll");
  ScanContext next(app, host);
  EXPECT_EQ(Command(next, "C:\\Gone3\\a.dll", W), FileState::Present);
  EXPECT_EQ(Command(next, "late.dll", W), FileState::Present);
}

// A name the listing cannot answer for as the system would is asked by path.
TEST_F(ProbeAnswersTest, NamesAListingCannotJudgeAreAskedByPath) {
  p.files.AddFile("C:\\windows\\System32\\Über.dll");
  for (const char* name : {"ÜBER.DLL", "Über.dll"}) {
    ScanContext c(app, host);
    EXPECT_EQ(WindowsFoldersState(c, name), WindowsFoldersState(s, name)) << name;
  }
  ScanContext c(app, host);
  const std::size_t before = p.fileRequests;
  EXPECT_EQ(WindowsFoldersState(c, "a~1.dll"), FileState::Missing);
  EXPECT_GE(p.fileRequests - before, 4u) << "a short name is asked in every folder";
}

// A folder asked about often is listed once, and only the files the listing
// holds are answered from it: every other answer is still the system's.
TEST_F(ProbeAnswersTest, AFolderAskedOftenAnswersOnlyForItsFiles) {
  for (int i = 0; i < 30; ++i) p.files.AddFile("C:\\Lib\\lib" + std::to_string(i) + ".dll");
  p.files.AddFolder("C:\\Lib\\sub.dll");  // a folder is not a server
  p.files.AddFile("C:\\Odd\\\xC3\x9C" "ber.dll");  // a name whose case the listing cannot judge
  for (int i = 0; i < 12; ++i) p.files.AddFile("C:\\Odd\\odd" + std::to_string(i) + ".dll");
  p.files.AddFile("C:\\Locked\\x.dll");
  p.files.DenyAccess("C:\\Locked");

  std::vector<std::string> paths;
  for (int i = 0; i < 40; ++i) paths.push_back("C:\\LIB\\LIB" + std::to_string(i) + ".DLL");  // ten are gone
  paths.push_back("C:\\Lib\\sub.dll");
  for (int i = 0; i < 14; ++i) paths.push_back("C:\\Odd\\odd" + std::to_string(i) + ".dll");
  for (int i = 0; i < 10; ++i) paths.push_back("C:\\Locked\\" + std::to_string(i) + ".dll");
  {
    ScanContext c(app, host);
    const std::size_t before = p.fileRequests;
    for (int i = 0; i < 30; ++i)
      EXPECT_EQ(PathState(c, "C:\\LIB\\LIB" + std::to_string(i) + ".DLL"), FileState::Present);
    EXPECT_LE(p.fileRequests - before, 8u + 1u) << "asked by path until the folder is listed, then none";
  }
  ScanContext asking(app, host);
  asking.files.remember = false;
  ScanContext remembering(app, host);
  for (const std::string& path : paths)
    EXPECT_EQ(Command(remembering, path, BareNames::NotJudged), Command(asking, path, BareNames::NotJudged)) << path;
  EXPECT_EQ(Command(remembering, "C:\\LIB\\LIB3.DLL", BareNames::NotJudged), FileState::Present);
  EXPECT_EQ(Command(remembering, "C:\\Lib\\lib35.dll", BareNames::NotJudged), FileState::Missing);
  EXPECT_EQ(Command(remembering, "C:\\Locked\\x.dll", BareNames::NotJudged), FileState::Unknown);

  // A file made after the listing, in the same scan, is asked about; one
  // removed is seen gone by the next scan.
  p.files.AddFile("C:\\Lib\\late.dll");
  EXPECT_EQ(Command(remembering, "C:\\Lib\\late.dll", BareNames::NotJudged), FileState::Present);
  EXPECT_EQ(p.files.DeleteFile("C:\\Lib\\lib29.dll"), kErrorSuccess);
  const std::size_t asked = p.fileRequests;
  ScanContext fresh(app, host);
  EXPECT_EQ(Command(fresh, "C:\\Lib\\lib29.dll", BareNames::NotJudged), FileState::Missing) << "a new scan asks";
  EXPECT_GT(p.fileRequests, asked);
}

// Findings add a bounded number of requests each, whatever their number.
TEST_F(ProbeAnswersTest, DeadClassesCostAFewRequestsEach) {
  const auto requestsFor = [](int classes) {
    testing::ScanFixture f;
    f.StartScan();
    f.p.files.AddFolder("C:\\windows\\System32");
    f.p.files.AddFolder("C:\\Vendor");
    for (int i = 0; i < classes; ++i) {
      const std::string key = "\\CLSID\\{BE5C0000-0000-4000-8000-" + std::to_string(100000000000 + i) + "}";
      // Half in a folder that is gone, half gone from a folder that is there.
      const std::string server = i % 2 ? "C:\\QrvGone\\server" + std::to_string(i) + ".dll"
                                       : "C:\\Vendor\\server" + std::to_string(i) + ".dll";
      f.p.registry.SetString(RootKey::ClassesRoot, key + "\\InprocServer32", "", server);
    }
    const std::size_t before = f.p.fileRequests;
    CheckCOM(f.s);
    EXPECT_EQ(f.app.Slot(4).size(), static_cast<std::size_t>(classes));
    return f.p.fileRequests - before;
  };
  const std::size_t few = requestsFor(100), many = requestsFor(500);
  EXPECT_LE(many - few, 3u * 400) << few << " requests for 100 classes, " << many << " for 500";
}

}  // namespace
}  // namespace qrv
