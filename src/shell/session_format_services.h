// The format engine's outside services backed by the session's command set:
// database text files come through the resource cache, and what the engine
// cannot evaluate is formatted by the catalogue server.

#ifndef TALOR_SHELL_SESSION_FORMAT_SERVICES_H_
#define TALOR_SHELL_SESSION_FORMAT_SERVICES_H_

#include "client/command_set.h"
#include "format/format_services.h"

namespace talor {

class SessionFormatServices final : public FormatFileReader, public FormatServer {
 public:
  explicit SessionFormatServices(CommandSet& commands) : commands_(commands) {}

  // The file's lines as the resource cache holds them, each followed by
  // CR LF. nullopt when the server could not deliver it.
  std::optional<std::string> ReadTextFile(int pathNumber, std::string_view database,
                                          std::string_view name) override;

  // Command G with the record itself (mode -2). nullopt when the exchange
  // fails or another one runs.
  std::optional<StringList> FormatOnServer(std::string_view database, std::string_view formatSpec,
                                           const StringList& record) override;

  // The MFN of the term's first posting (command I); 0 when the server
  // reports the term absent.
  std::optional<int32_t> LookupTerm(std::string_view database, std::string_view term) override;

  // Command C without lock.
  std::optional<StringList> ReadRecord(std::string_view database, int32_t mfn) override;

 private:
  CommandSet& commands_;
};

}  // namespace talor

#endif  // TALOR_SHELL_SESSION_FORMAT_SERVICES_H_
