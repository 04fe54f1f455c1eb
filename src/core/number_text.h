// Number text: how the command line's geometry and the run count are read.
// It lives here rather than beside the command line because notes/ needs
// Low32 too, and no module may reach back into app/ for it.
#pragma once

#include <cstdint>

#include "platform/text.h"

namespace orvel {

// Number text: leading spaces and tabs skipped, an optional sign, then
// "$" hexadecimal, "%" binary or decimal digits up to the first other
// character. No digits gives 0; the value wraps in 64 bits.
std::int64_t NumberTextValue(TextView text);

// The low 32 bits of a number, read as a signed 32-bit integer.
std::int32_t Low32(std::int64_t value);

}  // namespace orvel
