#include "text/subfields.h"

#include "text/encoding.h"

namespace talor {
namespace {

// Position of the marker of the first subfield with `code`, upper case tried
// first; npos when there is none.
size_t FindSubfield(std::string_view fieldValue, char code) {
  const char upper[] = {kSubfieldMarker, AnsiUpperChar(code)};
  size_t at = fieldValue.find(std::string_view(upper, 2));
  if (at != std::string_view::npos) return at;
  const char lower[] = {kSubfieldMarker, AnsiLowerChar(code)};
  return fieldValue.find(std::string_view(lower, 2));
}

}  // namespace

std::string GetSubfield(std::string_view fieldValue, char code) {
  size_t at = FindSubfield(fieldValue, code);
  if (at == std::string_view::npos) return {};
  std::string_view value = fieldValue.substr(at + 2);
  return std::string(value.substr(0, value.find(kSubfieldMarker)));
}

std::string DeleteSubfield(std::string_view fieldValue, char code) {
  size_t at = FindSubfield(fieldValue, code);
  if (at == std::string_view::npos) return std::string(fieldValue);
  size_t next = fieldValue.find(kSubfieldMarker, at + 2);
  std::string result(fieldValue.substr(0, at));
  if (next != std::string_view::npos) result.append(fieldValue.substr(next));
  return result;
}

}  // namespace talor
