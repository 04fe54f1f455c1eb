// Note files: the size limit, which notes are painted, and the bytes on disk.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text.h"

namespace orvel {

// 16384 for a path ending exactly in ".orv", 65536 for any other.
std::int64_t TextLimit(TextView path);

// Whether the digits of the note at this path are painted: ".orv", a file
// name of twelve characters, or "201" anywhere in the path.
bool HighlightRule(TextView path);

// Whether the caret goes to the end after loading: "\201" in the path.
bool CaretRule(TextView path);

struct DecodedNote {
  Text text;
  // The editor can hold all of the file: no UTF-16 or UTF-32 mark, no zero
  // byte, valid UTF-8 throughout. Saving a file that is not whole would
  // destroy what the editor never showed.
  bool whole = true;
};

// A UTF-8 mark is skipped; the rest decoded as UTF-8, line breaks as they
// are.
DecodedNote DecodeNoteFile(std::string_view bytes);

// The editor's text as the file holds it: UTF-8, no mark.
std::string EncodeNoteFile(TextView text);

}  // namespace orvel
