// `&umarci(...)`: operations on linked fields, whose values embed whole
// fields, each starting with `^1` and a three-digit tag.
//
//   4 tag/embedded[^code]  in the occurrence of `tag` given by the iteration
//                          number (1 outside a group): the embedded field's
//                          text after its tag, or one of its subfields
//   0 tag[#occ]            the embedded tags, joined by ","
//   1 tag[#occ]/embedded   the embedded field's text after its tag
//   2 tag[#occ]            the number of embedded fields
//   3 tag[#occ]            the occurrence's own part, before its first `^1`
//   5 tag[#occ]            a heading: subfield a, then ": " and subfield e,
//                          then "; " and each of subfields d, f and c
// An occurrence `*` is the iteration number; a missing one means 1.

#include "client/record.h"
#include "format/uf_library.h"
#include "text/encoding.h"

namespace talor {
namespace {

constexpr std::string_view kEmbeddedMark = "^1";
constexpr size_t kEmbeddedTagLength = 3;

struct LinkedRef {
  int32_t tag = 0;
  int64_t occurrence = 1;
  std::string_view rest;  // after the tag and occurrence
};

LinkedRef ParseLinked(std::string_view text, int32_t iteration, int64_t defaultOccurrence) {
  LinkedRef ref;
  ref.occurrence = defaultOccurrence;
  size_t used = 0;
  ref.tag = static_cast<int32_t>(LeadingNumber(text, &used).value_or(-1));
  text.remove_prefix(used);
  if (text.starts_with('#')) {
    text.remove_prefix(1);
    if (text.starts_with('*')) {
      ref.occurrence = iteration;
      text.remove_prefix(1);
    } else {
      ref.occurrence = LeadingNumber(text, &used).value_or(1);
      text.remove_prefix(used);
    }
  }
  ref.rest = text;
  return ref;
}

std::string OccurrenceValue(const StringList& record, const LinkedRef& ref) {
  if (ref.occurrence < 1 || ref.occurrence > INT32_MAX) return {};
  const int field = RecordFindField(record, ref.tag, static_cast<int>(ref.occurrence));
  return field > 0 ? record[kRecordHeaderLines + field - 1].text : std::string();
}

// The embedded fields of a value: {tag text, text after the tag}.
std::vector<std::pair<std::string_view, std::string_view>> Embedded(std::string_view value) {
  std::vector<std::pair<std::string_view, std::string_view>> fields;
  size_t pos = value.find(kEmbeddedMark);
  while (pos != std::string_view::npos) {
    const size_t start = pos + kEmbeddedMark.size();
    const size_t next = value.find(kEmbeddedMark, start);
    const std::string_view body =
        value.substr(start, next == std::string_view::npos ? next : next - start);
    const size_t tagLength = std::min(kEmbeddedTagLength, body.size());
    fields.emplace_back(body.substr(0, tagLength), body.substr(tagLength));
    pos = next;
  }
  return fields;
}

std::string EmbeddedText(std::string_view value, std::string_view tag) {
  for (const auto& [embeddedTag, text] : Embedded(value)) {
    if (embeddedTag == tag) return std::string(text);
  }
  return {};
}

// The value of subfield `code` (exact code first, then upper-cased).
std::string SubfieldExact(std::string_view text, char code) {
  std::string value;
  if (CopySubfield(text, value, code) == 0) return value;
  if (CopySubfield(text, value, AnsiUpperChar(code)) == 0) return value;
  return {};
}

std::string Heading(std::string_view value) {
  std::string own(value.substr(0, value.find(kEmbeddedMark)));
  std::string heading = SubfieldExact(own, 'a');
  const std::string e = SubfieldExact(own, 'e');
  if (!e.empty()) heading += ": " + e;
  for (char code : {'d', 'f', 'c'}) {
    const std::string part = SubfieldExact(own, code);
    if (!part.empty()) heading += "; " + part;
  }
  return heading;
}

}  // namespace

int32_t UmarciFunction(BuiltinCall& call, std::string& result) {
  std::string_view argument = call.argument.substr(0, kMaxArgument);
  while (!argument.empty() && (argument.back() == '\r' || argument.back() == '\n')) {
    argument.remove_suffix(1);
  }
  if (argument.empty()) return 0;
  const StringList& record = std::as_const(call.interpreter).record();
  const int32_t iteration = call.iteration;
  const char key = argument[0];
  const LinkedRef ref =
      ParseLinked(argument.substr(1), iteration, key == '4' && iteration > 0 ? iteration : 1);
  const std::string value = OccurrenceValue(record, ref);
  switch (key) {
    case '4':
    case '1': {
      std::string_view rest = ref.rest;
      if (!rest.starts_with('/')) return 0;
      rest.remove_prefix(1);
      const size_t caret = rest.find('^');
      const std::string text = EmbeddedText(value, rest.substr(0, caret));
      result = caret == std::string_view::npos || caret + 1 >= rest.size()
                   ? text
                   : SubfieldExact(text, rest[caret + 1]);
      break;
    }
    case '0': {
      std::vector<std::string> tags;
      for (const auto& field : Embedded(value)) tags.emplace_back(field.first);
      result = JoinTexts(tags, ",");
      break;
    }
    case '2':
      result = std::to_string(Embedded(value).size());
      break;
    case '3':
      result = value.substr(0, value.find(kEmbeddedMark));
      break;
    case '5':
      result = Heading(value);
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace talor
