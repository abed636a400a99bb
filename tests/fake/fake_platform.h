#pragma once
// An in-memory Windows for the unit tests: registry, file system, clock,
// shell and a registry editor that imports and exports scripts.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/platform.h"
#include "engine/registry_ops.h"

namespace qrv::fake {

class FakeRegistry : public RegistryView {
 public:
  FakeRegistry();
  ~FakeRegistry() override;

  // Set-up and inspection for tests; paths as in the program (leading backslash allowed).
  void CreateKey(RootKey root, const std::string& path);
  void SetValue(RootKey root, const std::string& path, const std::string& name, std::uint32_t type,
                const std::string& data);
  void SetString(RootKey root, const std::string& path, const std::string& name, const std::string& text);
  void SetExpandString(RootKey root, const std::string& path, const std::string& name, const std::string& text);
  void SetDword(RootKey root, const std::string& path, const std::string& name, std::uint32_t value);
  bool DeleteKeyTree(RootKey root, const std::string& path);
  void MarkNotWritable(RootKey root, const std::string& path);
  void MarkCannotOpen(RootKey root, const std::string& path);
  bool HasKey(RootKey root, const std::string& path) const;
  std::optional<RegValue> GetValue(RootKey root, const std::string& path, const std::string& name) const;
  // The stored name of a key, in the letter case it was created with.
  std::string StoredName(RootKey root, const std::string& path) const;
  std::size_t OpenHandles() const { return handles_.size(); }

  long RegOpenKeyEx(RootKey root, const std::string& path, RegAccess access, RegHandle& key) override;
  long RegCreateKeyEx(RootKey root, const std::string& path, RegHandle& key) override;
  long RegCloseKey(RegHandle key) override;
  long RegEnumKeyEx(RegHandle key, std::uint32_t index, std::string& name) override;
  long RegEnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type,
                    std::string* data) override;
  long RegQueryInfoKey(RegHandle key, std::uint32_t& subkeys, std::uint32_t& values) override;
  long RegQueryValueEx(RegHandle key, const std::string& name, std::uint32_t& type, std::string& data) override;
  long RegSetValueEx(RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) override;
  long RegDeleteValue(RegHandle key, const std::string& name) override;
  long RegQueryKeyRealPath(RegHandle key, RootKey& root, std::string& path) override;

  struct Node;

 private:
  struct Open {
    RootKey root;
    std::vector<std::string> segments;
    RegAccess access;
  };
  Node* Find(RootKey root, const std::vector<std::string>& segments) const;
  Node* Make(RootKey root, const std::vector<std::string>& segments);
  Node* Resolve(RegHandle key, RegAccess* access = nullptr) const;
  long OpenOrCreate(RootKey root, const std::string& path, RegAccess access, bool create, RegHandle& key);

  std::map<RootKey, std::unique_ptr<Node>> roots_;
  std::map<RegHandle, Open> handles_;
  RegHandle next_ = 0x100;
};

// The 32-bit view as a 64-bit program reads it on 64-bit Windows (7 and
// later): one registry, where the redirected keys of the 32-bit view are kept
// under "Wow6432Node" (HKLM\SOFTWARE but for App Paths; the class keys CLSID,
// Interface, DirectShow, Media Type and MediaFoundation of HKCR and of both
// Classes keys) and every other key is shared with the native view.
class FakeThirtyTwoBitView : public RegistryView {
 public:
  explicit FakeThirtyTwoBitView(FakeRegistry& stored) : stored_(stored) {}
  // Where the 32-bit view keeps root\path.
  static std::string Stored(RootKey root, const std::string& path);

