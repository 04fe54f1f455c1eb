// Saves a note over and over, alternating two texts of different lengths,
// through the program's own safe write, until it is killed. The driver
// kills it at random instants and checks that the note always holds one of
// the two texts whole.
#include <cstdio>
#include <string>

#include "notes/note_save.h"
#include "platform/system.h"

namespace {

std::string Lines(char letter, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::string(60, letter) + "\r\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: save_probe NOTE READY-FILE\n");
    return 2;
  }
  auto system = orvel::MakePlatformSystem();
  const orvel::Text note = orvel::Utf8ToText(argv[1]);
  const std::string texts[] = {Lines('a', 60), Lines('b', 150)};
  if (std::FILE* ready = std::fopen(argv[2], "w")) std::fclose(ready);
  for (unsigned long round = 0;; ++round) {
    if (!orvel::WriteNoteFile(*system, note, texts[round % 2])) return 1;
  }
}
