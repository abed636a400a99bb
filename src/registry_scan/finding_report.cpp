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
  lines_.push_back({Change::DeleteKey, {root, keyPath, true, {}}, {}});
}

void PendingFinding::DeleteValue(RootKey root, const std::string& keyPath, const std::string& name) {
  lines_.push_back({Change::DeleteValue, {root, keyPath, false, name}, {}});
}

void PendingFinding::SetDefault(RootKey root, const std::string& keyPath, const std::string& text) {
  lines_.push_back({Change::SetDefault, {root, keyPath, false, {}}, text});
}

bool PendingFinding::PlaceWhereStored() {
  const auto place = [&](Place& p) {
    const std::optional<RealKeyPath> stored = StoredKeyPath(s_.registry(), p.root, p.keyPath);
    if (!stored) return false;
    p.root = stored->root;
    p.keyPath = "\\" + stored->path;
    return true;
  };
  for (FixLine& line : lines_)
    if (!place(line.place) || !PathHasRegistryViewNode(line.place.keyPath)) return false;
  for (Place& b : backups_)
    if (!place(b)) return false;
  return true;
}

bool PendingFinding::BuildFixLines() {
  for (const FixLine& line : lines_) {
    const Place& p = line.place;
    bool added = false;
    switch (line.change) {
      case Change::DeleteKey: added = fix_.AddDeleteKey(p.root, p.keyPath); break;
      case Change::DeleteValue: added = fix_.AddKey(p.root, p.keyPath) && fix_.AddDeleteValue(p.name); break;
      case Change::SetDefault: added = fix_.AddKey(p.root, p.keyPath) && fix_.AddString("", line.text); break;
    }
    if (!added) return false;
    changed_.push_back(p);
  }
  return true;
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
  if (s_.InThirtyTwoBitView() && !PlaceWhereStored()) return false;
  if (!BuildFixLines() || fix_.Empty() || backups_.empty() || DeletesProtectedKey(fix_)) return false;
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
  AddFinding(s_, slot_, s_.InThirtyTwoBitView() ? display_ + " " + s_.Text(TextId::Action2ThirtyTwoBitView) : display_,
             entry);
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
