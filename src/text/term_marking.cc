#include "text/term_marking.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace talor {
namespace {

// Writes the UTF-8 form of `c` at `out` when it takes exactly `length`
// bytes; returns whether it did.
bool EncodeSameLength(UChar32 c, int32_t length, char* out) {
  uint8_t buffer[U8_MAX_LENGTH];
  int32_t size = 0;
  UBool error = false;
  U8_APPEND(buffer, size, U8_MAX_LENGTH, c, error);
  if (error || size != length) return false;
  std::memcpy(out, buffer, static_cast<size_t>(size));
  return true;
}

// The character of `page` at `p` upper-cased with the simple Unicode case
// mapping, written to `upper`; returns its length in bytes. A character whose
// upper case would need another length, and a malformed byte, stays as it is,
// so positions in the upper-cased page are those of the page.
size_t UpperCharAt(std::string_view page, size_t p, char (&upper)[U8_MAX_LENGTH]) {
  const std::string_view rest = page.substr(p, U8_MAX_LENGTH);
  const auto* bytes = reinterpret_cast<const uint8_t*>(rest.data());
  int32_t size = 0;
  UChar32 c = 0;
  U8_NEXT(bytes, size, static_cast<int32_t>(rest.size()), c);
  if (c < 0 || !EncodeSameLength(u_toupper(c), size, upper)) {
    std::memcpy(upper, rest.data(), static_cast<size_t>(size));
  }
  return static_cast<size_t>(size);
}

// The terms' joint matching progress (bytes of each term matched so far) as
// an automaton built while the page is scanned: each progress vector met gets
// a state, and each transition is worked out once per state and byte, so the
// scan costs one table lookup per byte however many terms there are. Past
// kMaxStates the vectors are stepped directly, term by term.
class ProgressAutomaton {
 public:
  static constexpr int32_t kStart = 0;  // nothing of any term matched

  explicit ProgressAutomaton(const StringList& terms) {
    for (const ListLine& term : terms) {
      if (!term.text.empty()) terms_.push_back(term.text);
    }
    progress_.assign(terms_.size(), 0);
    StateOf(progress_);
  }

  bool empty() const { return terms_.empty(); }
  const std::string& term(int32_t index) const { return terms_[static_cast<size_t>(index)]; }

  // The state after byte `c` in `state`. A term completed by `c` is given in
  // `matched` (else -1); the state is then the start again, as after a mark
  // every term starts afresh.
  int32_t Next(int32_t state, uint8_t c, int32_t& matched) {
    if (state == kUncached) return StepUncached(c, matched);
    const size_t slot = static_cast<size_t>(state) * 256 + c;
    int32_t next = transitions_[slot];
    if (next == kUnknown) {
      next = Work(states_[static_cast<size_t>(state)], c);  // may grow the table
      // A state past the table is known only by the vector kept for it now.
      if (next != kUncached) transitions_[slot] = next;
    }
    matched = next <= kMatchBase ? kMatchBase - next : -1;
    return matched >= 0 ? kStart : next;
  }

 private:
  static constexpr size_t kMaxStates = 512;
  static constexpr int32_t kUnknown = -1;
  static constexpr int32_t kUncached = -2;
  // A transition that completes term t is stored as kMatchBase - t.
  static constexpr int32_t kMatchBase = -3;

  using Progress = std::vector<uint32_t>;

  // Steps `from` by `c` in progress_; true when term `matched` completed.
  bool Step(const Progress& from, uint8_t c, int32_t& matched) {
    for (size_t t = 0; t < terms_.size(); ++t) {
      const std::string& term = terms_[t];
      progress_[t] = static_cast<uint8_t>(term[from[t]]) == c ? from[t] + 1 : 0;
      if (progress_[t] == term.size()) {
        matched = static_cast<int32_t>(t);
        return true;
      }
    }
    return false;
  }

  // `from` is a copy: making a state may move the vectors of the others.
  int32_t Work(Progress from, uint8_t c) {
    int32_t matched = -1;
    if (Step(from, c, matched)) return kMatchBase - matched;
    return StateOf(progress_);
  }