  long RegOpenKeyEx(RootKey root, const std::string& path, RegAccess access, RegHandle& key) override {
    return stored_.RegOpenKeyEx(root, Stored(root, path), access, key);
  }
  long RegCreateKeyEx(RootKey root, const std::string& path, RegHandle& key) override {
    return stored_.RegCreateKeyEx(root, Stored(root, path), key);
  }
  long RegCloseKey(RegHandle key) override { return stored_.RegCloseKey(key); }
  long RegEnumKeyEx(RegHandle key, std::uint32_t index, std::string& name) override {
    return stored_.RegEnumKeyEx(key, index, name);
  }
  long RegEnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type,
                    std::string* data) override {
    return stored_.RegEnumValue(key, index, name, type, data);
  }
  long RegQueryInfoKey(RegHandle key, std::uint32_t& subkeys, std::uint32_t& values) override {
    return stored_.RegQueryInfoKey(key, subkeys, values);
  }
  long RegQueryValueEx(RegHandle key, const std::string& name, std::uint32_t& type, std::string& data) override {
    return stored_.RegQueryValueEx(key, name, type, data);
  }
  long RegSetValueEx(RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) override {
    return stored_.RegSetValueEx(key, name, type, data);
  }
  long RegDeleteValue(RegHandle key, const std::string& name) override { return stored_.RegDeleteValue(key, name); }
  long RegQueryKeyRealPath(RegHandle key, RootKey& root, std::string& path) override {
    return stored_.RegQueryKeyRealPath(key, root, path);
  }

 private:
  FakeRegistry& stored_;
};

// Splits a key path into its names; false for a path Windows refuses.
bool SplitKeyPath(const std::string& path, std::vector<std::string>& segments);

class FakeFileSystem : public FileSystem {
 public:
  FakeFileSystem();

  void AddFolder(const std::string& path);  // with its parents
  void AddFile(const std::string& path, const std::string& bytes = {}, std::uint32_t attributes = kAttributeArchive,
               double lastWrite = 0);
  void RefuseDeletion(const std::string& path);  // access denied
  void MarkInUse(const std::string& path);       // open by another program: sharing violation
  void MarkFolderNotWritable(const std::string& path);
  // A full disk: a write of more bytes leaves the first ones behind and fails.
  void LimitDiskSpace(std::size_t bytes) { diskSpace_ = bytes; }
  void SetDriveType(char drive, std::uint32_t type);
  // A junction or symbolic link to a folder (attributes 0x410): what is below
  // it is what is below target, as Windows lists and deletes through it.
  void AddLink(const std::string& path, const std::string& target);
  bool Exists(const std::string& path) const;
  std::optional<std::string> Contents(const std::string& path) const;
  const std::vector<std::string>& DeleteAtRestart() const { return deleteAtRestart_; }
  std::vector<std::string> FilesIn(const std::string& folder) const;  // names only

  std::vector<FileEntry> FindFiles(const std::string& folder) override;
  std::uint32_t GetFileAttributes(const std::string& path) override;
  bool SetFileAttributes(const std::string& path, std::uint32_t attributes) override;
  bool CreateDirectory(const std::string& path) override;
  long DeleteFile(const std::string& path) override;
  bool MoveFileExDelayUntilReboot(const std::string& path) override;
  std::uint32_t GetDriveType(const std::string& rootPath) override;
  bool ReadFile(const std::string& path, std::string& bytes) override;
  bool WriteFile(const std::string& path, const std::string& bytes) override;

  // Saving a file whole (Log/Undo)
  bool MoveFileExReplaceExisting(const std::string& from, const std::string& to) override;

  // --- Links to files, as Wine has them, and deleting a listed file ---
  // A Unix symbolic link to a file as Wine shows it: listed with plain
  // attributes (0x20, no reparse point), and every call by path goes through
  // to the target: its attributes, its bytes, and DeleteFile deletes the
  // target and leaves the link.
  void AddFileLink(const std::string& path, const std::string& target);
  // As the Windows layer does it: the entry itself, its folder reached through
  // links but not its name; a link to a file (whose handle reaches its target,
  // as under Wine), a folder or a folder link is never touched.
  Deletion DeleteFileItself(const std::string& path, bool archiveOnly) override;
  // --- Keeping a removed file: a rename on the same drive, as the Windows layer does it ---
  Deletion MoveFileItself(const std::string& path, const std::string& to) override;
  long MoveFileNoReplace(const std::string& from, const std::string& to) override;
  bool RemoveDirectory(const std::string& path) override;

