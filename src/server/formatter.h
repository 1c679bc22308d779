// Server-side formatting of records. A Formatter runs a format text (already
// loaded: no `@name`, no includes) against one record of a database and
// returns its output, lines separated by CR LF.
//
// The server answers requests with EngineFormatter (engine_formatter.h).
// BasicFormatter is a small formatter for plain field selections with fixed
// output, independent of the engine (docs/server-storage.md lists what it
// understands); a format it does not understand yields
// ReturnCode::FormatFailed instead of a wrong text.

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

class Storage;

class Formatter {
 public:
  virtual ~Formatter() = default;
  // Gives the formatter the storage that `REF` and `L` read; before serving.
  virtual void Bind(Storage* /*storage*/) {}
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
