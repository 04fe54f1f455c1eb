// The settings file format, in memory: bytes to entries and back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvel {

// One line of the settings file, held as UTF-8.
struct SettingsEntry {
  enum class Kind { Key, Group, Comment };
  Kind kind = Kind::Key;
  std::string name;   // the key, the group's name or the comment's text
  std::string value;  // a key's value; empty for the other kinds

  friend bool operator==(const SettingsEntry&, const SettingsEntry&) = default;
};

struct ParsedSettings {
  std::vector<SettingsEntry> entries;
  bool withMark = true;  // write the file back with the byte-order mark
};

// Reads a whole settings file: the UTF-8 mark, else Latin-1; any run of CR
// and LF is one break; comment, group and key lines.
ParsedSettings ParseSettings(std::string_view bytes);

// Splits text that is already UTF-8 into entries.
std::vector<SettingsEntry> ParseSettingsLines(std::string_view text);

// The file's bytes: the mark and CR LF when asked for, then each entry in
// its written form followed by CR LF.
std::string FormatSettings(const std::vector<SettingsEntry>& entries, bool withMark);

// The written form of one entry, without its line end.
std::string FormatSettingsEntry(const SettingsEntry& entry);

}  // namespace orvel
