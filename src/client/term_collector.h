// Gathering dictionary terms with their posting counts over as many term
// requests as it takes.

#ifndef TALOR_CLIENT_TERM_COLLECTOR_H_
#define TALOR_CLIENT_TERM_COLLECTOR_H_

#include <string_view>

#include "client/command_set.h"
#include "text/string_list.h"

namespace talor {

// Collects up to `n` terms whose posting count is not 0, reading the
// dictionary forward from `startTerm` in portions of `n`. The result is a
// marker line — "0" when the first term equals `startTerm` upper-cased
// (Unicode rules on UTF-8), "-1" otherwise or when nothing was found —
// followed by the terms, each with its count as integer. Returns the exchange
// result of the last request (Good, Failed or Busy); terms collected before a
// failure stay in the list. Stops when a portion makes no progress, so a
// dictionary that keeps answering with the same term cannot hold it forever.
int CollectTermsForward(CommandSet& commands, std::string_view database, std::string_view startTerm,
                        int n, StringList& result);
// The same reading backward; the terms come in descending order.
int CollectTermsBackward(CommandSet& commands, std::string_view database,
                         std::string_view startTerm, int n, StringList& result);

}  // namespace talor

#endif  // TALOR_CLIENT_TERM_COLLECTOR_H_
