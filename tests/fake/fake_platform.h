#pragma once
// An in-memory Windows for the unit tests: registry, file system, clock,
// shell and a registry editor that imports and exports scripts.
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
  long RegEnumValue(RegHandle key, std::uint32_t index, std::string& name) override;
  long RegQueryInfoKey(RegHandle key, std::uint32_t& subkeys, std::uint32_t& values) override;
  long RegQueryValueEx(RegHandle key, const std::string& name, std::uint32_t& type, std::string& data) override;
  long RegSetValueEx(RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) override;
  long RegDeleteValue(RegHandle key, const std::string& name) override;

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
  std::map<std::string, Entry> entries_;  // by upper-case normalised path
  std::map<char, std::uint32_t> drives_;
  std::vector<std::string> deleteAtRestart_;
  std::optional<std::size_t> diskSpace_;
};

// Windows, with a registry editor that honours the argument texts the program uses:
//   " /s \"file\""            import a script (both flavours, both encodings)
//   "/s /e \"file\" \"ROOT\\key\""  export a key with its subkeys as a UTF-16 script
class FakePlatform : public Platform {
 public:
  FakePlatform();

  FakeRegistry registry;
  FakeFileSystem files;

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
  // The save dialog: what the user picks (none: Cancel), and each showing.
  std::optional<std::string> saveFileAnswer;
  struct SaveDialog { std::string filter, initialFolder; };
  std::vector<SaveDialog> saveDialogs;

  // RegistryView
  long RegOpenKeyEx(RootKey root, const std::string& path, RegAccess access, RegHandle& key) override {
    return registry.RegOpenKeyEx(root, path, access, key);
  }
  long RegCreateKeyEx(RootKey root, const std::string& path, RegHandle& key) override {
    return registry.RegCreateKeyEx(root, path, key);
  }
  long RegCloseKey(RegHandle key) override { return registry.RegCloseKey(key); }
  long RegEnumKeyEx(RegHandle key, std::uint32_t index, std::string& name) override {
    return registry.RegEnumKeyEx(key, index, name);
  }
  long RegEnumValue(RegHandle key, std::uint32_t index, std::string& name) override {
    return registry.RegEnumValue(key, index, name);
  }
  long RegQueryInfoKey(RegHandle key, std::uint32_t& subkeys, std::uint32_t& values) override {
    return registry.RegQueryInfoKey(key, subkeys, values);
  }
  long RegQueryValueEx(RegHandle key, const std::string& name, std::uint32_t& type, std::string& data) override {
    return registry.RegQueryValueEx(key, name, type, data);
  }
  long RegSetValueEx(RegHandle key, const std::string& name, std::uint32_t type, const std::string& data) override {
    return registry.RegSetValueEx(key, name, type, data);
  }
  long RegDeleteValue(RegHandle key, const std::string& name) override { return registry.RegDeleteValue(key, name); }

  // FileSystem
  std::vector<FileEntry> FindFiles(const std::string& folder) override { return files.FindFiles(folder); }
  std::uint32_t GetFileAttributes(const std::string& path) override { return files.GetFileAttributes(path); }
  bool SetFileAttributes(const std::string& path, std::uint32_t a) override { return files.SetFileAttributes(path, a); }
  bool CreateDirectory(const std::string& path) override { return files.CreateDirectory(path); }
  long DeleteFile(const std::string& path) override { return files.DeleteFile(path); }
  bool MoveFileExDelayUntilReboot(const std::string& path) override { return files.MoveFileExDelayUntilReboot(path); }
  std::uint32_t GetDriveType(const std::string& rootPath) override { return files.GetDriveType(rootPath); }
  bool ReadFile(const std::string& path, std::string& bytes) override { return files.ReadFile(path, bytes); }
  bool WriteFile(const std::string& path, const std::string& bytes) override { return files.WriteFile(path, bytes); }
  bool MoveFileExReplaceExisting(const std::string& from, const std::string& to) override {
    return files.MoveFileExReplaceExisting(from, to);
  }

  // SystemServices
  double Now() override { return clock; }
  void Sleep(std::uint32_t milliseconds) override;
  bool CreateProcessAndWait(const std::string& program, const std::string& commandLine) override;
  bool ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                    int show) override;
  std::string GetWindowsDirectory() override { return windowsDirectory; }
  std::string SHGetFolderPath(int csidl) override;
  std::string GetUserName() override { return userName; }
  std::optional<std::string> GetEnvironmentVariable(const std::string& name) override;
  std::uint32_t GetVersionMajor() override { return versionMajor; }
  std::string GetModuleFileName() override { return moduleFileName; }
  bool OpenMutex(const std::string& name) override { return mutexes.count(name) > 0; }
  bool CreateMutex(const std::string& name) override;
  void MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) override {
    messageBoxes.push_back({text, caption, flags});
  }
  std::string ToAnsi(const std::string& text, bool* lossless) override;
  std::string FromAnsi(const std::string& bytes) override;
  bool GetSaveFileName(const std::string& filter, const std::string& initialFolder, std::string& fileName) override {
    saveDialogs.push_back({filter, initialFolder});
    if (!saveFileAnswer) return false;
    fileName = *saveFileAnswer;
    return true;
  }

 private:
  void RunRegistryEditor(const std::string& commandLine);
  void Import(const std::string& file);
  void Export(const std::string& file, const std::string& key);
};

}  // namespace qrv::fake
