#include "format/format_services.h"

namespace talor {

std::optional<StringList> FormatServer::FormatOnServer(std::string_view, std::string_view,
                                                       const StringList&) {
  return std::nullopt;
}

std::optional<int32_t> FormatServer::LookupTerm(std::string_view, std::string_view) {
  return std::nullopt;
}

std::optional<StringList> FormatServer::ReadRecord(std::string_view, int32_t) {
  return std::nullopt;
}

}  // namespace talor
