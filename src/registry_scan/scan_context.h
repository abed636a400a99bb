#pragma once
// What every registry check works with: the shared lists and flags of the
// program, the platform, and a host that keeps the screen alive while the
// checks run (the main window, or the console program).
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/ignore_list.h"
#include "core/scan_host.h"
#include "core/startup.h"
#include "core/texts.h"
#include "engine/platform.h"
#include "engine/registry_ops.h"

namespace qrv {

struct ScanContext {
  // `thirtyTwoBitView`: the checks read the registry's 32-bit view (a 64-bit
  // program's second pass); otherwise the program's own view.
  ScanContext(AppState& a, ScanHost& h, RegistryView* thirtyTwoBitView = nullptr)
      : app(a), host(h), view32_(thirtyTwoBitView) {}
  AppState& app;
  ScanHost& host;
  int ValuesFound = 0;

  // Files, processes and the rest of Windows; registry reads go to registry().
  Platform& platform() { return app.platform; }
  // The view the checks read.
  RegistryView& registry() { return view32_ != nullptr ? *view32_ : static_cast<RegistryView&>(app.platform); }
  // The pass over the 32-bit view: its findings are named by where the keys
  // are stored (…\Wow6432Node\…) and carried out in the native view.
  bool InThirtyTwoBitView() const { return view32_ != nullptr; }

  // A key a finding may call missing: absent from the view read and, when the
  // program reads both, from the other one too (a ProgID both views share may
  // name a class that only one of them registers).
  bool KeyAbsentFromEveryView(RootKey root, const std::string& keyPath);

  // In the 32-bit pass: whether root\keyPath is a key both views share (or
  // one the system cannot place), which the native pass examines; its walk
  // is left out here. False in the native pass.
  bool SharedWithNativeView(RootKey root, const std::string& keyPath);
  std::string Text(TextId id) const { return app.language.Text(id); }

  // The folders of the machine's and then the user's PATH, expanded, read
  // once per scan at the first bare program name a check looks up
  // (file_probe); `complete` is false when some of it could not be read,
  // expanded or searched, so that a name not found there is not surely gone.
  struct SearchPath {
    std::vector<std::string> folders;
    bool complete = true;
  };
  std::optional<SearchPath> searchPath;

  // What the file system answered during this scan (file_probe), so that each
  // question costs one request: the answer at each path; the folders that a
  // "path not found" showed gone, which answer for every path below them; the
  // names in the Windows folders, listed once where a bare name is looked up,
  // and in any folder asked about often (only a file listed there is taken as
  // present without asking); the type of each drive. A new scan asks afresh.
  // With `remember` false every question goes to the system (the tests
  // compare the two).
  struct FileAnswers {
    struct Answer {
      long error = 0;
      std::uint32_t attributes = 0;
    };
    // Upper-case name -> is a folder; empty when the listing could not be trusted.
    using Names = std::optional<std::unordered_map<std::string, bool>>;
    bool remember = true;
    std::unordered_map<std::string, Answer> paths;  // by the path, a to z upper-cased
    std::unordered_set<std::string> goneFolders;
    std::unordered_map<std::string, Names> folderNames;
    std::unordered_map<std::string, std::uint32_t> questionsIn;  // by the folder, upper-cased
    std::unordered_map<std::string, std::uint32_t> driveTypes;
  };
  FileAnswers files;

  // The user's ignore list, read once per scan at its first question.
  const IgnoreList& Ignored() {
    if (!ignored) ignored = LoadIgnoreList(app.platform);
    return *ignored;
  }
  std::optional<IgnoreList> ignored;

 private:
  RegistryView* view32_;
};

// Where root\keyPath of `view` is stored, as the native view names it;
// nothing when it cannot be opened or the system cannot tell.
std::optional<RealKeyPath> StoredKeyPath(RegistryView& view, RootKey root, const std::string& keyPath);

// n / d rounded to the nearest integer, an exact half to the even neighbour.
long long RoundHalfEven(long long n, long long d);

// Which bar a check moves.
enum class Bar { ByScanMode, RegistryTab, None };

// The per-check progress: percent of the item index, moved only forward.
class CheckProgress {
 public:
  CheckProgress(ScanContext& s, Bar bar) : s_(s), bar_(bar) {}
  void Step(std::size_t index, std::size_t count);
  int LastPercent() const { return last_; }

 private:
  ScanContext& s_;
  Bar bar_;
  int last_ = 0;
};

// The common loop of every check: for each name, process messages once; when
// CancelFlag is false do no more work (the loop runs out); skip empty names;
// move the progress; then run `body` on the name.
void ForEachItem(ScanContext& s, const std::vector<std::string>& names, Bar bar,
                 const std::function<void(const std::string&)>& body);

// A key name that can stand in a key path of a script line as an entry of
// its own: not empty, no backslash (it would name another key), nothing a line
// cannot hold, and not the 32-bit view's node ("Wow6432Node").
bool UsableKeyName(const std::string& name);

// ForEachItem over the subkey names of root\keyPath (none when the key cannot
// be read); `body` runs only on names that UsableKeyName accepts.
void ForEachSubkey(ScanContext& s, RootKey root, const std::string& keyPath, Bar bar,
                   const std::function<void(const std::string&)>& body);

// ForEachItem over the value names of root\keyPath, for the checks whose every
// finding changes that one key: none at all when the repair may not change it.
// `body` runs only on names a script line can hold.
void ForEachValueOfWritableKey(ScanContext& s, RootKey root, const std::string& keyPath, Bar bar,
                               const std::function<void(const std::string&)>& body);

// Appends a finding's display line to its slot, and beside it the entry the
// user may ignore it by.
void AddFinding(ScanContext& s, int slot, const std::string& displayLine, const IgnoreEntry& entry);

// Puts a registry finding of the current results (its slot and line) on the
// ignore list; false when the line has no entry beside it or the list could
// not be written. The results keep the finding until the next scan.
bool IgnoreFinding(AppState& app, int slot, std::size_t line);

// The walk that counts values below root\keyPath (keyPath ends with a
// backslash) into s.ValuesFound; the caller sets ValuesFound to 0 first.
// A key on the way that cannot be opened for reading counts as one value.
void KeyHoldsValues(ScanContext& s, RootKey root, const std::string& keyPath);

// True only when a complete walk found no value anywhere below the key. A walk
// cut short by Stop can miss values, so a cancelled walk never says empty.
bool KeyIsEmpty(ScanContext& s, RootKey root, const std::string& keyPath);

}  // namespace qrv
