#include "text/stemmer.h"

#include <array>
#include <string>

#include "text/ansi_literal.h"
#include "text/encoding.h"
#include "text/stem_tables.h"

namespace talor {
namespace {

// The ending lists: each entry is `~` and the ending, all of one length, so
// that a substring hit is an exact hit on one entry.
constexpr AnsiLiteral kEndings4 = "~ЬЕГО~ЬЯМИ~ЬЕМУ~ЬИМИ";
constexpr AnsiLiteral kSoftEnding4 = "~ЬЕМУ";
constexpr AnsiLiteral kEndings3Always = "~ЫМИ~УМЯ~ЬМЯ~ЬЕЙ~ЬЯХ~ЬЯМ~ЬИМ";
constexpr AnsiLiteral kEndings3Adjective = "~ОГО~АМИ~ЕГО~ЯМИ~ИМИ~ОМУ~ЕМЯ~ЕМУ~ЕМИ";
constexpr AnsiLiteral kEndingEmu = "~ЕМУ";
constexpr AnsiLiteral kEndings3Soft = "~ЬЕВ~ЬЕМ~ЬИХ";
constexpr AnsiLiteral kEndings2Always = "~ЬЮ~ЬЕ~ЬЯ~ЬИ~ЮЮ";
constexpr AnsiLiteral kEndings2Adjective = "~ИЕ~ОЙ~ЫЕ~ИЙ~АЯ~ЕЙ~ОЕ~ЫЙ~ЕЕ~УЮ~ЯЯ~ОЮ~ЕЮ";
constexpr AnsiLiteral kEndings2KeepTail = "~ИЕ~ИЙ~ЕЕ";
constexpr AnsiLiteral kEndings2Case = "~ЫХ~ОВ~ОМ~ИХ~ЕМ~АХ~ЫМ~ЯХ~ИМ~АМ~ЯМ~УХ~ЕВ~ЕХ~УМ";
constexpr AnsiLiteral kEndingEv = "~ЕВ";
constexpr AnsiLiteral kEndings1 = "~И~Я~Е~А~Й~О~Ы~Ь~Ю~У";
constexpr AnsiLiteral kEndingShortI = "~Й";
constexpr AnsiLiteral kReflexive = "СЯ";

constexpr unsigned char kFirstCapital = 0xC0;  // А
constexpr unsigned char kLastCapital = 0xDF;   // Я
constexpr size_t kShortestStemmedWord = 4;

bool IsStemmable(std::string_view word) {
  for (char c : word) {
    auto byte = static_cast<unsigned char>(c);
    if (c != '-' && (byte < kFirstCapital || byte > kLastCapital)) return false;
  }
  return true;
}

// `~` and the last `length` (at most 4) letters of `word`, in a small
// buffer, so that the lookups allocate nothing.
class Ending {
 public:
  Ending(std::string_view word, size_t length) : size_(length + 1) {
    text_[0] = '~';
    word.copy(text_.data() + 1, length, word.size() - length);
  }
  std::string_view view() const { return {text_.data(), size_}; }

 private:
  std::array<char, 5> text_{};
  size_t size_;
};

bool In(std::string_view list, std::string_view ending) {
  return list.find(ending) != std::string_view::npos;
}

// The cut for the word without its reflexive suffix: the first group of
// endings that matches decides.
int EndingCut(std::string_view word) {
  size_t n = word.size();
  if (n >= 5) {
    Ending ending(word, 4);
    if (In(kEndings4.view(), ending.view())) {
      return ending.view() == kSoftEnding4.view() && IsStemException(word) ? 1 : 4;
    }
  }
  if (n >= 4) {
    Ending ending(word, 3);
    if (In(kEndings3Always.view(), ending.view())) return 3;
    if (In(kEndings3Adjective.view(), ending.view())) {
      if (IsStemException(word)) return 1;
      if (ending.view() != kEndingEmu.view()) return 3;
      return EndsInKeepTail(word) ? 1 : 3;
    }
    if (In(kEndings3Soft.view(), ending.view())) return IsStemException(word) ? 0 : 3;
  }
  if (n >= 3) {
    Ending ending(word, 2);
    if (In(kEndings2Always.view(), ending.view())) return 2;
    if (In(kEndings2Adjective.view(), ending.view())) {
      if (IsStemException(word)) return 1;
      return In(kEndings2KeepTail.view(), ending.view()) && EndsInKeepTail(word) ? 1 : 2;
    }
    if (In(kEndings2Case.view(), ending.view())) {
      if (!IsStemException(word)) return 2;
      return ending.view() == kEndingEv.view() && !EndsInKeepTail(word) ? 2 : 0;
    }
    Ending last(word, 1);
    if (In(kEndings1.view(), last.view())) {
      return last.view() == kEndingShortI.view() && IsStemException(word) ? 0 : 1;
    }
  }
  return 0;
}

}  // namespace

int StemCut(std::string_view ansiWord) {
  if (ansiWord.size() < kShortestStemmedWord || ansiWord.size() > kMaxStemWordLength) return 0;
  // A fixed-size upper-case copy: no allocation per word.
  std::array<char, kMaxStemWordLength> buffer;
  for (size_t i = 0; i < ansiWord.size(); ++i) buffer[i] = AnsiUpperChar(ansiWord[i]);
  std::string_view rest(buffer.data(), ansiWord.size());
  if (!IsStemmable(rest)) return 0;
  int result = 0;
  if (rest.ends_with(kReflexive.view())) {
    result = 2;
    rest.remove_suffix(2);
  }
  return result + EndingCut(rest);
}

}  // namespace talor
