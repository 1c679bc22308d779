// Speed of the search-result text services: marking 20 terms in a 1 MB page,
// and stemming a large list of Russian word forms.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "text/encoding.h"
#include "text/stemmer.h"
#include "text/term_marking.h"
#include "text/word_splitter.h"

namespace {

// Stems and endings in UTF-8, combined into word forms.
const char* const kStems[] = {"книг",    "стол",    "библиотек", "каталог",  "журнал",
                              "стать",   "автор",   "издани",    "истори",   "наук",
                              "город",   "школ",    "систем",    "учебник",  "словар",
                              "перевод", "сборник", "рукопис",   "документ", "фонд"};
const char* const kEndings[] = {"",    "а",   "у",  "ом",  "ами", "ах", "и",   "ой",
                                "ого", "ему", "ые", "ими", "ей",  "ию", "ьями"};

std::string HtmlPage(size_t size) {
  std::string page = "<html><body>";
  for (size_t i = 0; page.size() < size; ++i) {
    page += "<p class=\"rec\"><a href=\"TALOR:1,2,3\">";
    page += kStems[i % std::size(kStems)];
    page += kEndings[i % std::size(kEndings)];
    page += "</a> Text of the record ";
    page += kStems[(i * 7) % std::size(kStems)];
    page += kEndings[(i * 3) % std::size(kEndings)];
    page += " and more words, ";
    page += kStems[(i * 11) % std::size(kStems)];
    page += "ами.</p>\n";
  }
  return page + "</body></html>";
}

void BM_MarkTerms(benchmark::State& state) {
  std::string page = HtmlPage(static_cast<size_t>(state.range(0)));
  talor::StringList terms;
  for (const char* stem : kStems) terms.Add(talor::Utf8UpperCase(stem));
  std::string copy;
  for (auto _ : state) {
    std::string work = page;
    talor::MarkTerms(work, terms, copy);
    benchmark::DoNotOptimize(work.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_MarkTerms)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

std::vector<std::string> AnsiWordForms(size_t count) {
  std::vector<std::string> words;
  const char* const prefixes[] = {"", "пере", "под", "над", "пред", "раз", "за", "вы"};
  for (size_t i = 0; words.size() < count; ++i) {
    std::string word = prefixes[(i / 300) % std::size(prefixes)];
    word += kStems[i % std::size(kStems)];
    word += kEndings[(i / std::size(kStems)) % std::size(kEndings)];
    if (i % 13 == 0) word += "ся";
    words.push_back(talor::Utf8ToAnsi(word));
  }
  return words;
}

void BM_StemCut(benchmark::State& state) {
  std::vector<std::string> words = AnsiWordForms(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    int total = 0;
    for (const std::string& word : words) total += talor::StemCut(word);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StemCut)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SplitWordsWithStemming(benchmark::State& state) {
  std::string text;
  for (const std::string& word : AnsiWordForms(10000)) text += talor::AnsiToUtf8(word) + " ";
  talor::StringList words;
  for (auto _ : state) {
    talor::SplitWords(text, "", {}, true, words);
    benchmark::DoNotOptimize(words.size());
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_SplitWordsWithStemming)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
