// The command line: up to five positional parameters (note path, x, y, w, h).
// The number text in which the geometry is written is core/number_text.h.
#pragma once

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

}  // namespace orvel
