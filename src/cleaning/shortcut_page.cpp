#include "cleaning/shortcut_page.h"

#include "cleaning/shortcuts.h"

namespace qrv {

ShortcutPage::ShortcutPage(MainWindow& window)
    : FileListPage(window, "Panel4C",
                   {TextId::ActionsAction8, TextId::ButtonsScan, TextId::ButtonsRemove, TextId::Action7LnkFound, false},
                   {{window.App().language.Text(TextId::Action7Link), 230},
                    {window.App().language.Text(TextId::Action7Path), 360}}) {
  Panel4CEnter();
}

std::size_t ShortcutPage::Search(const std::string& root) {
  struct Rows : ShortcutObserver {
    explicit Rows(ShortcutPage& page) : page_(page) {}
    void Scanned(std::size_t count) override { page_.ShowScanned(count); }
    void Found(const InvalidShortcut& f) override { page_.AddRow({f.link, f.target}, f.icon.file, f.icon.index); }
    ShortcutPage& page_;
  } rows(*this);
  return FindInvalidShortcuts(window_.App(), window_.Scans(), root, rows);
}

}  // namespace qrv
