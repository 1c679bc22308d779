// A plain evaluator of search expressions for tests: the dictionary is a
// map of terms to sorted postings, and every operator works on whole
// posting lists, as the catalogue's search language defines it. Slow and
// obviously right, so the server's evaluator is checked against it.

#ifndef TALOR_TESTS_SERVER_REFERENCE_SEARCH_H_
#define TALOR_TESTS_SERVER_REFERENCE_SEARCH_H_

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "server/indexer.h"
#include "server/posting.h"
#include "server/search_expression.h"

namespace talor::server {

using Dictionary = std::map<std::string, std::vector<Posting>, std::less<>>;

// Adds the terms of record `mfn` to `dictionary`; SortDictionary makes the
// lists sorted and without repeats.
inline void AddToDictionary(Dictionary& dictionary, int32_t mfn,
                            const std::vector<IndexTerm>& terms) {
  for (const IndexTerm& t : terms)
    dictionary[t.term].push_back({mfn, t.tag, t.occurrence, t.position});
}

inline void SortDictionary(Dictionary& dictionary) {
  for (auto& [term, postings] : dictionary) {
    std::sort(postings.begin(), postings.end());
    postings.erase(std::unique(postings.begin(), postings.end()), postings.end());
  }
}

class ReferenceSearch {
 public:
  explicit ReferenceSearch(const Dictionary& dictionary) : dictionary_(dictionary) {}

  std::vector<int32_t> Hits(const SearchNode& root) const { return Mfns(Run(root)); }

 private:
  using List = std::vector<Posting>;

  static std::vector<int32_t> Mfns(const List& list) {
    std::vector<int32_t> mfns;
    for (const Posting& p : list)
      if (mfns.empty() || mfns.back() != p.mfn) mfns.push_back(p.mfn);
    return mfns;
  }
  static List Keep(const List& list, const std::vector<int32_t>& mfns, bool keep) {
    List kept;
    for (const Posting& p : list)
      if (std::binary_search(mfns.begin(), mfns.end(), p.mfn) == keep) kept.push_back(p);
    return kept;
  }
  static List Union(const List& a, const List& b) {
    List out;
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
  }

  List Run(const SearchNode& node) const {
    if (node.op == SearchOp::Term) return Term(node);
    List left = Run(*node.left);
    List right = Run(*node.right);
    switch (node.op) {
      case SearchOp::Or:
        return Union(left, right);
      case SearchOp::And: {
        std::vector<int32_t> l = Mfns(left), r = Mfns(right), both;
        std::set_intersection(l.begin(), l.end(), r.begin(), r.end(), std::back_inserter(both));
        return Union(Keep(left, both, true), Keep(right, both, true));
      }
      case SearchOp::AndNot:
        return Keep(left, Mfns(right), false);
      case SearchOp::Next: {
        List out;
        for (const Posting& p : right)
          if (std::binary_search(left.begin(), left.end(),
                                 Posting{p.mfn, p.tag, p.occurrence, p.position - 1}))
            out.push_back(p);
        return out;
      }
      case SearchOp::Term:
        break;
    }
    return {};
  }

  List Term(const SearchNode& node) const {
    List out;
    for (auto it = dictionary_.lower_bound(node.term); it != dictionary_.end(); ++it) {
      if (node.truncated ? !it->first.starts_with(node.term) : it->first != node.term) break;
      for (const Posting& p : it->second)
        if (node.tags.empty() ||
            std::find(node.tags.begin(), node.tags.end(), p.tag) != node.tags.end())
          out.push_back(p);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
  }

  const Dictionary& dictionary_;
};

}  // namespace talor::server

#endif  // TALOR_TESTS_SERVER_REFERENCE_SEARCH_H_
