#include "settings/settings_format.h"

#include "platform/text.h"

namespace orvel {

namespace {

constexpr std::string_view kMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return text.substr(i);
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && IsBlank(text[n - 1])) --n;
  return text.substr(0, n);
}

SettingsEntry ParseLine(std::string_view line) {
  SettingsEntry entry;
  if (line.front() == ';') {
    line.remove_prefix(1);
    if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    entry.kind = SettingsEntry::Kind::Comment;
    entry.name = line;
  } else if (line.front() == '[') {
    line.remove_prefix(1);
    entry.kind = SettingsEntry::Kind::Group;
    entry.name = line.substr(0, line.find(']'));
  } else {
    const std::size_t equals = line.find('=');
    entry.kind = SettingsEntry::Kind::Key;
    entry.name = TrimTrailingBlanks(line.substr(0, equals));
    if (equals != std::string_view::npos) entry.value = SkipBlanks(line.substr(equals + 1));
  }
  return entry;
}

}  // namespace

std::vector<SettingsEntry> ParseSettingsLines(std::string_view text) {
  std::vector<SettingsEntry> entries;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = text.size();
    // A line of nothing but spaces and tabs is as empty as an empty one.
    const std::string_view line = SkipBlanks(text.substr(i, end - i));
    if (!line.empty()) entries.push_back(ParseLine(line));
    i = end;
    while (i < text.size() && (text[i] == '\r' || text[i] == '\n')) ++i;
  }
  return entries;
}

ParsedSettings ParseSettings(std::string_view bytes) {
  ParsedSettings parsed;
  // Every way in ends with the mark: a marked file, a Latin-1 file that is
  // now written as UTF-8, and an empty or new file.
  parsed.withMark = true;
  if (bytes.size() >= 3 && bytes.substr(0, 3) == kMark) {
    parsed.entries = ParseSettingsLines(bytes.substr(3));
  } else {
    parsed.entries = ParseSettingsLines(Latin1ToUtf8(bytes));
  }
  return parsed;
}

std::string FormatSettingsEntry(const SettingsEntry& entry) {
  switch (entry.kind) {
    case SettingsEntry::Kind::Comment: return "; " + entry.name;
    case SettingsEntry::Kind::Group: return "[" + entry.name + "]";
    case SettingsEntry::Kind::Key: break;
  }
  return entry.name + " = " + entry.value;
}

std::string FormatSettings(const std::vector<SettingsEntry>& entries, bool withMark) {
  std::string out;
  if (withMark) {
    out += kMark;
    out += "\r\n";
  }
  for (const SettingsEntry& entry : entries) {
    out += FormatSettingsEntry(entry);
    out += "\r\n";
  }
  return out;
}

}  // namespace orvel
