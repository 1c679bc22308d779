// Evaluates a parsed search expression against a term index and gives the
// matching MFNs.
//
// Sets of records carry the operators: OR, AND and AND-NOT are unions,
// intersections and differences of compressed MFN sets, so a count needs no
// positions. Postings (tag, occurrence, position) are read only where the
// expression needs them: for a term with a qualifier, and for both sides of
// the adjacency operator, and then only for the records that can still
// match. A posting-level result is what the operators define:
//   a + b   the postings of both;
//   a * b   the postings of both, in records holding both;
//   a ^ b   the postings of a, in records without b;
//   a . b   the postings of b that directly follow a posting of a in the
//           same field occurrence;
// and the hits are the records of the root's postings.

#ifndef TALOR_SERVER_SEARCH_EVALUATOR_H_
#define TALOR_SERVER_SEARCH_EVALUATOR_H_

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "server/mfn_set.h"
#include "server/search_expression.h"
#include "server/term_index.h"

namespace talor::server {

enum class SearchStatus { Done, Cancelled, Failed };

struct SearchResult {
  SearchStatus status = SearchStatus::Done;
  MfnSet hits;  // empty unless Done
};

// Evaluates `root`; Cancelled when `cancelled` became true during the
// evaluation, Failed when the index could not be read.
SearchResult EvaluateSearch(const SearchNode& root, TermIndex& index,
                            const std::atomic<bool>* cancelled = nullptr);

// The postings of one term (every term with that prefix when truncated),
// sorted: a dictionary given as a function, for small in-memory ones.
using PostingSource = std::function<std::vector<Posting>(std::string_view term, bool truncated)>;

// The MFNs of the records that match, ascending; nullopt when `cancelled`
// became true during the evaluation.
std::optional<std::vector<int32_t>> EvaluateSearch(const SearchNode& root,
                                                   const PostingSource& source,
                                                   const std::atomic<bool>* cancelled = nullptr);

}  // namespace talor::server

#endif  // TALOR_SERVER_SEARCH_EVALUATOR_H_
