// Marking the searched terms in a result page.

#ifndef TALOR_TEXT_TERM_MARKING_H_
#define TALOR_TEXT_TERM_MARKING_H_

#include <string>
#include <string_view>

#include "text/string_list.h"

namespace talor {

inline constexpr std::string_view kMarkOpen = "<b><font color=red>";
inline constexpr std::string_view kMarkClose = "</font></b>";

// Wraps every occurrence of the `terms` (upper-case UTF-8 words; empty ones
// are ignored) in the UTF-8 HTML `page` into kMarkOpen and kMarkClose. The
// page is compared upper-cased (Unicode rules) and byte-wise, without regard
// to word boundaries, so a stem marks every word form that contains it; the
// marked text keeps its own letter case. Nothing is marked inside a tag, nor
// between a marking switch "<.>" or "<!>" and the next one. A partial match
// does not survive a tag. Terms are tried in list order and a failed attempt
// does not restart at the failing byte (AAB is not found in AAAB).
// On return `page` and `copyOut` hold the marked page; on any failure both
// hold the page as it was.
void MarkTerms(std::string& page, const StringList& terms, std::string& copyOut);

}  // namespace talor

#endif  // TALOR_TEXT_TERM_MARKING_H_
