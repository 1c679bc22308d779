#include "server/search_evaluator.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>

namespace talor::server {

namespace {

using Postings = std::vector<Posting>;

std::vector<int32_t> MfnsOf(const Postings& postings) {
  std::vector<int32_t> mfns;
  for (const Posting& p : postings)
    if (mfns.empty() || mfns.back() != p.mfn) mfns.push_back(p.mfn);
  return mfns;
}

Postings Merge(const Postings& a, const Postings& b) {
  Postings merged;
  std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(merged));
  return merged;
}

// Postings of `right` that directly follow a posting of `left` in the same
// field occurrence. Both are sorted, and so is each posting of `left`
// moved one position on, so one merge pass finds them.
Postings Following(const Postings& left, const Postings& right) {
  Postings kept;
  auto next = left.begin();
  for (const Posting& p : right) {
    auto after = [](const Posting& l, const Posting& r) {
      return std::tie(l.mfn, l.tag, l.occurrence) < std::tie(r.mfn, r.tag, r.occurrence) ||
             (std::tie(l.mfn, l.tag, l.occurrence) == std::tie(r.mfn, r.tag, r.occurrence) &&
              int64_t{l.position} + 1 < r.position);
    };
    while (next != left.end() && after(*next, p)) ++next;
    if (next != left.end() && next->mfn == p.mfn && next->tag == p.tag &&
        next->occurrence == p.occurrence && int64_t{next->position} + 1 == p.position)
      kept.push_back(p);
  }
  return kept;
}

Postings OfTags(Postings postings, const std::vector<int32_t>& tags) {
  if (tags.empty()) return postings;
  std::erase_if(postings, [&](const Posting& p) {
    return std::find(tags.begin(), tags.end(), p.tag) == tags.end();
  });
  return postings;
}

MfnSet Both(const MfnSet& a, const MfnSet& b) {
  MfnSet both = a.Copy();
  both.Intersect(b);
  return both;
}

class Evaluator {
 public:
  Evaluator(TermIndex& index, const std::atomic<bool>* cancelled)
      : index_(index), cancelled_(cancelled) {}

  SearchStatus status() const { return status_; }

  // The records of `node`'s postings, computed once per node; nullptr when
  // the evaluation stopped (status() tells why).
  const MfnSet* Records(const SearchNode& node) {
    if (Stopped()) return nullptr;
    auto known = records_.find(&node);
    if (known != records_.end()) return &known->second;
    std::optional<MfnSet> set = node.op == SearchOp::Term ? TermRecords(node) : JoinRecords(node);
    if (!set) return nullptr;
    return &records_.emplace(&node, std::move(*set)).first->second;
  }

  // `node`'s postings in the records of `within`.
  std::optional<Postings> Within(const SearchNode& node, const MfnSet& within) {
    if (Stopped()) return std::nullopt;
    if (within.Empty()) return Postings{};
    if (node.op == SearchOp::Term) {
      std::optional<Postings> postings = index_.Postings(node.term, node.truncated, within);
      if (!postings) return Fail();
      return OfTags(std::move(*postings), node.tags);
    }
    if (node.op == SearchOp::Or) return JoinPostings(node, within, within);
    const MfnSet* left = Records(*node.left);
    if (left == nullptr) return std::nullopt;
    if (left->Empty()) return Postings{};
    const MfnSet* right = Records(*node.right);
    if (right == nullptr) return std::nullopt;
    if (node.op == SearchOp::AndNot) {
      MfnSet kept = within.Copy();
      kept.Intersect(*left);
      kept.Subtract(*right);
      return Within(*node.left, kept);
    }
    MfnSet both = Both(within, Both(*left, *right));
    return JoinPostings(node, both, both);
  }

 private:
  bool Stopped() {
    if (status_ == SearchStatus::Done && cancelled_ != nullptr && cancelled_->load())
      status_ = SearchStatus::Cancelled;
    return status_ != SearchStatus::Done;
  }
  std::nullopt_t Fail() {
    if (status_ == SearchStatus::Done) status_ = SearchStatus::Failed;
    return std::nullopt;
  }

