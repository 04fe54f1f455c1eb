#include "notes/locations.h"

namespace orvel {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

Text TwoDigits(int value) {
  return Text{static_cast<char16_t>(u'0' + value / 10 % 10), static_cast<char16_t>(u'0' + value % 10)};
}

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c; }

bool StartsWithToken(TextView text, std::size_t at, TextView token) {
  if (text.size() - at < token.size()) return false;
  for (std::size_t i = 0; i < token.size(); ++i) {
    if (AsciiLower(text[at + i]) != token[i]) return false;
  }
  return true;
}

}  // namespace

DateValue EncodeDateValue(const LocalDateTime& t) {
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 ||
      t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 60) {
    return kNoDate;
  }
  const std::int64_t seconds =
      DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) *
          kSecondsPerDay +
      t.hour * 3600 + t.minute * 60 + t.second;
  if (seconds < 0 || seconds > 0x7FFFFFFF) return kNoDate;
  return static_cast<DateValue>(seconds);
}

LocalDateTime DecodeDateValue(DateValue value) {
  if (value < 0) return {0, 0, 0, 0, 0, 0};
  LocalDateTime t;
  CivilFromDays(value / kSecondsPerDay, t.year, t.month, t.day);
  const int rest = static_cast<int>(value % kSecondsPerDay);
  t.hour = rest / 3600;
  t.minute = rest / 60 % 60;
  t.second = rest % 60;
  return t;
}

DateValue CurrentDateValue(System& system) { return EncodeDateValue(system.LocalTime()); }

Text FillDatePattern(TextView pattern, DateValue value) {
  const LocalDateTime t = DecodeDateValue(value);
  Text out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    if (pattern[i] == u'%') {
      if (StartsWithToken(pattern, i, u"%yyyy")) {
        out += TwoDigits(t.year / 100);
        out += TwoDigits(t.year % 100);
        i += 5;
        continue;
      }
      const struct {
        const char16_t* token;
        int field;
      } twoDigitTokens[] = {{u"%mm", t.month},  {u"%dd", t.day},    {u"%hh", t.hour},
                            {u"%ii", t.minute}, {u"%ss", t.second}};
      bool replaced = false;
      for (const auto& [token, field] : twoDigitTokens) {
        if (StartsWithToken(pattern, i, token)) {
          out += TwoDigits(field);
          i += 3;
          replaced = true;
          break;
        }
      }
      if (replaced) continue;
    }
    out.push_back(pattern[i]);
    ++i;
  }
  return out;
}

Text PathFolder(TextView path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return Text(path.substr(0, i));
  }
  return {};
}

Text PathFileName(TextView path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return Text(path.substr(i));
  }
  return Text(path);
}

std::int64_t QueryPathSize(System& system, const Text& path) {
  if (path.empty()) return kPathMissing;
  return system.PathSize(path);
}

Text ProgramPath(System& system) { return system.ProgramPath(); }

Text DocumentsFolderPath(System& system) {
  Text folder = system.DocumentsFolder().value_or(Text{});
  if (!folder.empty() && !IsSeparator(folder.back())) folder.push_back(system.PathSeparator());
  return folder;
}

// The program's own folder holds the data (a portable copy) unless its path
// says "_np", or it is a folder the user may not write in and holds no data
// folder yet (an installed copy): then the user's documents folder does.
Text ResolveDataFolder(System& system) {
  const Text program = ProgramPath(system);
  const Text programFolder = PathFolder(program);
  const bool installed = QueryPathSize(system, programFolder) == kPathIsFolder &&
                         !system.MayWriteIn(programFolder) &&
                         QueryPathSize(system, programFolder + kAppTitle + u"_data") != kPathIsFolder;
  const bool portable = program.find(u"_np") == Text::npos && !installed;
  const Text base = portable ? programFolder : DocumentsFolderPath(system);
  Text dataFolder = base + kAppTitle + u"_data";
  dataFolder.push_back(system.PathSeparator());
  if (QueryPathSize(system, dataFolder) != kPathIsFolder) {
    Text folder = dataFolder;
    while (!folder.empty() &&
           (folder.back() == u' ' || folder.back() == u'/' || folder.back() == u'\\')) {
      folder.pop_back();
    }
    system.CreateFolder(folder);
  }
  return dataFolder;
}

Text NewNoteName(System& system, const Text& dataFolder) {
  return dataFolder + u"note_" + FillDatePattern(u"%yyyy%mm%dd_%hh%ii%ss", CurrentDateValue(system)) +
         u".orv";
}

}  // namespace orvel
