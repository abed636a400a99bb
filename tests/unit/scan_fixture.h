#pragma once
// A registry scan on the in-memory Windows: the application state as the
// main window holds it, and a host whose message pump can run a chosen action
// (a Stop click, say) at a chosen moment.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/startup.h"
#include "fake/fake_platform.h"
#include "registry_scan/scan_context.h"
#include "unit/fixture.h"

namespace qrv::testing {

class ScriptedHost : public ScanHost {
 public:
  void ProcessMessages() override {
    ++pumps;
    auto it = actions.find(pumps);
    if (it != actions.end()) it->second();
  }
  void SetProgressWidth(int bar, int pixels) override { widths.push_back({bar, pixels}); }

  int pumps = 0;
  // Run at the given pump (counted from 1).
  std::map<int, std::function<void()>> actions;
  struct Width {
    int bar;
    int pixels;
  };
  std::vector<Width> widths;
};

class ScanFixture {
 public:
  ScanFixture() : app(p), s(app, host) {
    app.folders = EngineFolders(p);
    app.ScanMode = 3;
  }
  // What a scan driver does before the checks run.
  void StartScan() {
    for (auto& slot : app.FindingList) slot.clear();
    app.FixScript.Start();
    app.UndoScript.Start();
    app.CancelFlag = true;
  }
  const std::vector<std::string>& Slot(int n) const { return app.FindingList.at(static_cast<std::size_t>(n)); }
  // The fix lines after the header.
  std::vector<std::string> FixLines() const {
    const auto& l = app.FixScript.Lines();
    return {l.begin() + (l.size() >= 2 ? 2 : 0), l.end()};
  }

  fake::FakePlatform p;
  AppState app;
  ScriptedHost host;
  ScanContext s;
};

}  // namespace qrv::testing
