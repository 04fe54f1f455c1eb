// The settings parser on arbitrary bytes: nothing crashes, and writing the
// entries back and parsing them again gives the same entries.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/settings_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const orvel::ParsedSettings first = orvel::ParseSettings(bytes);
  const std::string written = orvel::FormatSettings(first.entries, first.withMark);
  const orvel::ParsedSettings second = orvel::ParseSettings(written);
  if (second.entries != first.entries || !second.withMark) std::abort();
  // What the program writes is a fixed point.
  if (orvel::FormatSettings(second.entries, second.withMark) != written) std::abort();
  return 0;
}