  std::optional<MfnSet> TermRecords(const SearchNode& node) {
    std::optional<MfnSet> records = index_.Records(node.term, node.truncated);
    if (!records) return Fail();
    if (node.tags.empty() || records->Empty()) return records;
    std::optional<Postings> postings = Within(node, *records);
    if (!postings) return std::nullopt;
    return MfnSet::Of(MfnsOf(*postings));
  }

  std::optional<MfnSet> JoinRecords(const SearchNode& node) {
    const MfnSet* left = Records(*node.left);
    if (left == nullptr) return std::nullopt;
    bool leftDecides = left->Empty() && node.op != SearchOp::Or;
    if (leftDecides) return MfnSet();
    const MfnSet* right = Records(*node.right);
    if (right == nullptr) return std::nullopt;
    MfnSet set = left->Copy();
    switch (node.op) {
      case SearchOp::Or:
        set.Unite(*right);
        return set;
      case SearchOp::And:
        set.Intersect(*right);
        return set;
      case SearchOp::AndNot:
        set.Subtract(*right);
        return set;
      case SearchOp::Next:
        set.Intersect(*right);
        return NextRecords(node, set);
      case SearchOp::Term:
        break;
    }
    return MfnSet();
  }

  // The records where a posting of the right side follows one of the left,
  // among `candidates`, the records holding both sides.
  std::optional<MfnSet> NextRecords(const SearchNode& node, const MfnSet& candidates) {
    if (candidates.Empty()) return MfnSet();
    std::optional<Postings> next = Within(node, candidates);
    if (!next) return std::nullopt;
    return MfnSet::Of(MfnsOf(*next));
  }

  std::optional<Postings> JoinPostings(const SearchNode& node, const MfnSet& leftWithin,
                                       const MfnSet& rightWithin) {
    std::optional<Postings> left = Within(*node.left, leftWithin);
    if (!left) return std::nullopt;
    std::optional<Postings> right = Within(*node.right, rightWithin);
    if (!right) return std::nullopt;
    if (node.op == SearchOp::Next) return Following(*left, *right);
    return Merge(*left, *right);
  }

  TermIndex& index_;
  const std::atomic<bool>* cancelled_;
  SearchStatus status_ = SearchStatus::Done;
  std::unordered_map<const SearchNode*, MfnSet> records_;
};

// A term index over a dictionary given as a function: the postings of a
// term are asked for once and kept for the evaluation.
class FunctionIndex : public TermIndex {
 public:
  explicit FunctionIndex(const PostingSource& source) : source_(source) {}

  std::optional<MfnSet> Records(std::string_view term, bool truncated) override {
    return MfnSet::Of(MfnsOf(All(term, truncated)));
  }
  std::optional<std::vector<Posting>> Postings(std::string_view term, bool truncated,
                                               const MfnSet& within) override {
    std::vector<Posting> kept = All(term, truncated);
    std::erase_if(kept, [&](const Posting& p) { return !within.Contains(p.mfn); });
    return kept;
  }

 private:
  const std::vector<Posting>& All(std::string_view term, bool truncated) {
    std::string key = std::string(truncated ? "1" : "0") + std::string(term);
    auto it = cache_.find(key);
    if (it == cache_.end()) it = cache_.emplace(key, source_(term, truncated)).first;
    return it->second;
  }

  const PostingSource& source_;
  std::unordered_map<std::string, std::vector<Posting>> cache_;
};

}  // namespace

SearchResult EvaluateSearch(const SearchNode& root, TermIndex& index,
                            const std::atomic<bool>* cancelled) {
  Evaluator evaluator(index, cancelled);
  const MfnSet* hits = evaluator.Records(root);
  if (hits == nullptr) return {evaluator.status(), MfnSet()};
  return {SearchStatus::Done, hits->Copy()};
}

std::optional<std::vector<int32_t>> EvaluateSearch(const SearchNode& root,
                                                   const PostingSource& source,
                                                   const std::atomic<bool>* cancelled) {
  FunctionIndex index(source);
  SearchResult result = EvaluateSearch(root, index, cancelled);
  if (result.status != SearchStatus::Done) return std::nullopt;
  return result.hits.ToVector();
}

}  // namespace talor::server
