// The owners of Windows resources against the real objects: each resource
// is given back exactly once, by the owner that holds it last; and the
// shell-link helper's round trip.
#include <gtest/gtest.h>

#include "wine/wine_env.h"

#include <utility>

#include "engine/win32/shell_link.h"

namespace qrv::wine {
namespace {

const wchar_t* const kOwnersKey = L"Software\\QuorvaneWineTest\\Owners";

// One kind per row: how to make a resource, and whether the system still
// knows it.
struct EventRow {
  using Owner = win32::UniqueHandle;
  static HANDLE Make() { return ::CreateEventW(nullptr, FALSE, FALSE, nullptr); }
  static bool IsOpen(HANDLE h) {
    DWORD flags = 0;
    return ::GetHandleInformation(h, &flags) != 0;
  }
};
struct KeyRow {
  using Owner = win32::UniqueKey;
  static HKEY Make() {
    HKEY key = nullptr;
    return ::RegCreateKeyExW(HKEY_CURRENT_USER, kOwnersKey, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) ==
                   ERROR_SUCCESS
               ? key
               : nullptr;
  }
  static bool IsOpen(HKEY key) {
    DWORD subkeys = 0;
    return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr) == ERROR_SUCCESS;
  }
};
struct BrushRow {
  using Owner = win32::GdiObject<HBRUSH>;
  static HBRUSH Make() { return ::CreateSolidBrush(RGB(1, 2, 3)); }
  static bool IsOpen(HBRUSH brush) { return ::GetObjectType(brush) == OBJ_BRUSH; }
};

template <typename Row>
class OwnerWineTest : public ::testing::Test {
 protected:
  void TearDown() override { DeleteTree(HKEY_CURRENT_USER, kOwnersKey); }
};
using OwnerRows = ::testing::Types<EventRow, KeyRow, BrushRow>;
TYPED_TEST_SUITE(OwnerWineTest, OwnerRows);

TYPED_TEST(OwnerWineTest, GivesBackOnceByTheLastOwner) {
  using Owner = typename TypeParam::Owner;
  const auto first = TypeParam::Make();
  const auto second = TypeParam::Make();
  ASSERT_TRUE(TypeParam::IsOpen(first) && TypeParam::IsOpen(second));
  {
    Owner a(first);
    Owner b(std::move(a));
    EXPECT_FALSE(a.Valid()) << "a moved-from owner holds nothing";
    EXPECT_EQ(b.Get(), first);
    Owner c(second);
    c = std::move(b);
    EXPECT_FALSE(TypeParam::IsOpen(second)) << "the value an assignment replaces is given back";
    EXPECT_TRUE(TypeParam::IsOpen(first)) << "moving gives nothing back";
    Owner& same = c;
    c = std::move(same);
    EXPECT_TRUE(c.Valid() && TypeParam::IsOpen(first)) << "a move onto itself keeps the value";
  }
  EXPECT_FALSE(TypeParam::IsOpen(first)) << "the last owner gave it back";
}

TYPED_TEST(OwnerWineTest, ReleaseHandsOverAndCloseReports) {
  using Owner = typename TypeParam::Owner;
  Owner kept(TypeParam::Make());
  const auto value = kept.Release();
  EXPECT_FALSE(kept.Valid());
  EXPECT_TRUE(TypeParam::IsOpen(value)) << "a released value stays open";
  Owner closing(value);
  EXPECT_TRUE(closing.Close());
  EXPECT_FALSE(closing.Valid());
  EXPECT_FALSE(TypeParam::IsOpen(value));
  EXPECT_TRUE(closing.Close()) << "an empty owner has nothing to give back";
  Owner none;
  EXPECT_FALSE(none.Valid());
}

// A component object that counts its references.
class Counted : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!IsEqualIID(iid, IID_IUnknown)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  ULONG references = 1;  // the creator's
};

