// The search expression of command 2: the search fields of a page turned into
// the server's search language (dictionary prefixes, truncation, qualifiers,
// operators), the readable query the result page shows, and the words to
// mark in the hits. A refined search is combined with the previous one.
//
// Pure text work: the stop words and the selection come from the caller, so
// the same code serves the navigator and `talor-tool url --search`.

#ifndef TALOR_NAVIGATOR_SEARCH_EXPRESSION_H_
#define TALOR_NAVIGATOR_SEARCH_EXPRESSION_H_

#include <functional>
#include <string>
#include <vector>

#include "navigator/navigator_settings.h"
#include "navigator/parameters.h"
#include "text/string_list.h"

namespace talor {

struct SearchExpression {
  std::string expression;  // empty: browse by MFN
  std::string query;       // the readable query, UTF-8
  std::string markWords;   // `|`-separated words to mark
  std::string termPrefix;  // the PREFIX of the last field that gave terms
};

struct SearchSources {
  // The stop words of the database, UTF-8, one a line; asked at most once,
  // and only when a field splits its value into words.
  std::function<StringList()> stopWords;
  // The lines of the current selection (GetSelection).
  std::function<StringList()> selection;
};

// Builds the expression from the search fields of `params`. `markWords`
// holds the mark words of the page before the search (they are extended).
// `sexp` and `query` are the SEXP and QUERY parameters already unescaped.
SearchExpression BuildSearchExpression(const ParameterSet& params,
                                       const NavigatorSettings& settings,
                                       const SearchSources& sources, std::string markWords,
                                       const std::string& sexp, const std::string& query);

}  // namespace talor

#endif  // TALOR_NAVIGATOR_SEARCH_EXPRESSION_H_
