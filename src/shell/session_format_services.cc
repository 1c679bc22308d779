#include "shell/session_format_services.h"

#include "client/decimal.h"

namespace talor {

std::optional<std::string> SessionFormatServices::ReadTextFile(int pathNumber,
                                                               std::string_view database,
                                                               std::string_view name) {
  StringList lines;
  if (commands_.ReadCachedText(pathNumber, database, name, lines) != ExchangeResult::Good) {
    return std::nullopt;
  }
  return lines.Text();
}

std::optional<StringList> SessionFormatServices::FormatOnServer(std::string_view database,
                                                                std::string_view formatSpec,
                                                                const StringList& record) {
  StringList result;
  if (commands_.FormatClientRecord(database, formatSpec, record, result) != ExchangeResult::Good) {
    return std::nullopt;
  }
  return result;
}

std::optional<int32_t> SessionFormatServices::LookupTerm(std::string_view database,
                                                         std::string_view term) {
  StringList postings;
  if (commands_.ReadPostings(database, term, 1, postings, 1) != ExchangeResult::Good) {
    return std::nullopt;
  }
  if (postings.size() < 2 || DecimalOrZero(postings[0].text) != 0) return 0;
  const std::string& first = postings[1].text;
  return DecimalOrZero(std::string_view(first).substr(0, first.find('#')));
}

std::optional<StringList> SessionFormatServices::ReadRecord(std::string_view database,
                                                            int32_t mfn) {
  StringList record;
  if (commands_.ReadRecord(database, mfn, false, record) != ExchangeResult::Good) {
    return std::nullopt;
  }
  return record;
}

}  // namespace talor