  // --- Existence that a deletion relies on ---
  // A folder this user may not read: nothing below it can be asked about
  // (access denied) or listed; the folder itself is seen from its parent.
  void DenyAccess(const std::string& folder);
  long GetFileAttributesAndError(const std::string& path, std::uint32_t& attributes) override;
  // A listing of that folder stops half-way with an error, as a folder that
  // changes or fails while it is read does.
  void BreakListing(const std::string& folder);
  long ListFolder(const std::string& folder, std::vector<FileEntry>& entries) override;
  // --- end existence ---
  // A file MarkInUse names answers a sharing violation; a folder, access denied.
  long OpenFileExclusively(const std::string& path) override;

 private:
  struct Entry {
    std::string path;  // as created
    bool folder = false;
    std::uint32_t attributes = 0;
    std::string bytes;
    double lastWrite = 0;
    bool refuseDeletion = false;
    bool inUse = false;
    bool notWritable = false;
  };
  static std::string Key(const std::string& path);
  static std::string Parent(const std::string& key);
  // The key after following every link on the way (the last name too when
  // `last`); a loop gives up after a few rounds, as Windows does.
  std::string Resolve(const std::string& key, bool last) const;
  std::map<std::string, std::string> links_;  // link key -> target key
  std::map<std::string, std::string> fileLinks_;  // link key -> target key (followed as the last name too)
  std::map<std::string, Entry> entries_;  // by upper-case normalised path
  std::map<char, std::uint32_t> drives_;
  std::vector<std::string> deleteAtRestart_;
  std::optional<std::size_t> diskSpace_;
  std::set<std::string> denied_;  // keys of the folders DenyAccess names
  std::set<std::string> brokenListings_;
  bool BelowDeniedFolder(const std::string& key) const;
};

// Windows, with a registry editor that honours the argument texts the program uses:
//   " /s \"file\""            import a script (both flavours, both encodings)
//   "/s /e \"file\" \"ROOT\\key\""  export a key with its subkeys as a UTF-16 script
class FakePlatform : public Platform {
 public:
  FakePlatform();

  // The registry: on 64-bit Windows `registry` is the native view and
  // `registry32` the 32-bit view that a 32-bit program reads; each registry
  // editor (Windows folder, SysWOW64) imports into and exports from its own.
  FakeRegistry registry;
  FakeRegistry registry32;
  FakeFileSystem files;
  // Makes this a 64-bit Windows with the program a 32-bit process on it:
  // reads go to registry32, and SysWOW64 holds the 32-bit registry editor.
  void RunAsThirtyTwoBitProgramOnSixtyFourBitWindows();
  bool wow64 = false;
  bool sixtyFourBitProgram = false;  // a 64-bit build on 64-bit Windows: reads `registry`
  // A 64-bit program that also reads the 32-bit view, kept inside `registry`
  // as 64-bit Windows keeps it (FakeThirtyTwoBitView).
  void RunAsSixtyFourBitProgramWithBothViews();
  FakeThirtyTwoBitView thirtyTwoBitView{registry};
  bool bothViews = false;
  RegistryView* ThirtyTwoBitView() override { return bothViews ? &thirtyTwoBitView : nullptr; }
  FakeRegistry& ProgramView() { return wow64 ? registry32 : registry; }

