#include "text/text_cleaning.h"

#include "text/encoding.h"

namespace talor {
namespace {

// The first line of a record that holds a field.
constexpr size_t kFirstFieldLine = 3;

// Removes the marker until none is left. A removal can only create a new
// occurrence that starts at most marker.size() - 1 bytes before it, so the
// search resumes there: the same result as searching again from the start.
void RemoveNoiseMarkers(std::string& value) {
  size_t from = 0;
  while ((from = value.find(kImportNoiseMarker, from)) != std::string::npos) {
    value.erase(from, kImportNoiseMarker.size());
    size_t back = kImportNoiseMarker.size() - 1;
    from = from >= back ? from - back : 0;
  }
}

}  // namespace

std::string RepeatChar(char c, int n) {
  return n > 0 ? std::string(static_cast<size_t>(n), c) : std::string();
}

std::string ReplaceControlChars(std::string_view text, char replacement) {
  std::string result(text);
  for (char& c : result) {
    if (static_cast<unsigned char>(c) < 32) c = replacement;
  }
  return result;
}

std::string OemToAnsiText(std::string_view oemText) { return OemToAnsi(oemText); }

int CleanRecord(StringList& record, char replacement) {
  int removed = 0;
  // From the last field to the first, so that a removal does not shift the
  // fields still to be visited.
  for (size_t line = record.size(); line > kFirstFieldLine; --line) {
    std::string& value = record[line - 1].text;
    if (!value.empty()) {
      std::string cleaned = ReplaceControlChars(value, replacement);
      RemoveNoiseMarkers(cleaned);
      if (cleaned != value) value = std::move(cleaned);
    }
    if (value.empty()) {
      record.Delete(line - 1);
      ++removed;
    }
  }
  return removed;
}

}  // namespace talor
