// Evaluates a parsed search expression against a posting source and gives
// the matching MFNs in ascending order.

#ifndef TALOR_SERVER_SEARCH_EVALUATOR_H_
#define TALOR_SERVER_SEARCH_EVALUATOR_H_

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "server/search_expression.h"
#include "server/storage.h"

namespace talor::server {

// The postings of one term (every term with that prefix when truncated),
// sorted.
using PostingSource = std::function<std::vector<Posting>(std::string_view term, bool truncated)>;

// The MFNs of the records that match; nullopt when `cancelled` became true
// during the evaluation.
std::optional<std::vector<int32_t>> EvaluateSearch(const SearchNode& root,
                                                   const PostingSource& source,
                                                   const std::atomic<bool>* cancelled = nullptr);

}  // namespace talor::server

#endif  // TALOR_SERVER_SEARCH_EVALUATOR_H_
