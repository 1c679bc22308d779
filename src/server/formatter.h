// Server-side formatting of records. A Formatter runs a format text (already
// loaded: no `@name`, no includes) against one record of a database and
// returns its output, lines separated by CR LF.
//
// BasicFormatter is the server's built-in engine for the plain field
// selections that field selection tables, exports and the record-image links
// use (docs/server-storage.md lists what it understands). A format it does
// not understand yields ReturnCode::FormatFailed instead of a wrong text.

#ifndef TALOR_SERVER_FORMATTER_H_
#define TALOR_SERVER_FORMATTER_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "server/stored_record.h"

namespace talor::server {

struct FormatOutput {
  int32_t code = 0;  // 0, or a negative return code
  std::string text;  // lines separated by CR LF; no line break after the last
};

class Formatter {
 public:
  virtual ~Formatter() = default;
  virtual FormatOutput Format(const StoredRecord& record, std::string_view database,
                              std::string_view formatText) = 0;
};

class BasicFormatter : public Formatter {
 public:
  FormatOutput Format(const StoredRecord& record, std::string_view database,
                      std::string_view formatText) override;
};

}  // namespace talor::server

#endif  // TALOR_SERVER_FORMATTER_H_
