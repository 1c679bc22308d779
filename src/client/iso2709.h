// ISO 2709 exchange records as the catalogue writes and reads them.
//
// Written record: a 24-byte leader from the template
// "00000000002200000000450 " with the record length in positions 1-5 and
// the base address of the data in positions 13-17 (1-based, zero-padded);
// a directory of 12-byte entries (tag 3 digits, field length 4 digits
// counting the field separator, start in the data area 5 digits) closed by
// kIsoFieldSeparator; the values each followed by kIsoFieldSeparator; and
// kIsoRecordSeparator. Values are written as they are, without indicators.
//
// Only the fields travel (lines from 3 on of the record StringList); a record
// read back is a new record (RecordNew) with those fields.

#ifndef TALOR_CLIENT_ISO2709_H_
#define TALOR_CLIENT_ISO2709_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/exchange_input.h"
#include "text/string_list.h"

namespace talor {

inline constexpr char kIsoFieldSeparator = 0x1E;
inline constexpr char kIsoRecordSeparator = 0x1D;
inline constexpr char kIsoSubfieldDelimiter = 0x1F;
inline constexpr size_t kIsoLeaderLength = 24;
inline constexpr std::string_view kIsoLeaderTemplate = "00000000002200000000450 ";

// With a field selection table, field 999 of a record supplies leader
// positions 6-10 and 18-20 on export, and the leader of a record read comes
// back as a first field 1000.
inline constexpr int32_t kLeaderSourceTag = 999;
inline constexpr int32_t kLeaderFieldTag = 1000;

// Appends the ISO 2709 form of the fields of `record` to `out`. With
// `leaderSource` (the value of field 999), its first five bytes replace
// leader positions 6-10 and its bytes 6-8 positions 18-20; a shorter value
// replaces only what it has. Returns false, with `out` unchanged, when a
// field cannot be written in the fixed widths: a tag outside 0-999, a field
// of more than 9998 bytes, or a record longer than 99999 bytes.
bool WriteIsoRecord(const StringList& record, std::string& out,
                    std::optional<std::string_view> leaderSource = std::nullopt);

// Takes the first field 999 out of `record` and returns its value; nullopt,
// with the record unchanged, when there is none.
std::optional<std::string> TakeLeaderSource(StringList& record);

// Replaces byte `from` by `to` in every field value of `record` (for the
// subfield marks `^` and kIsoSubfieldDelimiter).
void ReplaceInFields(StringList& record, char from, char to);

// Reads ISO 2709 records one at a time. The input ends when fewer than 24
// bytes remain for a leader; line breaks between records are skipped.
class IsoReader {
 public:
  // Reads bytes held by the caller (they must outlive the reader).
  explicit IsoReader(std::string_view bytes) : owned_(std::in_place, bytes), input_(*owned_) {}
  // Reads `input`, which must outlive the reader.
  explicit IsoReader(ExchangeInput& input) : input_(input) {}

  IsoReader(const IsoReader&) = delete;
  IsoReader& operator=(const IsoReader&) = delete;

  enum class Status {
    Record,     // `record` holds the next record
    End,        // no further record
    Malformed,  // the record at this place is broken; error() says how
  };

  // Replaces `record` by the next record. With `keepLeader` the 24-byte
  // leader becomes the first field, tag kLeaderFieldTag. A record whose
  // length, base address or directory does not fit the bytes is Malformed
  // and leaves `record` unchanged; reading then stops (later calls return
  // Malformed again), since the next record cannot be found reliably. A
  // failed read of the file is Malformed too.
  Status Next(StringList& record, bool keepLeader = false);

  // Russian description of the last Malformed record.
  const std::string& error() const { return error_; }
  // Byte offset of the next record (or of the malformed one).
  uint64_t position() const { return input_.offset(); }

 private:
  Status Fail(std::string message);
  void SkipLineBreaks();

  std::optional<ExchangeInput> owned_;
  ExchangeInput& input_;
  std::string error_;
};

}  // namespace talor

#endif  // TALOR_CLIENT_ISO2709_H_