TEST(ComPtrWineTest, EachReferenceReleasedOnce) {
  Counted object;
  {
    win32::ComPtr<IUnknown> a(&object);
    win32::ComPtr<IUnknown> b(std::move(a));
    EXPECT_FALSE(a.Valid());
    EXPECT_EQ(object.references, 1u) << "moving counts nothing";
    {
      const win32::ComPtr<IUnknown> other = b.Query<IUnknown>(IID_IUnknown);
      EXPECT_EQ(other.Get(), &object);
      EXPECT_EQ(object.references, 2u);
      EXPECT_FALSE(b.Query<IPersistFile>(IID_IPersistFile).Valid()) << "an interface it lacks";
      EXPECT_EQ(object.references, 2u);
    }
    EXPECT_EQ(object.references, 1u);
    b = win32::ComPtr<IUnknown>();
    EXPECT_EQ(object.references, 0u) << "released when replaced";
  }
  EXPECT_EQ(object.references, 0u) << "and not again";
  EXPECT_FALSE(win32::ComPtr<IUnknown>().Query<IUnknown>(IID_IUnknown).Valid());
}

// The font selected while painting goes back out of the context.
TEST(GdiWineTest, SelectionRestoresWhatItReplaced) {
  const win32::WindowDc screen;
  const win32::MemoryDc memory(::CreateCompatibleDC(screen.Get()));
  ASSERT_TRUE(memory.Valid());
  const HGDIOBJ before = ::GetCurrentObject(memory.Get(), OBJ_FONT);
  const win32::GdiObject<HFONT> font(::CreateFontW(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                                   0, 0, L"Arial"));
  {
    const win32::Selection selected(memory.Get(), font.Get());
    EXPECT_EQ(::GetCurrentObject(memory.Get(), OBJ_FONT), font.Get());
  }
  EXPECT_EQ(::GetCurrentObject(memory.Get(), OBJ_FONT), before);
}

// A link saved with its three fields reads back whole; a second link read
// into a new object keeps none of the first; a file that is no link is not read.
TEST(ShellLinkWineTest, SavesAndReadsBack) {
  Win32Platform p;
  const std::string folder = TestFolders(p).ProgramFolder + "\\Links";
  ForceDirectories(p, folder);
  const std::string full = folder + "\\Fülle.lnk", bare = folder + "\\bare.lnk", text = folder + "\\text.lnk";
  const win32::ComSession com;
  {
    win32::ShellLink link;
    ASSERT_TRUE(link.Usable());
    EXPECT_TRUE(link.SetTarget("C:\\QrvWine\\Zielö\\app.exe"));
    EXPECT_TRUE(link.SetArguments("/x \"ä b\""));
    EXPECT_TRUE(link.SetWorkingFolder("C:\\windows"));
    ASSERT_TRUE(link.Save(full));
    win32::ShellLink other;
    EXPECT_TRUE(other.SetTarget("C:\\QrvWine\\Gone\\tool.exe"));
    ASSERT_TRUE(other.Save(bare));
  }
  win32::ShellLink read;
  ASSERT_TRUE(read.Load(full));
  EXPECT_EQ(read.RawTarget(), "C:\\QrvWine\\Zielö\\app.exe");
  EXPECT_EQ(read.Arguments(), "/x \"ä b\"");
  EXPECT_EQ(read.WorkingFolder(), "C:\\windows");
  win32::ShellLink again;
  ASSERT_TRUE(again.Load(bare));
  EXPECT_EQ(again.RawTarget(), "C:\\QrvWine\\Gone\\tool.exe");
  EXPECT_EQ(again.Arguments(), "");
  EXPECT_EQ(again.WorkingFolder(), "");
  ASSERT_TRUE(p.WriteFile(text, "not a link"));
  EXPECT_FALSE(win32::ShellLink().Load(text));
  EXPECT_FALSE(win32::ShellLink().Load(folder + "\\missing.lnk"));
  for (const std::string& f : {full, bare, text}) p.DeleteFile(f);
}

}  // namespace
}  // namespace qrv::wine
