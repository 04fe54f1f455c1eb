#include "settings/settings_store.h"

#include <limits>

namespace orvel {

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// The first key entry of that name before the first group, if any.
template <typename Entries>
auto FindKey(Entries& entries, std::string_view key) -> decltype(&entries[0]) {
  for (auto& entry : entries) {
    if (entry.kind == SettingsEntry::Kind::Group) break;
    if (entry.kind == SettingsEntry::Kind::Key && SameKey(entry.name, key)) return &entry;
  }
  return nullptr;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

bool OpenSettings(SettingsStore& store, System& system, const Text& path) {
  if (store.isOpen) FlushSettings(store, system);
  store = SettingsStore{};
  store.path = path;
  store.isOpen = true;

  const FileMode attempts[] = {
      {FileAccess::ReadWrite, kShareRead, FileDisposition::OpenExisting},
      {FileAccess::Read, kShareRead, FileDisposition::OpenExisting},
      {FileAccess::Read, kShareRead | kShareWrite, FileDisposition::OpenExisting},
  };
  for (std::size_t i = 0; i < std::size(attempts) && !store.file; ++i) {
    store.file = system.OpenFile(path, attempts[i]);
    store.readOnly = i > 0;
  }
  if (!store.file) {
    store.readOnly = false;
    store.withMark = true;
    return false;
  }
  std::string bytes;
  store.file->ReadToEnd(bytes);
  ParsedSettings parsed = ParseSettings(bytes);
  store.entries = std::move(parsed.entries);
  store.withMark = parsed.withMark;
  return true;
}

Text ReadSettingText(const SettingsStore& store, TextView key, TextView defaultText) {
  const SettingsEntry* entry = FindKey(store.entries, TextToUtf8(key));
  if (!entry) return Text(defaultText);
  return Utf8ToText(TrimBlanks(entry->value));
}

std::int32_t ReadSettingInteger(const SettingsStore& store, TextView key,
                                std::int32_t defaultValue) {
  const SettingsEntry* entry = FindKey(store.entries, TextToUtf8(key));
  if (!entry) return defaultValue;
  return SettingIntegerValue(entry->value);
}

std::int32_t SettingIntegerValue(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && IsCSpace(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
    negative = value[i] == '-';
    ++i;
  }
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  std::int64_t magnitude = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (value[i] - '0');
    if (magnitude > -kMin) magnitude = -kMin;  // held: more digits change nothing
  }
  const std::int64_t result = negative ? -magnitude : magnitude;
  return static_cast<std::int32_t>(result > kMax ? kMax : result < kMin ? kMin : result);
}

void WriteSettingText(SettingsStore& store, TextView key, TextView text) {
  const std::string key8 = TextToUtf8(key);
  std::string value8 = TextToUtf8(text);
  if (SettingsEntry* entry = FindKey(store.entries, key8)) {
    entry->name = key8;
    entry->value = std::move(value8);
  } else {
    // New keys go before the first group, which is the end of the list when
    // there is none and the very beginning when the list starts with one.
    auto at = store.entries.begin();
    while (at != store.entries.end() && at->kind != SettingsEntry::Kind::Group) ++at;
    store.entries.insert(at, SettingsEntry{SettingsEntry::Kind::Key, key8, std::move(value8)});
  }
  store.changed = true;
}

void WriteSettingInteger(SettingsStore& store, TextView key, std::int32_t value) {
  WriteSettingText(store, key, DecimalText(value));
}

void FlushSettings(SettingsStore& store, System& system) {
  if (store.isOpen && store.changed) {
    if (store.readOnly) store.file.reset();
    if (!store.file) {
      store.file = system.OpenFile(
          store.path, {FileAccess::ReadWrite, kShareRead, FileDisposition::CreateAlways});
    }
    if (store.file) {
      store.file->Rewind();
      store.file->Write(FormatSettings(store.entries, store.withMark));
      store.file->TruncateHere();
    }
  }
  store = SettingsStore{};  // closes the file and forgets everything
}

}  // namespace orvel
