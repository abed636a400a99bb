#pragma once
// What the console program prints: the categories of a scan with their
// findings, the total and, after a repair, the log and undo files; as text
// for a person or as one JSON object for a program.
#include <optional>
#include <string>
#include <vector>

#include "core/language.h"

namespace qrv::cli {

struct CategoryReport {
  int number = 0;
  std::string caption;   // in the user's language
  std::string result;    // the page's count text ("2 errors detected", "2 problems fixed")
  std::vector<std::string> findings;  // display lines
};

struct Report {
  std::vector<CategoryReport> categories;
  int total = 0;
  std::string totalText;  // the page's total text
  bool repair = false;    // a fix ran: log, undo, fixed and left belong to the report
  int fixed = 0;          // the findings gone from the registry after the import
  std::vector<std::string> left;  // the findings the import left in place
  std::optional<std::string> log;
  std::optional<std::string> undo;  // none when nothing needed backing up
  std::vector<std::string> messages;  // what the page told the user
};

// "N " and the language's text of `what`: a count as the pages show it
// ("2 errors detected").
std::string CountText(const LanguageTable& language, std::size_t count, TextId what);

// Text output keeps one finding on one line: control characters become blanks.
std::string OnOneLine(std::string text);

// {"categories":[{"number":1,"caption":"…","findings":["…"]},…],"total":N}
// and, after a repair, "log" and "undo" (a path or null), "fixed" (the count
// gone from the registry) and "left" (the findings still there). One line,
// ending in a line feed.
std::string FormatJson(const Report& report);

// Each category's caption and count, its findings indented below it, the
// total, the messages and, after a repair, the log and undo files.
std::string FormatText(const Report& report);

}  // namespace qrv::cli
