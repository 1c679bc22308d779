// Record entry and correction (command 6 of the command processor): how the
// inputs of an entry form become the fields of a record, and how the output
// of a logical check format reads as a verdict. The command itself, which
// reads the record, checks and writes it and reports the outcome, is
// CommandProcessor::EnterRecord in record_entry.cc.
//
// An input of an entry form is a parameter whose upper-cased name contains
// the configured ENTRY_FIELD name (`R21STR`). The part of the name in front
// of it reads, from its first digit on, `<tag>_<position>`: the field tag and
// the field's number in the record (`700_2R21STR`, `x200_1R21STR`,
// `610R21STR`). A value may hold several occurrences separated by `%`.

#ifndef TALOR_NAVIGATOR_RECORD_ENTRY_H_
#define TALOR_NAVIGATOR_RECORD_ENTRY_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "navigator/navigator_settings.h"
#include "navigator/parameters.h"
#include "text/string_list.h"

namespace talor {

// The result of an entry that ended before it wrote anything, either without
// a request or after a message of its own (a failed logical check): nothing
// more is shown.
inline constexpr int32_t kEntryRefused = -9999;

struct EntryInput {
  int32_t tag = 0;   // 0 when the name carries no number: the input is ignored
  int position = 0;  // 0 when the name carries none
  std::string value;

  bool operator==(const EntryInput&) const = default;
};

// The tag and position that the name part `prefix` (the text in front of
// the marker) carries; the value is left empty.
EntryInput ParseEntryInputName(std::string_view prefix);

// The inputs of `params`, in order: every pair whose upper-cased name
// contains `marker` (also one with an empty value).
std::vector<EntryInput> ReadEntryInputs(const ParameterSet& params, std::string_view marker);

// Puts the inputs into `record`, the record read for ENTRY_MFN `entryMfn`
// (an empty record for 0), and cleans it:
//   merge (`merge` and entryMfn > 0)  for each input with a tag above 0 the
//       first occurrence replaces the field at the input's position when that
//       is a field of the record as read and has the input's tag (also with an
//       empty text, which removes it); every other non-empty occurrence is
//       appended as a field with the tag;
//   whole record (otherwise, entryMfn >= 0)  the fields are replaced by the
//       non-empty occurrences of every input with a tag above 0, in order;
//   deletion (entryMfn < 0)  the fields stay as they are.
// Cleaning turns control characters into blanks and removes empty fields.
void ApplyEntryInputs(const std::vector<EntryInput>& inputs, int32_t entryMfn, bool merge,
                      StringList& record);

// Whether a write updates the dictionary at once: ENTRY_ACTUAL absent or 1.
bool UpdatesDictionaryAtOnce(const ParameterSet& params, const NavigatorSettings& settings);

enum class CheckLevel {
  kPass,     // nothing to say
  kWarning,  // the record is written after the message
  kBlock,    // the record is not written
};

struct CheckVerdict {
  CheckLevel level = CheckLevel::kPass;
  std::string message;
};

// The verdict of a logical check format's output lines. A line whose first
// character is `0` and an empty line say nothing; every other line adds its
// text from the second character on, followed by a blank, to the message.
// The level is that of the last such line (`1` blocks, any other character
// warns), except that one blocking line blocks the whole check.
CheckVerdict ReadCheckVerdict(const StringList& output);

}  // namespace talor

#endif  // TALOR_NAVIGATOR_RECORD_ENTRY_H_
