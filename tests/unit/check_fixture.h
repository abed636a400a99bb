#pragma once
// A check run on the in-memory Windows, with the repair and the undo it
// prepares carried out by the fake registry editor, so that a test can see
// what a repair deletes and, above all, what it leaves.
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
  // The backup lines after the header.
  Lines UndoLines() const { return Tail(app.UndoScript); }
  Lines TempLines() const { return Tail(app.TempValueScript); }
  // No finding, fix line, backup or temporary-value line; on failure, says
  // the first thing that was queued.
  ::testing::AssertionResult NothingQueued() const {
    for (int slot = 1; slot <= 10; ++slot)
      if (!Slot(slot).empty()) return ::testing::AssertionFailure() << "slot " << slot << ": " << Slot(slot).front();
    for (const Lines& lines : {FixLines(), UndoLines(), TempLines()})
      if (!lines.empty()) return ::testing::AssertionFailure() << "script line: " << lines.front();
    return ::testing::AssertionSuccess();
  }
  // The repair: the fix script imported by the registry editor.
  void Repair() { ASSERT_EQ(ApplyFixScript(p, app.folders, app.FixScript), ApplyResult::Imported); }
  // The undo file of that repair imported again, as the undo manager does.
  void ImportUndo() {
    const std::string file = app.folders.UndoFolder + "\\undo-test.reg";
    ASSERT_TRUE(p.files.WriteFile(file, UndoFileBytes(app.UndoScript)));
    ASSERT_TRUE(RunRegistryEditor(p, app.folders, " /s \"" + file + "\""));
  }
  bool Has(RootKey root, const std::string& key) const { return p.registry.HasKey(root, key); }
  bool HasValue(RootKey root, const std::string& key, const std::string& name) const {
    return p.registry.GetValue(root, key, name).has_value();
  }

 private:
  static Lines Tail(const RegScript& script) {
    const auto& l = script.Lines();
    return {l.begin() + (l.size() >= 2 ? 2 : 0), l.end()};
  }
};

}  // namespace qrv::testing
