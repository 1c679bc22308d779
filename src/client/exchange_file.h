// Exchange files of records as the export, the import and the converter
// read and write them: one record at a time in the text form or in
// ISO 2709, in one of the exchange code pages. The readers and writers below
// add, to the plain forms of iso2709.h and text_exchange.h, the code-page
// conversion and the subfield marks of files that pass through a field
// selection table.

#ifndef TALOR_CLIENT_EXCHANGE_FILE_H_
#define TALOR_CLIENT_EXCHANGE_FILE_H_

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/exchange_code.h"
#include "client/exchange_input.h"
#include "client/iso2709.h"
#include "client/text_exchange.h"
#include "text/string_list.h"

namespace talor {

enum class ExchangeForm { Text, Iso };

struct ExchangeFormat {
  ExchangeForm form = ExchangeForm::Iso;
  ExchangeCode code = ExchangeCode::Utf8;
  // Records that pass through a field selection table: subfields marked by
  // kIsoSubfieldDelimiter instead of `^` in the file; on writing, field 999
  // carries ISO leader positions and is not written; on reading ISO 2709,
  // the leader comes back as a first field 1000.
  bool isoMarks = false;
};

// The form of a file that begins with `head`: ISO 2709 when it begins with
// five digits and holds a field separator, else the text form.
ExchangeForm GuessExchangeForm(std::string_view head);

class ExchangeFileReader {
 public:
  // Reads `input`, which must outlive the reader.
  ExchangeFileReader(ExchangeInput& input, const ExchangeFormat& format);

  enum class Status { Record, End, Malformed };

  // Replaces `record` by the next record of the file, in UTF-8 with `^`
  // subfield marks. Malformed: an ISO record that cannot be read (reading
  // stops there) or a failed read of the file.
  Status Next(StringList& record);

  // Russian descriptions, each with its place in the file, of what the
  // reader could not take as it stands, gathered since the last call.
  std::vector<std::string> TakeIssues();

 private:
  ExchangeFormat format_;
  std::optional<IsoReader> iso_;  // one of the two
  std::optional<TextExchangeReader> text_;
  size_t issuesTaken_ = 0;  // of text_->issues()
  std::vector<std::string> issues_;
};

class ExchangeFileWriter {
 public:
  // Writes to `file` (not owned, not closed).
  ExchangeFileWriter(std::FILE* file, const ExchangeFormat& format)
      : file_(file), format_(format) {}

  enum class Status {
    Written,
    // ISO 2709 cannot hold it: a tag above 999, a field of more than 9998
    // bytes or a record of more than 99999 bytes. Nothing was written.
    TooLong,
    WriteFailed,
  };

  // Writes the fields of `record` (UTF-8, `^` marks), which it recodes in
  // place. `*missing` is set to the number of characters the code page
  // lacked; they were written as `?`.
  Status Write(StringList& record, size_t* missing);

 private:
  std::FILE* file_;
  ExchangeFormat format_;
  std::string bytes_;  // one record's bytes, reused
};

}  // namespace talor

#endif  // TALOR_CLIENT_EXCHANGE_FILE_H_
