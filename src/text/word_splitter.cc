#include "text/word_splitter.h"

#include <string>
#include <unordered_set>

#include "text/encoding.h"
#include "text/stemmer.h"

namespace talor {
namespace {

// Words of at most this many bytes are not stemmed (in UTF-8 that keeps
// Cyrillic words of two letters away from the stemmer).
constexpr size_t kLongestUnstemmedWord = 4;

LetterSet MakeDefaultLetterClass() {
  LetterSet letters;
  for (int v = 'A'; v <= 'Z'; ++v) letters.set(static_cast<size_t>(v));
  for (int v = 'a'; v <= 'z'; ++v) letters.set(static_cast<size_t>(v));
  for (int v = 128; v <= 255; ++v) letters.set(static_cast<size_t>(v));
  return letters;
}

void Translate(std::string& word, std::string_view translation) {
  for (char& c : word) {
    auto v = static_cast<unsigned char>(c);
    if (v >= 1 && v <= translation.size()) c = translation[v - 1];
  }
}

void Stem(std::string& word) {
  if (word.size() <= kLongestUnstemmedWord) return;
  std::string ansi = Utf8ToAnsi(word);
  int cut = StemCut(ansi);
  // A word the stemmer leaves whole stays byte for byte as it was: the trip
  // through the ANSI code page would lose characters that it lacks. A word
  // it cuts holds only Cyrillic letters and hyphens, which survive the trip.
  if (cut == 0) return;
  ansi.resize(ansi.size() - static_cast<size_t>(cut));
  word = AnsiToUtf8(ansi);
}

}  // namespace

const LetterSet& DefaultLetterClass() {
  static const LetterSet letters = MakeDefaultLetterClass();
  return letters;
}

void SplitWords(std::string_view text, std::string_view translation, const StringList& stopList,
                bool stem, StringList& words, const LetterSet& letters) {
  words.Clear();
  try {
    std::unordered_set<std::string> stopWords;
    for (const ListLine& line : stopList) stopWords.insert(Utf8UpperCase(line.text));
    int32_t ordinal = 0;
    std::string word;
    auto closeWord = [&] {
      Translate(word, translation);
      if (stem) Stem(word);
      if (stopWords.empty() || !stopWords.contains(Utf8UpperCase(word))) words.Add(word, ordinal);
      word.clear();
    };
    for (char c : text) {
      if (letters.test(static_cast<unsigned char>(c))) {
        if (word.empty()) ++ordinal;
        word += c;
      } else if (!word.empty()) {
        closeWord();
      }
    }
    if (!word.empty()) closeWord();
  } catch (...) {
    // The words found so far stay in the list.
  }
}

}  // namespace talor
