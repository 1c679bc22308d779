// What the search evaluator reads from a dictionary: the records of a term
// as a set, and the postings of a term within chosen records. The storage
// implements it over its term chunks; tests implement it in memory.

#ifndef TALOR_SERVER_TERM_INDEX_H_
#define TALOR_SERVER_TERM_INDEX_H_

#include <optional>
#include <string_view>
#include <vector>

#include "server/mfn_set.h"
#include "server/posting.h"

namespace talor::server {

class TermIndex {
 public:
  virtual ~TermIndex() = default;

  // The records that hold `term`, or, when `truncated`, any term that starts
  // with it. nullopt when the index cannot be read.
  virtual std::optional<MfnSet> Records(std::string_view term, bool truncated) = 0;

  // The postings of the term (of every such term when truncated) in the
  // records of `within`, sorted. Only the chunks that hold some of those
  // records are read. nullopt when the index cannot be read.
  virtual std::optional<std::vector<Posting>> Postings(std::string_view term, bool truncated,
                                                       const MfnSet& within) = 0;
};

}  // namespace talor::server

#endif  // TALOR_SERVER_TERM_INDEX_H_
