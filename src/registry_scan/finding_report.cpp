#include "registry_scan/finding_report.h"

#include "engine/backup.h"
#include "engine/fix_script.h"

namespace qrv {

bool ReportFinding(ScanContext& s, int slot, const std::string& displayLine, const FindingBackup& backup,
                   const std::function<bool(RegScript& fix)>& fixLines) {
  RegScript fix(s.app.FixScript.Flavour());
  if (!fixLines(fix) || fix.Empty() || DeletesProtectedKey(fix)) return false;

  RegScript undo(s.app.UndoScript.Flavour());
  const bool backedUp =
      backup.singleValue ? BackupValue(s.platform(), undo, backup.root, backup.keyPath, backup.valueName)
                         : BackupKey(s.platform(), s.app.folders, undo, backup.root, backup.keyPath);
  if (!backedUp) return false;

  AddFinding(s, slot, displayLine);
  s.app.UndoScript.AppendExported(undo.Lines());
  s.app.FixScript.AppendExported(fix.Lines());
  s.app.FixScript.AddBlank();
  return true;
}

std::string FileNotFoundLine(const ScanContext& s, const std::string& what) {
  return s.Text(TextId::Action2FileNotFound) + ": " + what;
}

std::string RelationNotFoundLine(const ScanContext& s, const std::string& what) {
  return s.Text(TextId::Action2RelationNotFound) + " " + what;
}

}  // namespace qrv
