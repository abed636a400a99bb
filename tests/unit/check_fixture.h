#pragma once
// A scan fixture that can also carry out the repair the checks queued, and
// undo it, on the in-memory Windows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/backup.h"
#include "engine/fix_script.h"
#include "unit/scan_fixture.h"

namespace qrv::testing {

using Lines = std::vector<std::string>;

class CheckTest : public ::testing::Test, public ScanFixture {
 protected:
  void SetUp() override {
    StartScan();
    app.TempValueScript.Start();
    p.files.AddFolder("C:\\windows\\System32");
    p.files.AddFolder("C:\\windows\\Fonts");
    p.files.AddFolder("C:\\windows\\Media");
  }
  Lines Undo() const { return Tail(app.UndoScript); }
  Lines TempLines() const { return Tail(app.TempValueScript); }
  bool NothingQueued() const {
    for (int slot = 1; slot <= 10; ++slot)
      if (!Slot(slot).empty()) return false;
    return FixLines().empty() && Undo().empty() && TempLines().empty();
  }
  // Imports the fix script as the repair does.
  void Repair() { ASSERT_EQ(ApplyFixScript(p, app.folders, app.FixScript), ApplyResult::Imported); }
  // Imports the backups as the undo manager does.
  void ImportUndo() {
    const std::string file = app.folders.UndoFolder + "\\undo-test.reg";
    ASSERT_TRUE(p.WriteFile(file, UndoFileBytes(app.UndoScript)));
    RunRegistryEditor(p, app.folders, " /s \"" + file + "\"");
  }

 private:
  static Lines Tail(const RegScript& script) {
    const auto& l = script.Lines();
    return {l.begin() + (l.size() >= 2 ? 2 : 0), l.end()};
  }
};

}  // namespace qrv::testing
