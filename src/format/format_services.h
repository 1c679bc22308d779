// What the format engine needs from the world outside a record: the text
// files of a database (format files and includes) and a catalogue server that
// can format what the engine cannot (the `L` dictionary lookup, another
// record for `REF`, and the whole format when the engine gives up with error
// 999). The navigator backs them with its command set, the reference server
// with its own storage, talor-tool with a directory. Neither is required: a
// missing reader reads nothing, a missing server leaves error 999 standing.

#ifndef TALOR_FORMAT_FORMAT_SERVICES_H_
#define TALOR_FORMAT_FORMAT_SERVICES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/string_list.h"

namespace talor {

// The path number of a database's own directory.
inline constexpr int kDatabasePath = 10;

class FormatFileReader {
 public:
  virtual ~FormatFileReader() = default;

  // The bytes of text file `name` (as stored: Windows-1251 unless the text
  // starts with `!`) from place `database` under path number `pathNumber`.
  // nullopt when the file cannot be delivered.
  virtual std::optional<std::string> ReadTextFile(int pathNumber, std::string_view database,
                                                  std::string_view name) = 0;
};

class FormatServer {
 public:
  virtual ~FormatServer() = default;

  // Formats `record` on the server with `formatSpec` ("@name" or "!text").
  // The answer's lines: the return code first, then the output lines.
  // nullopt when no server can be asked.
  virtual std::optional<StringList> FormatOnServer(std::string_view database,
                                                   std::string_view formatSpec,
                                                   const StringList& record);

  // The MFN of the first record that `term` leads to in the dictionary of
  // `database`, 0 when the term is not there. nullopt when this side cannot
  // look terms up (the engine then sets error 999).
  virtual std::optional<int32_t> LookupTerm(std::string_view database, std::string_view term);

  // Record `mfn` of `database` (a record that does
  // not exist is one line with a negative code). nullopt when this side
  // cannot read records (the engine then sets error 999).
  virtual std::optional<StringList> ReadRecord(std::string_view database, int32_t mfn);
};

}  // namespace talor

#endif  // TALOR_FORMAT_FORMAT_SERVICES_H_
