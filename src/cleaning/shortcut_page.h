#pragma once
// The Clean Up tab's third page: shortcuts whose target is gone.
#include <string>

#include "cleaning/file_list.h"

namespace qrv {

class ShortcutPage : public FileListPage {
 public:
  explicit ShortcutPage(MainWindow& window);

  void Enter() override { Panel4CEnter(); }
  void Panel4CEnter() { Reset(window_.App().folders.UserProfileFolder); }

 protected:
  std::size_t Search(const std::string& root) override;
};

}  // namespace qrv
