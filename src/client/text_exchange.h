// The text exchange form of records: one line per field, "#tag: value", each
// record closed by a line "*****"; lines end with CR LF. Only the fields
// travel: MFN, status and version stay behind, and a record read back is a
// new record (RecordNew) with those fields. The bytes are the record's own
// (UTF-8 in memory); exchange_code.h converts code pages.

#ifndef TALOR_CLIENT_TEXT_EXCHANGE_H_
#define TALOR_CLIENT_TEXT_EXCHANGE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/exchange_input.h"
#include "text/string_list.h"

namespace talor {

inline constexpr std::string_view kTextRecordEnd = "*****";

// Appends the text form of the fields of `record` (lines from 3 on), closed by
// the "*****" line, to `out`. A record without fields gives the closing line
// alone. A value that holds CR or LF would come back as one value without
// them; values read from files never do.
void WriteTextRecord(const StringList& record, std::string& out);

// Something in the input that the reader could not take as it stands.
struct TextExchangeIssue {
  int line = 0;         // 1-based line number in the input
  std::string message;  // Russian, for the user
};

// Reads records of the text form one at a time. A line "#<positive tag>: value" starts a
// field; any other non-empty line continues the value of the field before it,
// appended without separator; empty lines are skipped. A record ends at a
// "*****" line (blanks after it allowed) or at the end of the input, and the
// last record keeps all its lines even when the closing line is missing.
// Lines that look like a broken field start and lines with no field before
// them are reported as issues (the latter are skipped, having nothing to
// belong to). A UTF-8 byte order mark at the very start is skipped.
class TextExchangeReader {
 public:
  // Reads bytes held by the caller (they must outlive the reader).
  explicit TextExchangeReader(std::string_view bytes);
  // Reads `input`, which must outlive the reader.
  explicit TextExchangeReader(ExchangeInput& input);

  TextExchangeReader(const TextExchangeReader&) = delete;
  TextExchangeReader& operator=(const TextExchangeReader&) = delete;

  // Replaces `record` by the next record: a new record with its fields.
  // False, with `record` unchanged, at the end of the input. Records that
  // hold no field at all (a "*****" line alone) are skipped.
  bool Next(StringList& record);

  // Every issue met so far, in input order.
  const std::vector<TextExchangeIssue>& issues() const { return issues_; }
  // A read of the file failed; the records before it were read.
  bool failed() const { return input_.failed(); }

 private:
  void SkipByteOrderMark();
  // The next line without its line end, valid until the next call; nullopt
  // at the end of the input.
  std::optional<std::string_view> NextLine();
  void Report(std::string message);

  std::optional<ExchangeInput> owned_;
  ExchangeInput& input_;
  int lineNumber_ = 0;
  std::vector<TextExchangeIssue> issues_;
};

}  // namespace talor

#endif  // TALOR_CLIENT_TEXT_EXCHANGE_H_
