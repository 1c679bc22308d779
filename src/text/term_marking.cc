#include "text/term_marking.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <vector>

namespace talor {
namespace {

// Appends the UTF-8 form of `c`; returns false when it does not take exactly
// `length` bytes.
bool EncodeSameLength(UChar32 c, int32_t length, std::string& out) {
  uint8_t buffer[U8_MAX_LENGTH];
  int32_t size = 0;
  UBool error = false;
  U8_APPEND(buffer, size, U8_MAX_LENGTH, c, error);
  if (error || size != length) return false;
  out.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
  return true;
}

// The page upper-cased character by character with the simple Unicode case
// mapping. Every character keeps its byte length (one whose upper case would
// need another length, and every malformed byte, stays as it is), so a
// position in the result is the same position in the page.
std::string AlignedUpperCase(std::string_view page) {
  std::string scan;
  scan.reserve(page.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(page.data());
  auto length = static_cast<int32_t>(page.size());
  int32_t i = 0;
  while (i < length) {
    if (bytes[i] < 0x80) {
      char c = page[static_cast<size_t>(i++)];
      scan += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      continue;
    }
    int32_t start = i;
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0 || !EncodeSameLength(u_toupper(c), i - start, scan)) {
      scan.append(page.substr(static_cast<size_t>(start), static_cast<size_t>(i - start)));
    }
  }
  return scan;
}

class TermMarker {
 public:
  TermMarker(std::string_view page, const StringList& terms) : page_(page) {
    for (const ListLine& term : terms) {
      if (!term.text.empty()) terms_.push_back(term.text);
    }
    progress_.assign(terms_.size(), 0);
  }

  std::string Run() {
    std::string scan = AlignedUpperCase(page_);
    out_.reserve(page_.size() + page_.size() / 16);
    size_t p = 0;
    while (p < scan.size()) p = Step(scan, p);
    out_.append(page_.substr(copied_));
    return std::move(out_);
  }

 private:
  // Looks at the byte at `p`; returns the next position.
  size_t Step(std::string_view scan, size_t p) {
    char c = scan[p];
    if (c == '<' || c == '>') {
      inTag_ = c == '<';
      // A term interrupted by markup starts again after it.
      if (inTag_) ResetProgress();
      return p + 1;
    }
    if (inTag_ && (c == '.' || c == '!') && p + 1 < scan.size() && scan[p + 1] == '>') {
      markingOff_ = !markingOff_;
      inTag_ = false;
      return p + 2;
    }
    if (!inTag_ && !markingOff_) Match(c, p);
    return p + 1;
  }

  void Match(char c, size_t p) {
    for (size_t t = 0; t < terms_.size(); ++t) {
      const std::string& term = terms_[t];
      progress_[t] = term[progress_[t]] == c ? progress_[t] + 1 : 0;
      if (progress_[t] == term.size()) {
        Mark(p + 1 - term.size(), p + 1);
        ResetProgress();
        return;
      }
    }
  }

  void Mark(size_t begin, size_t end) {
    out_.append(page_.substr(copied_, begin - copied_));
    out_ += kMarkOpen;
    out_.append(page_.substr(begin, end - begin));
    out_ += kMarkClose;
    copied_ = end;
  }

  void ResetProgress() { std::fill(progress_.begin(), progress_.end(), 0); }

  // Constant for the run.
  std::string_view page_;
  std::vector<std::string> terms_;

  // State of the scan.
  std::vector<size_t> progress_;  // bytes of each term matched so far
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