  // System state the tests arrange and inspect.
  double clock = 40000.5;  // 6 July 2009, noon
  std::uint32_t sleptMilliseconds = 0;
  std::string windowsDirectory = "C:\\windows";
  std::map<int, std::string> shellFolders;
  std::map<std::string, std::string> environment;  // by upper-case name
  std::string userName = "tester";
  std::uint32_t versionMajor = 6;
  std::string moduleFileName = "C:\\Program Files\\Quorvane\\Quorvane.exe";
  std::set<std::string> mutexes;
  bool registryEditorAvailable = true;
  struct Process { std::string program, commandLine; };
  std::vector<Process> processes;
  struct ShellCall { std::string verb, file, parameters; int show; };
  std::vector<ShellCall> shellCalls;
  bool noRegAssociation = false;  // "open" on a .reg file fails
  struct Box { std::string text, caption; std::uint32_t flags; };
  std::vector<Box> messageBoxes;
  std::vector<std::string> importedScripts;  // file bytes, in import order
  // Keys whose permissions forbid the registry editor's import to delete
  // them or their values ("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", any case): the
  // import goes on without a word, as the real editor's silent import does.
  std::set<std::string> undeletableKeys;
  // Clean Up tab: a shortcut file is a file whose bytes are ShortcutBytes(target);
  // the picker answers folderPickerAnswer; the URL history holds urlHistory
  // (nothing at all when urlHistoryAvailable is false).
  std::optional<std::string> folderPickerAnswer;
  struct Picker { std::string title, initialFolder; };
  std::vector<Picker> folderPickers;
  std::vector<std::string> urlHistory;
  bool urlHistoryAvailable = true;
  static std::string ShortcutBytes(const std::string& target) { return "LNK\n" + target; }
  // The save dialog: what the user picks (none: Cancel), and each showing.
  std::optional<std::string> saveFileAnswer;
  struct SaveDialog { std::string filter, initialFolder; };
  std::vector<SaveDialog> saveDialogs;

  // RegistryView
  long RegOpenKeyEx(RootKey root, const std::string& path, RegAccess access, RegHandle& key) override {
    return ProgramView().RegOpenKeyEx(root, path, access, key);
  }
  long RegCreateKeyEx(RootKey root, const std::string& path, RegHandle& key) override {
    return ProgramView().RegCreateKeyEx(root, path, key);
  }
  long RegCloseKey(RegHandle key) override { return ProgramView().RegCloseKey(key); }
  long RegEnumKeyEx(RegHandle key, std::uint32_t index, std::string& name) override {
    return ProgramView().RegEnumKeyEx(key, index, name);
  }
  long RegEnumValue(RegHandle key, std::uint32_t index, std::string& name, std::uint32_t* type,
                    std::string* data) override {
    return ProgramView().RegEnumValue(key, index, name, type, data);
  }
  long RegQueryInfoKey(RegHandle key, std::uint32_t& subkeys, std::uint32_t& values) override {
    return ProgramView().RegQueryInfoKey(key, subkeys, values);
  }
  long RegQueryValueEx(RegHandle key, const std::string& name, std::uint32_t& type, std::string& data) override {
    return ProgramView().RegQueryValueEx(key, name, type, data);
  }
  long RegSetValueEx(RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) override {
    return ProgramView().RegSetValueEx(key, name, type, data);
  }
  long RegDeleteValue(RegHandle key, const std::string& name) override { return ProgramView().RegDeleteValue(key, name); }
  long RegQueryKeyRealPath(RegHandle key, RootKey& root, std::string& path) override {
    return ProgramView().RegQueryKeyRealPath(key, root, path);
  }

  // FileSystem
  // The requests that ask the file system whether something is there (each a
  // server round trip under Wine): attributes, listings, drive types.
  std::size_t fileRequests = 0;
  std::vector<FileEntry> FindFiles(const std::string& folder) override {
    ++fileRequests;
    return files.FindFiles(folder);
  }
  std::uint32_t GetFileAttributes(const std::string& path) override {
    ++fileRequests;
    return files.GetFileAttributes(path);
  }
  bool SetFileAttributes(const std::string& path, std::uint32_t a) override { return files.SetFileAttributes(path, a); }
  bool CreateDirectory(const std::string& path) override { return files.CreateDirectory(path); }
  long DeleteFile(const std::string& path) override { return files.DeleteFile(path); }
  bool MoveFileExDelayUntilReboot(const std::string& path) override { return files.MoveFileExDelayUntilReboot(path); }
  std::uint32_t GetDriveType(const std::string& rootPath) override {
    ++fileRequests;
    return files.GetDriveType(rootPath);
  }
  bool ReadFile(const std::string& path, std::string& bytes) override { return files.ReadFile(path, bytes); }
  bool WriteFile(const std::string& path, const std::string& bytes) override { return files.WriteFile(path, bytes); }
  bool MoveFileExReplaceExisting(const std::string& from, const std::string& to) override {
    return files.MoveFileExReplaceExisting(from, to);
  }
  long GetFileAttributesAndError(const std::string& path, std::uint32_t& attributes) override {
    ++fileRequests;
    return files.GetFileAttributesAndError(path, attributes);
  }
  long ListFolder(const std::string& folder, std::vector<FileEntry>& entries) override {
    ++fileRequests;
    return files.ListFolder(folder, entries);
  }
  long OpenFileExclusively(const std::string& path) override { return files.OpenFileExclusively(path); }

