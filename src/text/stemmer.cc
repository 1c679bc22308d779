#include "text/stemmer.h"

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

// `~` and the last `length` letters of `word`.
std::string Ending(std::string_view word, size_t length) {
  return "~" + std::string(word.substr(word.size() - length));
}

bool In(std::string_view list, std::string_view ending) {
  return list.find(ending) != std::string_view::npos;
}

// The cut for the word without its reflexive suffix: the first group of
// endings that matches decides.
int EndingCut(std::string_view word) {
  size_t n = word.size();
  if (n >= 5) {
    std::string ending = Ending(word, 4);
    if (In(kEndings4.view(), ending)) {
      return ending == kSoftEnding4.view() && IsStemException(word) ? 1 : 4;
    }
  }
  if (n >= 4) {
    std::string ending = Ending(word, 3);
    if (In(kEndings3Always.view(), ending)) return 3;
    if (In(kEndings3Adjective.view(), ending)) {
      if (IsStemException(word)) return 1;
      if (ending != kEndingEmu.view()) return 3;
      return EndsInKeepTail(word) ? 1 : 3;
    }
    if (In(kEndings3Soft.view(), ending)) return IsStemException(word) ? 0 : 3;
  }
  if (n >= 3) {
    std::string ending = Ending(word, 2);
    if (In(kEndings2Always.view(), ending)) return 2;
    if (In(kEndings2Adjective.view(), ending)) {
      if (IsStemException(word)) return 1;
      return In(kEndings2KeepTail.view(), ending) && EndsInKeepTail(word) ? 1 : 2;
    }
    if (In(kEndings2Case.view(), ending)) {
      if (!IsStemException(word)) return 2;
      return ending == kEndingEv.view() && !EndsInKeepTail(word) ? 2 : 0;
    }
    ending = Ending(word, 1);
    if (In(kEndings1.view(), ending)) {
      return ending == kEndingShortI.view() && IsStemException(word) ? 0 : 1;
    }
  }
  return 0;
}

}  // namespace

int StemCut(std::string_view ansiWord) {
  if (ansiWord.size() < kShortestStemmedWord || ansiWord.size() > kMaxStemWordLength) return 0;
  std::string word = AnsiUpperCase(ansiWord);
  if (!IsStemmable(word)) return 0;
  int result = 0;
  std::string_view rest = word;
  if (rest.ends_with(kReflexive.view())) {
    result = 2;
    rest.remove_suffix(2);
  }
  return result + EndingCut(rest);
}

}  // namespace talor
