#include "cli/cli_report.h"

#include "cli/cli_json.h"

namespace qrv::cli {

std::string CountText(const LanguageTable& language, std::size_t count, TextId what) {
  return std::to_string(count) + " " + language.Text(what);
}

std::string OnOneLine(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return text;
}

std::string FormatJson(const Report& report) {
  Json categories = Json::array();
  for (const CategoryReport& c : report.categories)
    categories.push_back({{"number", c.number}, {"caption", c.caption}, {"findings", c.findings}});
  Json out = {{"categories", std::move(categories)}, {"total", report.total}};
  if (report.repair) {
    out["log"] = PathOrNull(report.log);
    out["undo"] = PathOrNull(report.undo);
    out["fixed"] = report.fixed;
    out["left"] = report.left;
  }
  return JsonLine(out);
}

std::string FormatText(const Report& report) {
  std::string out;
  for (const CategoryReport& c : report.categories) {
    out += c.caption + ": " + c.result + "\n";
    for (const std::string& line : c.findings) out += "    " + OnOneLine(line) + "\n";
  }
  out += "Total: " + report.totalText + "\n";
  for (const std::string& message : report.messages) out += message + "\n";
  if (report.repair) {
    for (const std::string& line : report.left) out += "    " + OnOneLine(line) + "\n";
    out += "Log: " + report.log.value_or("(none)") + "\n";
    out += "Undo: " + report.undo.value_or("(none: nothing needed a backup)") + "\n";
  }
  return out;
}

}  // namespace qrv::cli
