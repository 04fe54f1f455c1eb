#include "notes/note_file.h"

#include "notes/locations.h"

namespace orvel {

namespace {

bool EndsWithOrv(TextView path) { return path.size() >= 4 && path.substr(path.size() - 4) == u".orv"; }

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() && bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::int64_t TextLimit(TextView path) { return EndsWithOrv(path) ? 16384 : 65536; }

bool HighlightRule(TextView path) {
  return EndsWithOrv(path) || PathFileName(path).size() == 12 || path.find(u"201") != TextView::npos;
}

bool CaretRule(TextView path) { return path.find(u"\\201") != TextView::npos; }

DecodedNote DecodeNoteFile(std::string_view bytes) {
  using namespace std::string_view_literals;
  DecodedNote note;
  // UTF-16 and UTF-32 marks: the text is not UTF-8 at all.
  if (StartsWith(bytes, "\xFF\xFE"sv) || StartsWith(bytes, "\xFE\xFF"sv) ||
      StartsWith(bytes, "\x00\x00\xFE\xFF"sv)) {
    note.whole = false;
  } else if (StartsWith(bytes, "\xEF\xBB\xBF"sv)) {
    bytes.remove_prefix(3);
  }
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string_view::npos) {
    note.whole = false;
    bytes = bytes.substr(0, zero);
  }
  note.text = Utf8ToText(bytes);
  // Malformed UTF-8 decodes to U+FFFD; an encoded U+FFFD survives the trip.
  if (note.whole && TextToUtf8(note.text) != bytes) note.whole = false;
  return note;
}

std::string EncodeNoteFile(TextView text) { return TextToUtf8(text); }

}  // namespace orvel