  // The state of `progress`, made when new; kUncached when the table is full.
  int32_t StateOf(const Progress& progress) {
    auto [it, added] = ids_.try_emplace(progress, static_cast<int32_t>(states_.size()));
    if (!added) return it->second;
    if (states_.size() == kMaxStates) {
      ids_.erase(it);
      uncached_ = progress;
      return kUncached;
    }
    states_.push_back(progress);
    transitions_.resize(states_.size() * 256, kUnknown);
    return it->second;
  }

  int32_t StepUncached(uint8_t c, int32_t& matched) {
    matched = -1;
    if (Step(uncached_, c, matched)) return kStart;
    const auto it = ids_.find(progress_);
    if (it != ids_.end()) return it->second;
    uncached_ = progress_;
    return kUncached;
  }

  std::vector<std::string> terms_;
  std::vector<Progress> states_;
  std::map<Progress, int32_t> ids_;
  std::vector<int32_t> transitions_;  // 256 per state
  Progress progress_;                 // the result of the last Step
  Progress uncached_;                 // the vector of the kUncached state
};

class TermMarker {
 public:
  TermMarker(std::string_view page, const StringList& terms) : page_(page), automaton_(terms) {}

  std::string Run() {
    if (automaton_.empty()) return std::string(page_);
    out_.reserve(page_.size() + page_.size() / 16);
    size_t p = 0;
    while (p < page_.size()) p = Step(p);
    out_.append(page_.substr(copied_));
    return std::move(out_);
  }

 private:
  // Looks at the character at `p`; returns the next position. Markup is
  // ASCII, so a longer character only ever takes part in a match.
  size_t Step(size_t p) {
    char c = page_[p];
    if (static_cast<uint8_t>(c) >= 0x80) {
      char upper[U8_MAX_LENGTH];
      const size_t size = UpperCharAt(page_, p, upper);
      if (!inTag_ && !markingOff_) {
        for (size_t k = 0; k < size; ++k) Match(upper[k], p + k);
      }
      return p + size;
    }
    if (c == '<' || c == '>') {
      inTag_ = c == '<';
      // A term interrupted by markup starts again after it.
      if (inTag_) state_ = ProgressAutomaton::kStart;
      return p + 1;
    }
    if (inTag_ && (c == '.' || c == '!') && p + 1 < page_.size() && page_[p + 1] == '>') {
      markingOff_ = !markingOff_;
      inTag_ = false;
      return p + 2;
    }
    if (!inTag_ && !markingOff_)
      Match(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c, p);
    return p + 1;
  }

  // Feeds the upper-cased byte `c` at `p` to the automaton.
  void Match(char c, size_t p) {
    int32_t matched = -1;
    state_ = automaton_.Next(state_, static_cast<uint8_t>(c), matched);
    if (matched >= 0) Mark(p + 1 - automaton_.term(matched).size(), p + 1);
  }

  void Mark(size_t begin, size_t end) {
    out_.append(page_.substr(copied_, begin - copied_));
    out_ += kMarkOpen;
    out_.append(page_.substr(begin, end - begin));
    out_ += kMarkClose;
    copied_ = end;
  }

  // Constant for the run.
  std::string_view page_;
  ProgressAutomaton automaton_;

  // State of the scan.
  int32_t state_ = ProgressAutomaton::kStart;
  bool inTag_ = false;
  bool markingOff_ = false;
  size_t copied_ = 0;  // the page is in out_ up to here
  std::string out_;
};

}  // namespace

void MarkTerms(std::string& page, const StringList& terms, std::string& copyOut) {
  if (page.empty()) {
    copyOut = page;
    return;
  }
  try {
    std::string marked = TermMarker(page, terms).Run();
    copyOut = marked;
    page = std::move(marked);
  } catch (...) {
    // The page is only replaced at the end, so it is still as it was.
    try {
      copyOut = page;
    } catch (...) {
      copyOut.clear();
    }
  }
}

}  // namespace talor
