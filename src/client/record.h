// The catalogue record: a StringList laid out as
//
//   line 0   result code of the last server operation ("0" for a good record)
//   line 1   status flags in decimal; the line's integer is the MFN
//   line 2   version number in decimal
//   line 3+  one field a line: text = value, integer = tag
//
// Fields are numbered from 1 (field k is line k + 2) and keep the order in
// which the server sent them; a tag may repeat. A value is UTF-8; a subfield
// starts with `^` and a one-character code and runs to the next `^`. A record
// that the server did not deliver is one line holding the negative result
// code (for kRecordAbsent a second line "-605" carries the MFN asked for).
//
// Text forms (see docs/protocol.md):
//   wire lines     "MFN#status", "0#version", then "tag#value" per field;
//   one-line form  the wire lines each followed by CR LF, then line breaks
//                  encoded (CR -> byte 31, LF -> byte 30);
//   record text    line 0, then "integer#text" for every further line,
//                  joined and encoded like the one-line form.
//
// Every function is a free function without state, throws nothing and
// reports failure through its result as documented.

#ifndef TALOR_CLIENT_RECORD_H_
#define TALOR_CLIENT_RECORD_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "client/record_status.h"
#include "client/result_codes.h"
#include "text/string_list.h"

namespace talor {

// Lines before the first field.
inline constexpr int kRecordHeaderLines = 3;

// Clears `record` and writes the empty record: "0"; "0" with MFN 0; "0".
// Returns 0.
int RecordNew(StringList& record);

// The MFN when line 1's text is a non-negative decimal integer and its
// integer is not negative; 0 otherwise; -1 when the record has 2 lines or
// fewer.
int32_t RecordMfn(const StringList& record);

// True when the record has a line 1 whose status (a decimal integer; 0 when
// it is not one) has kStatusDeleted set.
bool RecordIsDeleted(const StringList& record);

// Sets kStatusDeleted. 0 when it set it; -1 (record unchanged) when it was
// already set, the status is not a decimal integer or there is no line 1.
int RecordMarkDeleted(StringList& record);
// Clears kStatusDeleted. 0 when it cleared it; -1 (record unchanged) when it
// was not set, the status is not a decimal integer or there is no line 1.
int RecordUndelete(StringList& record);

// Line count minus 3; negative for a record that was not delivered.
int RecordFieldCount(const StringList& record);

// The tag of field `field` (1-based); -1 when it is below 1 or above the
// field count.
int32_t RecordFieldTag(const StringList& record, int field);

// Number of fields with `tag`; 0 when the tag is negative.
int RecordTagCount(const StringList& record, int32_t tag);

// Field number of occurrence `occurrence` (1-based) of `tag`; -1 when the tag
// is negative, the occurrence is below 1, or there is no such occurrence.
int RecordFindField(const StringList& record, int32_t tag, int occurrence);

// The value of field `field` or a part of it. Field 0 reads line 2 (the
// version). Empty when the number is negative or above the field count.
//   empty spec  the whole value;
//   "*..."      the leading part: the value before its first `^`;
//   codes       for each character of `spec` in order, the value of the
//               first subfield with that code in upper case (Windows-1251
//               case rules) or, when there is none, in lower case; non-empty
//               values are concatenated without separator.
std::string RecordFieldText(const StringList& record, int field, std::string_view spec);

// Inserts a field before field `field`; appends it when the number is below 1
// or above the field count. 0, or -1 (record unchanged) when the record has
// fewer than the three header lines.
int RecordInsertField(StringList& record, int32_t tag, int field, std::string value);

// Replaces the value of field `field`; an empty value deletes the field, so
// every later field's number drops by one. 0, or -1 (record unchanged) when
// the number is below 1 or above the field count.
int RecordSetField(StringList& record, int field, std::string value);

// Replaces the value of field `field`, also with an empty value. 0, or -1
// (record unchanged) when the number is below 1 or above the field count.
int RecordPutField(StringList& record, int field, std::string value);

// Deletes lines from the end until at most 3 remain.
void RecordTruncate(StringList& record);

// Copies the value of the first subfield `^code` (exact, case-sensitive) of
// `value` into `destination`: from after the code to before the next `^` or
// the end. 0, or -1 (destination unchanged) when there is none.
int CopySubfield(std::string_view value, std::string& destination, char code);

// Fills `destination` with the wire lines of `record` (line 0 is not part of
// them). Returns 0; -1 with `destination` cleared when the record has fewer
// than three lines or a line's text holds CR, LF or the bytes 30 or 31 (it
// could not travel as one wire line and come back unchanged).
int RecordToWire(StringList& destination, const StringList& record);

// The one-line form; empty when RecordToWire fails.
std::string RecordToLine(const StringList& record);

// The record-text form (all lines, line 0 included); empty for an empty list
// or when a line's text holds CR, LF or the bytes 30 or 31.
std::string RecordToText(const StringList& record);

// Replaces `record` by the record that `text` (a record-text form) holds:
// line 0 keeps its text; every further line is split at its first `#` into
// integer (0 when it is not a decimal integer) and text, and a line without
// `#` becomes its value as integer with empty text.
void RecordFromText(std::string_view text, StringList& record);

// Replaces `record` by the record that a read answer holds. `answer` is the
// complete answer including its ten header lines, so the answer proper starts
// at line 10 (the return code). A non-zero return code in an answer of at
// most 11 lines gives the one-line record. A part that must be a decimal
// integer and is not one ends the reading with a final line "-2222"
// (kUnreadableAnswer); an answer without line 10 gives the one-line record
// "-2222". Always returns 0.
int RecordFromAnswer(const StringList& answer, StringList& record);

}  // namespace talor

#endif  // TALOR_CLIENT_RECORD_H_
