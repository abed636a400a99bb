#include "fake/fake_platform.h"

#include <cstdio>

#include "engine/text.h"
#include "engine/reg_script.h"
#include "engine/backup.h"
#include "engine/reg_export.h"
#include "engine/reg_script_reader.h"

namespace qrv::fake {

FakePlatform::FakePlatform() {
  // The keys every Windows has.
  registry.CreateKey(RootKey::LocalMachine, "SOFTWARE");
  registry.CreateKey(RootKey::CurrentUser, "Software");
  files.AddFolder(windowsDirectory);
  files.AddFile(windowsDirectory + "\\regedit.exe");
}

std::string FakePlatform::ShortDate(double dateTime) {
  const Date d = DecodeDate(dateTime);
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", d.day, d.month, d.year);
  return text;
}

void FakePlatform::Sleep(std::uint32_t milliseconds) {
  sleptMilliseconds += milliseconds;
  clock += milliseconds / 86400000.0;
}

bool FakePlatform::WaitForRegistryChange(RootKey, const std::string&, std::uint32_t milliseconds) {
  registryWaits.push_back(milliseconds);
  clock += milliseconds / 86400000.0;
  if (duringWait) duringWait();
  return false;
}

bool FakePlatform::ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                                int show) {
  shellCalls.push_back({verb, file, parameters, show});
  // A system without the .reg association, as a fresh Wine prefix is.
  return !(noRegAssociation && EndsWithNoCase(file, ".reg"));
}

std::string FakePlatform::SHGetFolderPath(int csidl) {
  const auto it = shellFolders.find(csidl);
  return it == shellFolders.end() ? std::string() : it->second;
}

std::optional<std::string> FakePlatform::GetEnvironmentVariable(const std::string& name) {
  const auto it = environment.find(UpperAscii(name));
  if (it == environment.end()) return std::nullopt;
  return it->second;
}

bool FakePlatform::CreateMutex(const std::string& name) {
  mutexes.insert(name);
  return true;
}

std::string FakePlatform::ToAnsi(const std::string& text, bool* lossless) { return Utf8ToCp1252(text, lossless); }
std::string FakePlatform::FromAnsi(const std::string& bytes) { return Cp1252ToUtf8(bytes); }

std::optional<std::string> FakePlatform::ReadShortcutTarget(const std::string& linkPath) {
  const std::optional<std::string> bytes = files.Contents(linkPath);
  const std::string mark = ShortcutBytes("");
  if (!bytes || bytes->compare(0, mark.size(), mark) != 0) return std::nullopt;
  return bytes->substr(mark.size());
}

std::optional<std::string> FakePlatform::BrowseForFolder(const std::string& title, const std::string& initialFolder) {
  folderPickers.push_back({title, initialFolder});
  return folderPickerAnswer;
}

std::vector<std::string> FakePlatform::UrlHistory(const std::string& prefix) {
  std::vector<std::string> found;
  if (!urlHistoryAvailable) return found;
  for (const std::string& url : urlHistory)
    if (StartsWithNoCase(url, prefix)) found.push_back(url);
  return found;
}

// Startup manager
void FakePlatform::AddStartupLink(const std::string& path, const StartupLinkInfo& info) {
  files.AddFile(path, "L-link:" + info.target + "|" + info.arguments);
  startupLinks[UpperAscii(path)] = info;
}

std::optional<StartupLinkInfo> FakePlatform::LoadStartupLink(const std::string& linkFile) {
  const auto it = startupLinks.find(UpperAscii(linkFile));
  if (it == startupLinks.end() || !files.Exists(linkFile)) return std::nullopt;
  return it->second;
}

bool FakePlatform::CreateProcessAndWait(const std::string& program, const std::string& commandLine) {
  if (!files.Exists(program)) return false;
  processes.push_back({program, commandLine});
  if (EndsWithNoCase(program, "\\regedit.exe")) {
    if (!registryEditorAvailable) return false;
    RunRegistryEditor(EndsWithNoCase(program, "\\SysWOW64\\regedit.exe") ? registry32 : registry, commandLine);
  }
  return true;
}

