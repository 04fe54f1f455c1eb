// The settings store: the settings file read once into memory, read and
// written there during the run, and written back once at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/system.h"
#include "settings/settings_format.h"

namespace orvel {

struct SettingsStore {
  std::vector<SettingsEntry> entries;
  Text path;
  std::unique_ptr<File> file;  // held from OpenSettings to FlushSettings
  bool isOpen = false;
  bool readOnly = false;
  bool changed = false;
  bool withMark = true;
};

// Opens and reads the settings file, holding it open so that other
// programs may only read it. Falls back to reading only (the store is then
// read-only); a file that cannot be opened at all gives an empty store.
// The result says whether the file was opened.
bool OpenSettings(SettingsStore& store, System& system, const Text& path);

Text ReadSettingText(const SettingsStore& store, TextView key, TextView defaultText);
std::int32_t ReadSettingInteger(const SettingsStore& store, TextView key,
                                std::int32_t defaultValue);
void WriteSettingText(SettingsStore& store, TextView key, TextView text);
void WriteSettingInteger(SettingsStore& store, TextView key, std::int32_t value);

// Writes the entries back when anything was written since OpenSettings,
// leaving the file untouched otherwise, and closes the store. Failures are
// silent.
void FlushSettings(SettingsStore& store, System& system);

// A value read as "%d" reads it: optional white space, a sign, decimal
// digits, the rest ignored; 0 when there is no number. Values beyond the
// 32-bit range are held at its ends.
std::int32_t SettingIntegerValue(std::string_view value);

}  // namespace orvel
