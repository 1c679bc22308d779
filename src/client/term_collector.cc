#include "client/term_collector.h"

#include "text/encoding.h"

namespace talor {
namespace {

using Reader = ExchangeResult (CommandSet::*)(std::string_view, std::string_view, int, StringList&);

int CollectTerms(CommandSet& commands, Reader read, std::string_view database,
                 std::string_view startTerm, int n, StringList& result) {
  result.Clear();
  ExchangeResult outcome = ExchangeResult::Good;
  std::string current(startTerm);
  while (n > 0) {
    StringList portion;
    outcome = (commands.*read)(database, current, n, portion);
    if (outcome != ExchangeResult::Good || portion.size() < 2) break;
    for (size_t i = 1; i < portion.size(); ++i) {
      if (portion[i].object != 0) result.Add(portion[i].text, portion[i].object);
    }
    const size_t terms = portion.size() - 1;
    if (terms < static_cast<size_t>(n) || result.size() >= static_cast<size_t>(n)) break;
    const std::string& last = portion[portion.size() - 1].text;
    if (last == current) break;  // no progress: the next portion would be this one again
    current = last;
    // The next portion starts with this term again.
    if (!result.empty() && result[result.size() - 1].text == current) {
      result.Delete(result.size() - 1);
    }
  }
  if (n >= 0) result.Truncate(static_cast<size_t>(n));
  const bool startFound = !result.empty() && result[0].text == Utf8UpperCase(startTerm);
  result.Insert(0, startFound ? "0" : "-1");
  return static_cast<int>(outcome);
}

}  // namespace

int CollectTermsForward(CommandSet& commands, std::string_view database, std::string_view startTerm,
                        int n, StringList& result) {
  return CollectTerms(commands, &CommandSet::ReadTermsForward, database, startTerm, n, result);
}

int CollectTermsBackward(CommandSet& commands, std::string_view database,
                         std::string_view startTerm, int n, StringList& result) {
  return CollectTerms(commands, &CommandSet::ReadTermsBackward, database, startTerm, n, result);
}

}  // namespace talor