namespace {

// Splits a command line into its words; double quotes group and are removed.
// The first word is the program's name, empty when the line starts with a blank.
std::vector<std::string> Words(const std::string& commandLine) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = !commandLine.empty() && commandLine.front() == ' ';
  for (char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

}  // namespace

void FakePlatform::RunAsThirtyTwoBitProgramOnSixtyFourBitWindows() {
  wow64 = true;
  registry32.CreateKey(RootKey::LocalMachine, "SOFTWARE");
  registry32.CreateKey(RootKey::CurrentUser, "Software");
  files.AddFile(windowsDirectory + "\\SysWOW64\\regedit.exe");
}

void FakePlatform::RunAsSixtyFourBitProgramWithBothViews() {
  sixtyFourBitProgram = true;
  bothViews = true;
  registry.CreateKey(RootKey::LocalMachine, "SOFTWARE\\Wow6432Node");
  registry.CreateKey(RootKey::ClassesRoot, "Wow6432Node\\CLSID");
}

void FakePlatform::RunRegistryEditor(FakeRegistry& view, const std::string& commandLine) {
  auto words = Words(commandLine);
  if (!words.empty()) words.erase(words.begin());  // the program's name, as Windows passes it
  bool silent = false, exportKey = false;
  std::vector<std::string> operands;
  for (const auto& w : words) {
    if (EqualsNoCase(w, "/s")) silent = true;
    else if (EqualsNoCase(w, "/e")) exportKey = true;
    else operands.push_back(w);
  }
  if (exportKey && operands.size() == 2) Export(view, operands[0], operands[1]);
  if (!silent) return;  // the real editor would ask the user before importing
  if (!exportKey && operands.size() == 1) Import(view, operands[0]);
}

void FakePlatform::Import(FakeRegistry& view, const std::string& file) {
  std::string bytes;
  if (!files.ReadFile(file, bytes)) return;
  importedScripts.push_back(bytes);
  const ParsedScript script = ReadRegScript(bytes, [this](const std::string& b) { return FromAnsi(b); });
  if (!script.recognised) return;
  RegHandle current = 0;
  bool currentUndeletable = false;
  const auto close = [&] {
    if (current) view.RegCloseKey(current);
    current = 0;
  };
  const auto undeletable = [&](const ScriptOp& op) {
    return undeletableKeys.count(UpperCaseText(std::string(RootName(op.root)) + "\\" + op.path)) > 0;
  };
  for (const auto& op : script.ops) {
    switch (op.kind) {
      case ScriptOp::Kind::OpenKey:
        close();
        view.RegCreateKeyEx(op.root, op.path, current);
        currentUndeletable = undeletable(op);
        break;
      case ScriptOp::Kind::DeleteKey:
        close();
        if (!undeletable(op)) view.DeleteKeyTree(op.root, op.path);
        break;
      case ScriptOp::Kind::NoKey:
        close();
        break;
      case ScriptOp::Kind::SetValue:
        if (current) view.RegSetValueEx(current, op.name, op.type, op.data);
        break;
      case ScriptOp::Kind::DeleteValue:
        if (current && !currentUndeletable) view.RegDeleteValue(current, op.name);
        break;
    }
  }
  close();
}

void FakePlatform::Export(FakeRegistry& view, const std::string& file, const std::string& key) {
  const auto slash = key.find('\\');
  const auto root = RootFromName(key.substr(0, slash));
  if (!root) return;
  const std::string path = slash == std::string::npos ? std::string() : key.substr(slash);
  RegScript script(ScriptFlavour::Version5);
  script.Start();
  if (!ExportKey(view, script, *root, path)) return;  // the editor writes no file then
  files.WriteFile(file, UndoFileBytes(script));
}

}  // namespace qrv::fake
