#pragma once
// What a long scan asks of whoever runs it.

namespace qrv {

// The caller of a scan: the window pumps its messages (Stop runs in there)
// and draws the progress bars; the console program does neither.
class ScanHost {
 public:
  virtual ~ScanHost() = default;
  virtual void ProcessMessages() = 0;
  // Width in pixels of the fill of bar 2 (Home scan, kScanModeHome) or 3
  // (Registry tab, kScanModeRegistry).
  virtual void SetProgressWidth(int bar, int pixels) = 0;
};

// A host that draws nothing: scans run to their end unless CancelFlag is
// cleared by the caller.
class QuietScanHost : public ScanHost {
 public:
  void ProcessMessages() override {}
  void SetProgressWidth(int, int) override {}
};

}  // namespace qrv