  // SystemServices
  double Now() override { return clock; }
  void Sleep(std::uint32_t milliseconds) override;
  // Day, month and year as dd/mm/yyyy.
  std::string ShortDate(double dateTime) override;
  // Advances the clock like Sleep, records the wait, then runs duringWait
  // (a change the test makes while the program waits); never reports a change.
  bool WaitForRegistryChange(RootKey root, const std::string& path, std::uint32_t milliseconds) override;
  std::vector<std::uint32_t> registryWaits;
  std::function<void()> duringWait;
  bool CreateProcessAndWait(const std::string& program, const std::string& commandLine) override;
  bool ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                    int show) override;
  std::string GetWindowsDirectory() override { return windowsDirectory; }
  std::string SHGetFolderPath(int csidl) override;
  std::string GetUserName() override { return userName; }
  std::optional<std::string> GetEnvironmentVariable(const std::string& name) override;
  std::uint32_t GetVersionMajor() override { return versionMajor; }
  bool IsWow64() override { return wow64; }
  bool Is64BitWindows() override { return wow64 || sixtyFourBitProgram; }
  std::string GetModuleFileName() override { return moduleFileName; }
  bool OpenMutex(const std::string& name) override { return mutexes.count(name) > 0; }
  bool CreateMutex(const std::string& name) override;
  void MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) override {
    messageBoxes.push_back({text, caption, flags});
  }
  std::string ToAnsi(const std::string& text, bool* lossless) override;
  std::string FromAnsi(const std::string& bytes) override;
  std::optional<std::string> ReadShortcutTarget(const std::string& linkPath) override;
  std::optional<std::string> BrowseForFolder(const std::string& title, const std::string& initialFolder) override;
  std::vector<std::string> UrlHistory(const std::string& prefix) override;

  // Startup manager: the links that load, by upper-case path; the file must
  // exist in `files` too.
  std::map<std::string, StartupLinkInfo> startupLinks;
  void AddStartupLink(const std::string& path, const StartupLinkInfo& info);
  std::optional<StartupLinkInfo> LoadStartupLink(const std::string& linkFile) override;
  bool GetSaveFileName(const std::string& filter, const std::string& initialFolder, std::string& fileName) override {
    saveDialogs.push_back({filter, initialFolder});
    if (!saveFileAnswer) return false;
    fileName = *saveFileAnswer;
    return true;
  }
  // Deleting a listed file
  Deletion DeleteFileItself(const std::string& path, bool archiveOnly) override {
    return files.DeleteFileItself(path, archiveOnly);
  }
  Deletion MoveFileItself(const std::string& path, const std::string& to) override {
    return files.MoveFileItself(path, to);
  }
  long MoveFileNoReplace(const std::string& from, const std::string& to) override {
    return files.MoveFileNoReplace(from, to);
  }
  bool RemoveDirectory(const std::string& path) override { return files.RemoveDirectory(path); }

 private:
  void RunRegistryEditor(FakeRegistry& view, const std::string& commandLine);
  void Import(FakeRegistry& view, const std::string& file);
  void Export(FakeRegistry& view, const std::string& file, const std::string& key);
};

}  // namespace qrv::fake
