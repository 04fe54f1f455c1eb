// The command line: up to five positional parameters (note path, x, y, w, h)
// and the number text in which the geometry is written.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text.h"

namespace orvel {

// Splits a raw command line into its parameters, the program's own path
// (the first token) left out. Only U+0020 separates; a token that begins
// with a double quote runs to the next one (or the end) without its quotes
// and ends right there; other tokens run to the next space, quotes and all.
std::vector<Text> TokenizeCommandLine(TextView line);

// Hands out parameters one at a time; empty text once none is left.
class CommandLine {
 public:
  CommandLine() = default;
  explicit CommandLine(std::vector<Text> parameters) : parameters_(std::move(parameters)) {}
  Text NextParameter();

 private:
  std::vector<Text> parameters_;
  std::size_t next_ = 0;
};

// Number text: leading spaces and tabs skipped, an optional sign, then
// "$" hexadecimal, "%" binary or decimal digits up to the first other
// character. No digits gives 0; the value wraps in 64 bits.
std::int64_t NumberTextValue(TextView text);

// The low 32 bits of a number, read as a signed 32-bit integer.
std::int32_t Low32(std::int64_t value);

}  // namespace orvel
