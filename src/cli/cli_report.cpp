#include "cli/cli_report.h"

#include <cstdint>

namespace qrv::cli {

namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  std::uint32_t min = 0;
  std::uint32_t cp = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80, cp = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800, cp = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000, cp = lead & 0x07u;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

void AppendEscaped(std::string& out, std::string_view text) {
  static const char* const kHex = "0123456789abcdef";
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    if (length > 1) {
      out.append(text.substr(i, length));
      i += length;
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  out += '"';
}

void AppendPathOrNull(std::string& out, const std::optional<std::string>& path) {
  if (path)
    AppendEscaped(out, *path);
  else
    out += "null";
}

}  // namespace

std::string JsonList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + JsonString(items[i]);
  return out + "]";
}

std::string JsonPathOrNull(const std::string& path) { return path.empty() ? "null" : JsonString(path); }

std::string OnOneLine(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return text;
}

std::string JsonString(std::string_view text) {
  std::string out;
  AppendEscaped(out, text);
  return out;
}

std::string FormatJson(const Report& report) {
  std::string out = "{\"categories\":[";
  for (std::size_t i = 0; i < report.categories.size(); ++i) {
    const CategoryReport& c = report.categories[i];
    if (i > 0) out += ',';
    out += "{\"number\":" + std::to_string(c.number) + ",\"caption\":";
    AppendEscaped(out, c.caption);
    out += ",\"findings\":[";
    for (std::size_t k = 0; k < c.findings.size(); ++k) {
      if (k > 0) out += ',';
      AppendEscaped(out, c.findings[k]);
    }
    out += "]}";
  }
  out += "],\"total\":" + std::to_string(report.total);
  if (report.repair) {
    out += ",\"log\":";
    AppendPathOrNull(out, report.log);
    out += ",\"undo\":";
    AppendPathOrNull(out, report.undo);
    out += ",\"fixed\":" + std::to_string(report.fixed) + ",\"left\":" + JsonList(report.left);
  }
  out += "}\n";
  return out;
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
