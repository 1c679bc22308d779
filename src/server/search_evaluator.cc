#include "server/search_evaluator.h"

#include <algorithm>
#include <iterator>
#include <set>

namespace talor::server {

namespace {

using Postings = std::vector<Posting>;

std::vector<int32_t> MfnsOf(const Postings& postings) {
  std::vector<int32_t> mfns;
  for (const Posting& p : postings)
    if (mfns.empty() || mfns.back() != p.mfn) mfns.push_back(p.mfn);
  return mfns;
}

Postings KeepMfns(const Postings& postings, const std::vector<int32_t>& mfns, bool keep) {
  Postings kept;
  for (const Posting& p : postings)
    if (std::binary_search(mfns.begin(), mfns.end(), p.mfn) == keep) kept.push_back(p);
  return kept;
}

Postings Merge(const Postings& a, const Postings& b) {
  Postings merged;
  std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(merged));
  return merged;
}

// Postings of `right` that directly follow a posting of `left` in the same
// field occurrence.
Postings Following(const Postings& left, const Postings& right) {
  std::set<std::tuple<int32_t, int32_t, int32_t, int32_t>> next;
  for (const Posting& p : left) next.insert({p.mfn, p.tag, p.occurrence, p.position + 1});
  Postings kept;
  for (const Posting& p : right)
    if (next.contains({p.mfn, p.tag, p.occurrence, p.position})) kept.push_back(p);
  return kept;
}

class Evaluator {
 public:
  Evaluator(const PostingSource& source, const std::atomic<bool>* cancelled)
      : source_(source), cancelled_(cancelled) {}

  std::optional<Postings> Run(const SearchNode& node) {
    if (cancelled_ != nullptr && cancelled_->load()) return std::nullopt;
    if (node.op == SearchOp::Term) return Term(node);
    std::optional<Postings> left = Run(*node.left);
    if (!left) return std::nullopt;
    if (node.op == SearchOp::And && left->empty()) return left;
    std::optional<Postings> right = Run(*node.right);
    if (!right) return std::nullopt;
    switch (node.op) {
      case SearchOp::Or:
        return Merge(*left, *right);
      case SearchOp::And: {
        std::vector<int32_t> both;
        std::vector<int32_t> l = MfnsOf(*left);
        std::vector<int32_t> r = MfnsOf(*right);
        std::set_intersection(l.begin(), l.end(), r.begin(), r.end(), std::back_inserter(both));
        return Merge(KeepMfns(*left, both, true), KeepMfns(*right, both, true));
      }
      case SearchOp::AndNot:
        return KeepMfns(*left, MfnsOf(*right), false);
      case SearchOp::Next:
        return Following(*left, *right);
      case SearchOp::Term:
        break;
    }
    return Postings{};
  }

 private:
  Postings Term(const SearchNode& node) {
    Postings postings = source_(node.term, node.truncated);
    if (node.tags.empty()) return postings;
    Postings kept;
    for (const Posting& p : postings)
      if (std::find(node.tags.begin(), node.tags.end(), p.tag) != node.tags.end())
        kept.push_back(p);
    return kept;
  }

  const PostingSource& source_;
  const std::atomic<bool>* cancelled_;
};

}  // namespace

std::optional<std::vector<int32_t>> EvaluateSearch(const SearchNode& root,
                                                   const PostingSource& source,
                                                   const std::atomic<bool>* cancelled) {
  std::optional<Postings> postings = Evaluator(source, cancelled).Run(root);
  if (!postings) return std::nullopt;
  return MfnsOf(*postings);
}

}  // namespace talor::server
