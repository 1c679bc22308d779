// The server's own form of a catalogue record: MFN, status bits, version and
// the fields in order. It converts to and from the wire lines of the protocol
// ("MFN#status", "0#version", "tag#value") and the one-line form (wire lines
// each ended by CR LF, line breaks then encoded as bytes 31 and 30).

#ifndef TALOR_SERVER_STORED_RECORD_H_
#define TALOR_SERVER_STORED_RECORD_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/record_status.h"

namespace talor::server {

// The status bits of a record are the client's.
using talor::kStatusDeleted;
using talor::kStatusLocked;

struct Field {
  int32_t tag = 0;
  std::string value;
  bool operator==(const Field&) const = default;
};

struct StoredRecord {
  int32_t mfn = 0;
  int32_t status = 0;
  int32_t version = 0;
  std::vector<Field> fields;

  bool IsDeleted() const { return (status & kStatusDeleted) != 0; }
  // Values of every occurrence of `tag`, in order.
  std::vector<std::string_view> Values(int32_t tag) const;
  bool operator==(const StoredRecord&) const = default;
};

// Parses a record sent in the one-line form. The first wire line gives MFN
// and status (status parts after the first `#` are summed; no `#`: status 0);
// a line "0#v" gives the version; every other line "tag#value" a field.
// Empty lines are skipped. Nullopt when a number part is not a decimal
// integer, a tag is negative or there is no MFN line.
std::optional<StoredRecord> ParseOneLineRecord(std::string_view oneLine);

// The wire lines joined by CR LF after each, line breaks encoded.
std::string ToOneLine(const StoredRecord& record);
// The wire lines without the MFN line ("0#version", then fields), each
// ended by CR LF and encoded: the stored record as the write answer carries
// it.
std::string ToOneLineWithoutMfn(const StoredRecord& record);
// The plain wire lines, MFN line first.
std::vector<std::string> ToWireLines(const StoredRecord& record);

// The storage encoding of the fields: "tag#value" lines joined by LF.
// Values never hold CR or LF (they cannot travel on the wire).
std::string EncodeFields(const std::vector<Field>& fields);
std::vector<Field> DecodeFields(std::string_view text);

// Removes CR and LF from a value so that it can travel as one wire line.
std::string CleanValue(std::string_view value);

// A number of a request or a stored record, read as the client writes it
// (kWireNumber): one optional sign, digits, 32 bits; nullopt otherwise.
std::optional<int32_t> ParseInt(std::string_view text);

}  // namespace talor::server

#endif  // TALOR_SERVER_STORED_RECORD_H_
