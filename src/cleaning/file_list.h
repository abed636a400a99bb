#pragma once
// What the residual file page and the shortcut page share: a search root
// picked with the folder picker, a list of found files with tick boxes, the
// selection links, and the search / remove / cancel buttons. Each page says
// what its search is; deletion is the same for both.
#include <cstdint>
#include <string>
#include <vector>

#include "core/page.h"
#include "core/texts.h"

namespace qrv {

class FileListPage : public Page {
 public:
  struct Texts {
    TextId title;
    TextId search;       // the first button's caption
    TextId remove;       // the second button's caption
    TextId found;        // the result line after a search
    bool clearResultOnRemove;  // the residual page empties it, the shortcut page keeps it until the first deletion
  };
  FileListPage(MainWindow& window, const std::string& prefix, const Texts& texts,
               std::vector<ReportList::Column> columns);

  void ButtonDirClick();     // Panel4xButtonDirClick
  void Button1Click();       // the search
  void Button2Click();       // the removal of the ticked rows
  void CancelButtonClick();  // the shared Cancel
  void SelectLabelClick();
  void DeselectLabelClick();
  // Puts the selected row's file on the ignore list: no search lists it again.
  void IgnoreLabelClick();
  void SetRoot(const std::string& folder);
  const std::string& Root() const { return Edit1.text; }

  Label ActionLabel;
  Label Label2;      // folder caption
  Panel EditFrame;
  Label Edit1;       // the read-only folder box
  ImageButton ButtonDir;
  Label Label1;      // result line
  ReportList InfoList;
  Label SelectLabel;
  Label DeselectLabel;
  Label IgnoreLabel;
  ImageButton Button1;
  ImageButton Button2;
  ImageButton Button3;
  ButtonGroup Buttons;

 protected:
  // Runs the page's search of root into slot 1, adding rows with AddRow;
  // returns the number of files looked at.
  virtual std::size_t Search(const std::string& root) = 0;
  void AddRow(std::vector<std::string> cells, const std::string& iconFile = {}, int iconIndex = 0);
  void ShowScanned(std::size_t scanned);
  // The page's idle state with an empty list and the given root.
  void Reset(const std::string& root);
  void AddContents(Scene& scene) override;
  MainWindow& window_;

 private:
  void ShowIdle();
  // Whether the rows still stand for the slot this page's search filled;
  // otherwise says so and empties the list.
  bool RowsStillCurrent();
  Texts texts_;
  bool dirEnabled_ = true;
  // The search the rows show (AppState::HoldsResultsOf).
  ResultsOwner owner_ = ResultsOwner::None;
  std::uint64_t stamp_ = 0;
};

}  // namespace qrv
