#pragma once
// The Clean Up tab's second page: residual files below a chosen folder.
#include <array>
#include <string>

#include "cleaning/file_list.h"

namespace qrv {

class ResidualPage : public FileListPage {
 public:
  explicit ResidualPage(MainWindow& window);

  void Enter() override { Panel4BEnter(); }
  void Panel4BEnter() { Reset("C:\\"); }
  void Panel4BCustomLabelClick();
  // Item 0 to 3: "*.tmp", "*.bak", "*.$$$", "*.old".
  void Panel4BPopupMenuItemClick(int item);

  Label Panel4BCustomLabel;
  Panel Panel4BPopupMenu;
  std::array<Label, 4> MenuItems;

 protected:
  std::size_t Search(const std::string& root) override;
  void AddContents(Scene& scene) override;
};

}  // namespace qrv
