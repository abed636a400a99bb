// The caches of today's browsers on the in-memory Windows: exactly the cache
// files of each profile are listed and cleaned, everything else of a profile
// stays, links and running browsers are left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "cleaning/browser_caches.h"
#include "cleaning/privacy_page.h"
#include "cleaning/privacy_scan.h"
#include "cli/cli_session.h"
#include "core/ignore_list.h"
#include "home/home_scan.h"
#include "unit/scan_fixture.h"
#include "unit/window_fixture.h"

namespace qrv {
namespace {

using Paths = std::set<std::string>;

Paths operator+(Paths a, const Paths& b) {
  a.insert(b.begin(), b.end());
  return a;
}

const std::string kLocal = "C:\\Users\\tester\\AppData\\Local\\";
const std::string kRoaming = "C:\\Users\\tester\\AppData\\Roaming\\";
const std::string kChrome = kLocal + "Google\\Chrome\\User Data\\";
const std::string kEdge = kLocal + "Microsoft\\Edge\\User Data\\";
const std::string kFirefox = kLocal + "Mozilla\\Firefox\\Profiles\\";
const std::string kFirefoxRoaming = kRoaming + "Mozilla\\Firefox\\Profiles\\";

struct Seed {
  std::string path;
  bool cache;  // listed and cleaned; everything else must stay
};

// Two Chromium browsers with a default and a second profile each, and a
// Firefox with two profiles: their caches, and what lies around them.
std::vector<Seed> BrowserSeeds() {
  std::vector<Seed> seeds;
  for (const std::string& data : {kChrome, kEdge}) {
    const std::string second = data == kChrome ? "Profile 1\\" : "Profile 2\\";
    for (const std::string& profile : {data + "Default\\", data + second}) {
      for (const char* cache : {"Cache\\Cache_Data\\data_0", "Cache\\Cache_Data\\f_000001", "Code Cache\\js\\index",
                                "Code Cache\\wasm\\0a1b2c_0", "GPUCache\\data_1", "DawnCache\\data_0"})
        seeds.push_back({profile + cache, true});
      for (const char* kept : {"History", "Cookies", "Network\\Cookies", "Login Data", "Preferences",
                               "Secure Preferences", "Current Session", "Sessions\\Session_1", "Bookmarks",
                               "Web Data", "Extensions\\abcdef\\1.0_0\\manifest.json",
                               "Local Storage\\leveldb\\000003.log", "IndexedDB\\https_a.example_0\\x.ldb",
                               "Service Worker\\Database\\000001.log", "Service Worker\\CacheStorage\\ab\\index",
                               "Cached Theme Images\\1.png", "Cache.bak", "Favicons"})
        seeds.push_back({profile + kept, false});
    }
    seeds.push_back({data + "ShaderCache\\data_0", true});
    seeds.push_back({data + "GrShaderCache\\data_1", true});
    for (const char* kept : {"Local State", "lockfile", "First Run", "Crashpad\\settings.dat",
                             "Crashpad\\Cache\\report.dmp",  // not a profile: no Preferences
                             "Safe Browsing\\UrlSoceng.store"})
      seeds.push_back({data + kept, false});
  }
  // A profile of any name holding Preferences is a profile too.
  seeds.push_back({kChrome + "Work\\Preferences", false});
  seeds.push_back({kChrome + "Work\\Cache\\Cache_Data\\index", true});
  for (const char* profile : {"a1b2c3d4.default-release\\", "e5f6g7h8.second\\"}) {
    for (const char* cache : {"cache2\\entries\\0A1B2C3D", "cache2\\doomed\\1", "cache2\\index"})
      seeds.push_back({kFirefox + profile + cache, true});
    for (const char* kept : {"startupCache\\startupCache.8.little", "thumbnails\\ab.png", "parent.lock",
                             "cache2.txt"})
      seeds.push_back({kFirefox + profile + kept, false});
    for (const char* kept : {"places.sqlite", "cookies.sqlite", "logins.json", "prefs.js", "parent.lock",
                             "cache2\\entries\\roaming"})  // only the local profile holds the cache
      seeds.push_back({kFirefoxRoaming + profile + kept, false});
  }
  seeds.push_back({kRoaming + "Mozilla\\Firefox\\profiles.ini", false});
  // Folders beside the browsers' own that look like them.
  seeds.push_back({kLocal + "Google\\Chrome\\Cache\\x", false});
  seeds.push_back({kLocal + "Google\\Update\\Download\\Cache\\y", false});
  seeds.push_back({kLocal + "Temp\\Cache\\z", false});
  return seeds;
}

class BrowserCachesTest : public ::testing::Test, public testing::ScanFixture {
 protected:
  void SetUp() override {
    app.folders.LocalAppDataFolder = kLocal;
    app.folders.AppDataFolder = kRoaming;
    SeedFiles();
  }
  // The seeds (but those below the folder `except`) and a folder outside that links may lead to.
  void SeedFiles(const std::string& except = "\\none\\") {
    p.files = fake::FakeFileSystem();
    testing::EngineFolders(p);  // the log and undo folders
    p.files.SetDriveType('D', kDriveFixed);
    p.files.AddFile("D:\\Outside\\victim.dat");
    p.files.AddFile("D:\\Outside\\Cache\\victim2.dat");
    p.files.AddFile("D:\\Outside\\Preferences");
    p.files.AddFile("D:\\Outside\\cache2\\victim3.dat");
    for (const Seed& seed : BrowserSeeds())
      if (seed.path.compare(0, except.size(), except) != 0) p.files.AddFile(seed.path);
  }
  Paths Listed(std::vector<std::string>* skipped = nullptr) {
    std::vector<std::string> list, none;
    app.CancelFlag = true;
    ListBrowserCaches(s, list, skipped != nullptr ? *skipped : none);
    EXPECT_EQ(Paths(list.begin(), list.end()).size(), list.size()) << "a file listed twice";
    return {list.begin(), list.end()};
  }
  static Paths Caches(const std::string& below = {}) {
    Paths caches;
    for (const Seed& seed : BrowserSeeds())
      if (seed.cache && seed.path.compare(0, below.size(), below) == 0) caches.insert(seed.path);
    return caches;
  }
  void ExpectEverythingButCachesThere() {
    for (const Seed& seed : BrowserSeeds())
      if (!seed.cache) {
        EXPECT_TRUE(p.files.Exists(seed.path)) << seed.path;
      }
    for (const char* outside : {"D:\\Outside\\victim.dat", "D:\\Outside\\Cache\\victim2.dat",
                                "D:\\Outside\\Preferences", "D:\\Outside\\cache2\\victim3.dat"})
      EXPECT_TRUE(p.files.Exists(outside)) << outside;
  }
};

TEST_F(BrowserCachesTest, EveryProfileListsExactlyItsCacheFilesAndRowTwoRemovesNothingElse) {
  std::vector<std::string> skipped;
  EXPECT_EQ(Listed(&skipped), Caches());
  EXPECT_TRUE(skipped.empty()) << "a lock file that nobody holds open is left by a browser that ended";
  PrivacyRows rows{};
  rows[2] = true;
  PrivacyScan scan(app, host);
  scan.Run(rows);
  ASSERT_TRUE(scan.Completed());
  EXPECT_EQ(Paths(app.Slot(2).begin(), app.Slot(2).end()), Caches());
  const PrivacyCleanResult result = CleanPrivacy(app, host, rows);
  ASSERT_EQ(result.outcome, PrivacyCleanOutcome::Cleaned);
  EXPECT_EQ(result.removed[2], Caches().size());
  for (const std::string& cache : Caches()) EXPECT_FALSE(p.files.Exists(cache)) << cache;
  ExpectEverythingButCachesThere();
}

TEST_F(BrowserCachesTest, ARunningBrowserIsSkippedWholeAndNamed) {
  const struct {
    std::string lock;
    std::vector<std::string> skipped;
    std::string notListed;  // the skipped browser's folder
  } cases[] = {
      {kChrome + "lockfile", {"Chrome"}, kLocal + "Google\\"},
      {kEdge + "lockfile", {"Edge"}, kLocal + "Microsoft\\"},
      // One profile in use (roaming or local lock) keeps every profile of Firefox.
      {kFirefoxRoaming + "e5f6g7h8.second\\parent.lock", {"Firefox"}, kLocal + "Mozilla\\"},
      {kFirefox + "a1b2c3d4.default-release\\parent.lock", {"Firefox"}, kLocal + "Mozilla\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lock);
    p.files.MarkInUse(c.lock);
    std::vector<std::string> skipped;
    Paths expected = Caches();
    for (const std::string& cache : Caches(c.notListed)) expected.erase(cache);
    EXPECT_EQ(Listed(&skipped), expected);
    EXPECT_EQ(skipped, c.skipped);
    SeedFiles();
  }
  // Two at once are both named, in a fixed order.
  p.files.MarkInUse(kFirefoxRoaming + "a1b2c3d4.default-release\\parent.lock");
  p.files.MarkInUse(kChrome + "lockfile");
  std::vector<std::string> skipped;
  EXPECT_EQ(Listed(&skipped), Caches(kEdge));
  EXPECT_EQ(skipped, (std::vector<std::string>{"Chrome", "Firefox"}));
  EXPECT_EQ(SkippedBrowsersText(app.language, skipped),
            "Cache skipped, browser running: Chrome, Firefox. Close it and scan again.");
}

TEST_F(BrowserCachesTest, LockThatCannotBeJudgedCountsAsHeld) {
  EXPECT_FALSE(LockHeld(p, kChrome + "no such lockfile"));
  EXPECT_FALSE(LockHeld(p, kLocal + "No Such Folder\\lockfile"));
  EXPECT_FALSE(LockHeld(p, kChrome + "lockfile")) << "there, but nobody holds it open";
  EXPECT_TRUE(LockHeld(p, kChrome + std::string(300, 'x'))) << "a path past MAX_PATH cannot be asked";
  p.files.DenyAccess(kChrome);
  EXPECT_TRUE(LockHeld(p, kChrome + "lockfile")) << "access denied cannot tell";
  std::vector<std::string> skipped;
  EXPECT_EQ(Listed(&skipped), Caches(kEdge) + Caches(kFirefox));
  EXPECT_EQ(skipped, std::vector<std::string>{"Chrome"});
}

TEST_F(BrowserCachesTest, LinksOnTheWayAreNeverEntered) {
  // Each place where a link could lead the walk out of the caches.
  const struct {
    std::string link;
    bool replacesFolder;  // the link stands where the real folder of that name was
  } cases[] = {
      {kChrome + "Profile 3", false},                  // a profile folder that is a link
      {kChrome + "Default\\Cache", true},              // a cache folder that is a link
      {kChrome + "Default\\Code Cache\\js\\out", false},  // a link inside a cache
      {kChrome + "ShaderCache", true},
      {kFirefox + "zz.linked", false},                 // a Firefox profile that is a link
      {kFirefox + "e5f6g7h8.second\\cache2\\out", false},
      {kLocal + "Microsoft\\Edge\\User Data", true},   // the browser's own folder
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.link);
    Paths expected = Caches();
    if (c.replacesFolder) {
      SeedFiles(c.link + "\\");
      for (const std::string& cache : Caches(c.link + "\\")) expected.erase(cache);
    }
    p.files.AddLink(c.link, "D:\\Outside");
    EXPECT_EQ(Listed(), expected);
    SeedFiles();
  }
}

TEST_F(BrowserCachesTest, ProfileListOrLocalStateNamingOtherFoldersListsNothingThere) {
  // Whatever Local State says (a folder outside, a corrupt or huge file), only
  // the folders of User Data are profiles.
  p.files.AddFile(kLocal + "Victim\\Cache\\keep.dat");
  p.files.AddFile(kLocal + "Victim\\Preferences");
  for (const std::string& localState :
       {std::string(R"({"profile":{"info_cache":{"..\\..\\Victim":{},"C:\\Users\\tester\\AppData\\Local\\Victim":{}}}})"),
        std::string("{\"profile\":{\"info_cache\":{\"Default\""), std::string(5u << 20, '{')}) {
    p.files.AddFile(kChrome + "Local State", localState);
    EXPECT_EQ(Listed(), Caches());
  }
  // profiles.ini naming a folder outside Profiles changes nothing either.
  p.files.AddFile(kRoaming + "Mozilla\\Firefox\\profiles.ini",
                  "[Profile0]\r\nName=x\r\nIsRelative=0\r\nPath=C:\\Users\\tester\\AppData\\Local\\Victim\r\n");
  EXPECT_EQ(Listed(), Caches());
}

TEST_F(BrowserCachesTest, IgnoredCacheFolderIsLeftOut) {
  ASSERT_TRUE(AddIgnoreEntry(p, {kChrome + "Default\\Code Cache", std::nullopt}));
  Paths expected = Caches();
  for (const std::string& cache : Caches(kChrome + "Default\\Code Cache\\")) expected.erase(cache);
  EXPECT_EQ(Listed(), expected);
}

TEST(ChromiumProfileNames, DefaultNumberedOrHoldingPreferences) {
  const struct {
    const char* name;
    bool preferences;
    bool profile;
  } cases[] = {
      {"Default", false, true},       {"DEFAULT", false, true},    {"Profile 1", false, true},
      {"profile 12", false, true},    {"Profile", false, false},   {"Profile ", false, false},
      {"Profile x", false, false},    {"Profile 1a", false, false}, {"Profile1", false, false},
      {"Guest Profile", false, false}, {"Guest Profile", true, true}, {"Crashpad", false, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsChromiumProfileName(c.name, c.preferences), c.profile) << c.name;
}

// ---- The page, the one-click scan and the console ----

class BrowserCachesWindowTest : public ::testing::Test, public testing::WindowFixture {
 protected:
  void SetUp() override {
    app.folders.LocalAppDataFolder = kLocal;
    app.folders.AppDataFolder = kRoaming;
    for (const Seed& seed : BrowserSeeds()) p.files.AddFile(seed.path);
    p.files.MarkInUse(kEdge + "lockfile");
    Create();
    form.Tab4Click();
  }
};

TEST_F(BrowserCachesWindowTest, PrivacyPageNamesTheSkippedBrowserAndCleansTheOthers) {
  form.Panel4Button1Click();
  PrivacyPage& page = dynamic_cast<PrivacyPage&>(form.PageOf(PageId::Panel4A));
  for (int row : {1, 3, 4, 5}) page.Panel4ALabelAClick(row);  // row 2 alone
  page.Panel4AButton1Click();
  EXPECT_EQ(page.Panel4ALabel3.text, "Cache skipped, browser running: Edge. Close it and scan again.");
  page.Panel4AButton2Click();
  for (const Seed& seed : BrowserSeeds())
    EXPECT_EQ(p.files.Exists(seed.path), !seed.cache || seed.path.compare(0, kEdge.size(), kEdge) == 0) << seed.path;
}

TEST_F(BrowserCachesTest, HomeScanListsTheCachesAmongTheTemporaryFiles) {
  p.files.MarkInUse(kEdge + "lockfile");
  HomeScan scan(app, host);
  scan.Run(nullptr, false);
  const auto& temporary = app.Slot(kSlotTempFiles);
  for (const Seed& seed : BrowserSeeds()) {
    const bool listed = std::find(temporary.begin(), temporary.end(), seed.path) != temporary.end();
    EXPECT_EQ(listed, seed.cache && seed.path.compare(0, kEdge.size(), kEdge) != 0) << seed.path;
  }
  EXPECT_EQ(scan.SkippedBrowsers(), std::vector<std::string>{"Edge"});
}

TEST(BrowserCachesCli, PrivacyScanJsonListsTheCachesAndTheSkippedBrowsers) {
  fake::FakePlatform p;
  testing::SetUpUserFolders(p);
  for (const Seed& seed : BrowserSeeds()) p.files.AddFile(seed.path);
  p.files.MarkInUse(kFirefoxRoaming + "a1b2c3d4.default-release\\parent.lock");
  const cli::Outcome o = cli::RunArguments(p, {"privacy", "scan", "--rows", "2", "--json"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_NE(o.out.find("\"skipped\":[\"Firefox\"]"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("Default\\\\Code Cache\\\\js\\\\index\""), std::string::npos) << o.out;
  EXPECT_EQ(o.out.find("cache2"), std::string::npos) << o.out;
  EXPECT_EQ(o.out.find("History"), std::string::npos) << o.out;
}

}  // namespace
}  // namespace qrv
