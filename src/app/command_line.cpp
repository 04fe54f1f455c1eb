#include "app/command_line.h"

namespace orvel {

std::vector<Text> TokenizeCommandLine(TextView line) {
  std::vector<Text> tokens;
  std::size_t i = 0;
  const std::size_t n = line.size();
  while (true) {
    while (i < n && line[i] == u' ') ++i;
    if (i >= n) break;
    Text token;
    if (line[i] == u'"') {
      const std::size_t close = line.find(u'"', i + 1);
      const std::size_t end = close == TextView::npos ? n : close;
      token = Text(line.substr(i + 1, end - i - 1));
      i = close == TextView::npos ? n : close + 1;
    } else {
      const std::size_t space = line.find(u' ', i);
      const std::size_t end = space == TextView::npos ? n : space;
      token = Text(line.substr(i, end - i));
      i = end;
    }
    tokens.push_back(std::move(token));
  }
  if (!tokens.empty()) tokens.erase(tokens.begin());  // the program's own path
  return tokens;
}

Text CommandLine::NextParameter() {
  if (next_ >= parameters_.size()) return {};
  return parameters_[next_++];
}

}  // namespace orvel
