#include "cleaning/residual_page.h"

#include "cleaning/file_walk.h"
#include "cleaning/residual_files.h"

namespace qrv {

namespace {

const std::array<const char*, 4> kMenuExtensions{".TMP", ".BAK", ".$$$", ".OLD"};
const std::array<const char*, 4> kMenuCaptions{"*.tmp", "*.bak", "*.$$$", "*.old"};

std::vector<ReportList::Column> Columns(const LanguageTable& language) {
  return {{"\xE2\x84\x96", 40},
          {language.Text(TextId::Action7Date), 70},
          {language.Text(TextId::Action7Size), 60},
          {language.Text(TextId::Action7FileName), 110},
          {language.Text(TextId::Action7Path), 390}};
}

}  // namespace

ResidualPage::ResidualPage(MainWindow& window)
    : FileListPage(window, "Panel4B",
                   {TextId::ActionsAction7, TextId::Action7FindJunk, TextId::Action7DeleteJunk,
                    TextId::Action2FilesFound, true},
                   Columns(window.App().language)) {
  Panel4BCustomLabel.name = "Panel4BCustomLabel";
  Panel4BCustomLabel.text = window.App().language.Text(TextId::ButtonsSelectCustom);
  Panel4BCustomLabel.font = SelectLabel.font;
  Panel4BCustomLabel.colour = kRed;
  Panel4BCustomLabel.hand = true;
  Panel4BCustomLabel.r = IgnoreLabel.r;
  Panel4BCustomLabel.r.left = IgnoreLabel.r.Right() + 10;
  Panel4BCustomLabel.r.width = window.Measure().Width(Panel4BCustomLabel.text, Panel4BCustomLabel.font) + 2;
  Panel4BCustomLabel.onClick = [this] { Panel4BCustomLabelClick(); };
  Panel4BPopupMenu.name = "Panel4BPopupMenu";
  Panel4BPopupMenu.r = {Panel4BCustomLabel.r.Right(), Panel4BCustomLabel.r.top, 70, 4 * 18 + 4};
  Panel4BPopupMenu.framed = true;
  Panel4BPopupMenu.visible = false;
  for (int i = 0; i < 4; ++i) {
    Label& item = MenuItems[static_cast<std::size_t>(i)];
    item.name = "Panel4BPopupMenuItem" + std::to_string(i + 1);
    item.text = kMenuCaptions[static_cast<std::size_t>(i)];
    item.font = {9, false, false};
    item.hand = true;
    item.visible = false;
    item.r = {Panel4BPopupMenu.r.left + 6, Panel4BPopupMenu.r.top + 2 + 18 * i, 60, 18};
    item.onClick = [this, i] { Panel4BPopupMenuItemClick(i); };
  }
  Panel4BEnter();
}

void ResidualPage::Panel4BCustomLabelClick() {
  const bool show = !Panel4BPopupMenu.visible;
  Panel4BPopupMenu.visible = show;
  for (Label& item : MenuItems) item.visible = show;
}

void ResidualPage::Panel4BPopupMenuItemClick(int item) {
  Panel4BPopupMenu.visible = false;
  for (Label& label : MenuItems) label.visible = false;
  if (window_.App().CancelFlag) return;
  const std::string extension = kMenuExtensions.at(static_cast<std::size_t>(item));
  const auto& paths = window_.App().Slot(1);
  for (std::size_t i = 0; i < InfoList.rows.size() && i < paths.size(); ++i)
    if (UpperExtension(NamePart(paths[i])) == extension) InfoList.rows[i].checked = true;
  ++InfoList.version;
}

std::size_t ResidualPage::Search(const std::string& root) {
  struct Rows : ResidualObserver {
    explicit Rows(ResidualPage& page) : page_(page) {}
    void Scanned(std::size_t count) override { page_.ShowScanned(count); }
    void Found(const ResidualFile& f) override {
      page_.AddRow({std::to_string(page_.InfoList.rows.size() + 1), ListDate(f.lastWrite), ListSize(f.size), f.name,
                    f.folder});
    }
    ResidualPage& page_;
  } rows(*this);
  return FindJunk(window_.App(), window_.Scans(), root, rows);
}

void ResidualPage::AddContents(Scene& scene) {
  FileListPage::AddContents(scene);
  scene.push_back(&Panel4BCustomLabel);
  scene.push_back(&Panel4BPopupMenu);
  for (Label& item : MenuItems) scene.push_back(&item);
}

}  // namespace qrv
