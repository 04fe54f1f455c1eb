// Where notes live and what new ones are called: the data folder, note
// names, date values and patterns, and the path helpers the rest shares.
#pragma once

#include <cstdint>

#include "platform/system.h"

namespace orvel {

inline constexpr char16_t kAppTitle[] = u"Orvel";

// Seconds since 1970-01-01 00:00:00 counted on the local clock: the local
// date and time encoded as if they were UTC. -1 outside 1970-01-01 00:00:00
// to 2038-01-19 03:14:07.
using DateValue = std::int32_t;
inline constexpr DateValue kNoDate = -1;

DateValue EncodeDateValue(const LocalDateTime& time);
// The fields of a date value; all zero for kNoDate.
LocalDateTime DecodeDateValue(DateValue value);

DateValue CurrentDateValue(System& system);

// Replaces the tokens %yyyy %mm %dd %hh %ii %ss (any letter case) by the
// fields of the date value; everything else is copied.
Text FillDatePattern(TextView pattern, DateValue value);

// Everything up to and including the last slash or backslash; empty when
// there is none.
Text PathFolder(TextView path);
// Everything after the last slash or backslash; the whole path when there
// is none; empty when the path ends with one.
Text PathFileName(TextView path);

// -1 nothing there, -2 a folder, else the size in bytes.
std::int64_t QueryPathSize(System& system, const Text& path);

Text ProgramPath(System& system);
// The documents folder with a trailing separator, or empty.
Text DocumentsFolderPath(System& system);

// The base folder (the documents folder when the program's path holds
// "_np", else the program's folder), then "Orvel_data" and a separator.
// Creates that one folder when it is not there; failures are silent.
Text ResolveDataFolder(System& system);

// The data folder, "note_", the present moment as %yyyy%mm%dd_%hh%ii%ss,
// and ".orv".
Text NewNoteName(System& system, const Text& dataFolder);

}  // namespace orvel
