#include "registry_scan/finding_report.h"

#include "engine/text.h"
#include "engine/backup.h"
#include "engine/fix_script.h"
#include "engine/registry_ops.h"

namespace qrv {

namespace {

std::string WithoutTrailingBackslashes(std::string keyPath) {
  while (!keyPath.empty() && keyPath.back() == '\\') keyPath.pop_back();
  return keyPath;
}

// `inner` is `outer` or a key below it.
bool KeyWithin(const std::string& inner, const std::string& outer) {
  const std::string a = WithoutTrailingBackslashes(inner);
  const std::string b = WithoutTrailingBackslashes(outer);
  if (a.size() == b.size()) return EqualsNoCase(a, b);
  return a.size() > b.size() && a[b.size()] == '\\' && EqualsNoCase(std::string_view(a).substr(0, b.size()), b);
}

}  // namespace

PendingFinding::PendingFinding(ScanContext& s, int slot, const std::string& displayLine)
    : s_(s), slot_(slot), display_(OneLine(displayLine)), fix_(s.app.FixScript.Flavour()) {}

void PendingFinding::DeleteKey(RootKey root, const std::string& keyPath) {
  if (sound_) sound_ = fix_.AddDeleteKey(root, keyPath);
  changed_.push_back({root, keyPath, true, {}});
}

void PendingFinding::DeleteValue(RootKey root, const std::string& keyPath, const std::string& name) {
  if (sound_) sound_ = fix_.AddKey(root, keyPath) && fix_.AddDeleteValue(name);
  changed_.push_back({root, keyPath, false, name});
}

void PendingFinding::SetDefault(RootKey root, const std::string& keyPath, const std::string& text) {
  if (sound_) sound_ = fix_.AddKey(root, keyPath) && fix_.AddString("", text);
  changed_.push_back({root, keyPath, false, {}});
}

void PendingFinding::BackUpKey(RootKey root, const std::string& keyPath) {
  backups_.push_back({root, keyPath, true, {}});
}

void PendingFinding::BackUpValue(RootKey root, const std::string& keyPath, const std::string& name) {
  backups_.push_back({root, keyPath, false, name});
}

bool PendingFinding::Covered(const Place& changed) const {
  for (const Place& b : backups_) {
    if (b.root != changed.root) continue;
    if (b.wholeKey && KeyWithin(changed.keyPath, b.keyPath)) return true;
    if (!b.wholeKey && !changed.wholeKey && b.name == changed.name &&
        EqualsNoCase(WithoutTrailingBackslashes(b.keyPath), WithoutTrailingBackslashes(changed.keyPath)))
      return true;
  }
  return false;
}

bool PendingFinding::Commit(AlsoTempValues alsoTempValues) {
  if (!sound_ || fix_.Empty() || backups_.empty() || DeletesProtectedKey(fix_)) return false;
  const IgnoreList& ignored = s_.Ignored();
  for (const Place& c : changed_) {
    if (c.wholeKey ? ignored.CoversKey(c.root, c.keyPath) : ignored.CoversValue(c.root, c.keyPath, c.name))
      return false;
  }
  for (const Place& c : changed_)
    if (!Covered(c) || !KeyIsWritable(s_.platform(), c.root, c.keyPath)) return false;

  RegScript undo(s_.app.UndoScript.Flavour());
  for (const Place& b : backups_) {
    const bool taken = b.wholeKey ? BackupKey(s_.platform(), undo, b.root, b.keyPath)
                                  : BackupValue(s_.platform(), undo, b.root, b.keyPath, b.name);
    if (!taken) return false;
  }
  const Place& first = changed_.front();
  IgnoreEntry entry{RootName(first.root) + ("\\" + RegistryPath(first.keyPath)), std::nullopt};
  if (!first.wholeKey) entry.value = first.name;
  AddFinding(s_, slot_, display_, entry);
  s_.app.UndoScript.AppendExported(undo.Lines());
  s_.app.FixScript.AppendExported(fix_.Lines());
  s_.app.FixScript.AddBlank();
  if (alsoTempValues == AlsoTempValues::Yes) {
    s_.app.TempValueScript.AppendExported(fix_.Lines());
    s_.app.TempValueScript.AddBlank();
  }
  return true;
}

bool ReportKeyDeletion(ScanContext& s, int slot, const std::string& displayLine, RootKey root,
                       const std::string& keyPath, AlsoTempValues also) {
  PendingFinding f(s, slot, displayLine);
  f.DeleteKey(root, keyPath);
  f.BackUpKey(root, keyPath);
  return f.Commit(also);
}

bool ReportKeyDeletion(ScanContext& s, int slot, const std::string& displayLine, RootKey root,
                       const std::string& keyPath, const std::string& backupKey) {
  PendingFinding f(s, slot, displayLine);
  f.DeleteKey(root, keyPath);
  f.BackUpKey(root, backupKey);
  return f.Commit();
}

bool ReportValueDeletion(ScanContext& s, int slot, const std::string& displayLine, RootKey root,
                         const std::string& keyPath, const std::string& name, AlsoTempValues also) {
  PendingFinding f(s, slot, displayLine);
  f.DeleteValue(root, keyPath, name);
  f.BackUpValue(root, keyPath, name);
  return f.Commit(also);
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return text;
}

std::string FileNotFoundLine(const ScanContext& s, const std::string& what) {
  return s.Text(TextId::Action2FileNotFound) + ": " + what;
}

std::string RelationNotFoundLine(const ScanContext& s, const std::string& what) {
  return s.Text(TextId::Action2RelationNotFound) + " " + what;
}

}  // namespace qrv
