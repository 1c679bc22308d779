// Commands 2 (search, or browse by MFN), 4 (term list) and 10 (full-text
// search) of the command processor.

#include <algorithm>

#include "client/record.h"
#include "client/term_collector.h"
#include "navigator/answer_lines.h"
#include "navigator/command_processor.h"
#include "navigator/search_expression.h"
#include "text/encoding.h"
#include "text/line_breaks.h"
#include "text/number_text.h"

namespace talor {
namespace {

constexpr std::string_view kFullTextPrefix = "KT=";
constexpr std::string_view kStopWordsExtension = ".STW";

// The hits of a search answer from line `from` on, one a line, with their
// line breaks decoded.
std::string HitsText(const StringList& answer, size_t from) {
  std::string text = JoinLinesFrom(answer, from);
  DecodeLineBreaks(text);
  return text;
}

std::string Marker(int32_t number, std::string_view value) {
  return "^A" + std::to_string(number) + "^B" + std::string(value);
}

// The lines of `list`, each followed by a blank.
std::string JoinWithBlanks(const StringList& list, size_t from = 0) {
  std::string text;
  for (size_t i = from; i < list.size(); ++i) text += list[i].text + " ";
  return text;
}

}  // namespace

StringList CommandProcessor::StopWords(const std::string& database) {
  StringList words;
  commands_.ReadCachedText(kDatabaseFilesPath, database,
                           database + std::string(kStopWordsExtension), words);
  for (ListLine& word : words) word.text = AnsiToUtf8(word.text);
  return words;
}

void CommandProcessor::SetHitMarkers(CommandValues& values, const StringList& hits, int32_t first) {
  if (hits.empty()) return;
  values.countBegin = Marker(first, std::to_string(hits[0].object));
  values.countEnd = Marker(first + hits.Count() - 1, std::to_string(hits[hits.size() - 1].object));
}

// The page of a search answer (line 0 the code, line 1 the hit count, then
// one hit a line with its MFN); empty for an answer of fewer than 3 lines.
std::string CommandProcessor::SearchPage(CommandValues& values, const StringList& answer,
                                         int32_t first) {
  if (answer.size() < 3) return RequestFailureNotice(answer);
  values.hitCount = DecimalToInt(answer[1].text, 0);
  StringList hits;
  for (size_t i = 2; i < answer.size(); ++i) hits.Add(answer[i].text, answer[i].object);
  SetHitMarkers(values, hits, first);
  return HitsText(answer, 2);
}

std::string CommandProcessor::Search(CommandValues& values) {
  SearchSources sources;
  sources.stopWords = [&] { return StopWords(values.database); };
  sources.selection = [&] { return GetSelection(values); };
  SearchExpression built = BuildSearchExpression(
      state_.params, settings_, sources, values.markWords, values.searchExpression, values.query);
  values.markWords = built.markWords;
  if (!built.termPrefix.empty()) values.termPrefix = built.termPrefix;
  if (built.expression.empty()) return BrowseByMfn(values);
  values.searchExpression = built.expression;
  values.query = built.query;

  const int32_t first = IntegerOr(state_.params.Get(settings_, Param::SEARCHFROM), 1);
  StringList answer;
  if (commands_.Search(values.database, values.searchExpression, values.portion, answer,
                       values.formatSpec, first) != ExchangeResult::Good) {
    return {};
  }
  return SearchPage(values, answer, first);
}

std::string CommandProcessor::BrowseByMfn(CommandValues& values) {
  if (state_.params.Get(settings_, Param::TRMRULE) == "4") return {};
  StringList answer;
  if (commands_.ReadMaxMfn(values.database, answer) == ExchangeResult::Good && !answer.empty()) {
    values.hitCount = DecimalToInt(answer[0].text, 0) - 1;
  }
  const std::string from = state_.params.Get(settings_, Param::SEARCHFROM);
  int32_t start = from.empty() ? 1 : DecimalToInt(from, 0);
  const std::string prefix = state_.params.Get(settings_, Param::PREFIX);
  if (!from.empty() && !ParseDecimal64(from) && !prefix.empty()) {
    // A start term instead of a number: browse from its first record.
    StringList terms;
    commands_.ReadTerms(values.database, prefix + from, 1, terms, "mfn");
    start = 1;
    if (terms.size() >= 2) {
      const std::string& text = terms[1].text;
      start = DecimalToInt(std::string_view(text).substr(0, text.find('#')), 1);
    }
    state_.params.SetParam(settings_.Name(Param::SEARCHFROM), std::to_string(start));
  }
  StringList range{{"0", 0},
                   {std::to_string(start), 0},
                   {std::to_string(start + std::max(values.portion, 1) - 1), 0}};
  StringList records;
  if (commands_.FormatRecords(values.database, range, values.formatSpec, records) !=
      ExchangeResult::Good) {
    return {};
  }
  if (records.size() < 2) return RequestFailureNotice(records);
  StringList hits;
  for (size_t i = 1; i < records.size(); ++i) hits.Add(records[i].text, records[i].object);
  SetHitMarkers(values, hits, start);
  return HitsText(records, 1);
}

std::string CommandProcessor::TermList(CommandValues& values) {
  const std::string& prefix = values.termPrefix;
  const int32_t portion =
      IntegerOr(state_.params.Get(settings_, Param::TRMPORTION), settings_.trmPortion);
  std::string start = state_.params.Get(settings_, Param::TERMIN);
  if (state_.params.Get(settings_, Param::TRMPREV) == "1") {
    StringList before;
    commands_.ReadTermsBackward(values.database, prefix + start, 1, before);
    if (before.size() == 2 && before[0].text != "0" && before[1].text.starts_with(prefix)) {
      start = before[1].text.substr(prefix.size());
    }
  }
  const std::string next = state_.params.Get(settings_, Param::TRMNEXT);
  StringList terms;
  if (next.empty() || next == "1") {
    CollectTermsForward(commands_, values.database, prefix + start, portion, terms);
  } else {
    CollectTermsBackward(commands_, values.database, prefix + start, portion, terms);
    if (terms.size() > 1) std::reverse(terms.begin() + 1, terms.end());
  }
  if (!terms.empty()) terms.Delete(0);
  if (terms.empty()) return {};

  StringList record;
  RecordNew(record);
  const int32_t listTag = TagFor(Tag::MODTAG_LIST, Param::MODTAG_LIST);
  std::string firstMarker, lastMarker;
  for (const ListLine& term : terms) {
    if (!term.text.starts_with(prefix)) break;
    std::string marker =
        "^A" + term.text.substr(prefix.size()) + "^B" + std::to_string(term.object);
    if (firstMarker.empty()) firstMarker = marker;
    lastMarker = marker;
    record.Add(std::move(marker), listTag);
  }
  values.countBegin = firstMarker;
  values.countEnd = lastMarker;
  BuildContextRecord(values, record);
  return FormatOnClient(record, values.database, values.formatName);
}

std::string CommandProcessor::FullTextSearch(CommandValues& values) {
  std::string text = values.searchText;
  const std::string checkFormat = state_.params.Get(settings_, Param::CHECKPFT);
  if (text == "*" && !checkFormat.empty()) text = JoinWithBlanks(GetSelection(values));
  if (text.empty()) return {};

  std::string prefix = state_.params.Get(settings_, Param::PREFIX);
  if (prefix.empty()) prefix = kFullTextPrefix;
  const int32_t limit = IntegerOr(state_.params.Get(settings_, Param::FULLTEXT_MaxCountResult),
                                  settings_.fullTextMaxResult);
  const bool morphology =
      IntegerOr(state_.params.Get(settings_, Param::FULLTEXT_Morphology), 0) != 0;
  commands_.SetFullTextDefaults(morphology, prefix,
                                state_.params.Get(settings_, Param::FULLTEXT_MaxWordsDistance),
                                limit, "");

  const std::string sexp = state_.params.Get(settings_, Param::SEXP);
  const std::string lead = sexp.empty() ? std::string() : sexp + " ";
  int32_t similarTo = 0;
  std::string queryText = lead + text;
  if (text.size() > 1 && text[0] == '@' && !checkFormat.empty()) {
    similarTo = DecimalToInt(std::string_view(text).substr(1), 0);
    if (similarTo >= 1) {
      StringList words;
      commands_.FormatRecord(values.database, similarTo, "@" + checkFormat, words);
      queryText = lead + JoinWithBlanks(words, 1);
    }
  }

  const int32_t first = IntegerOr(state_.params.Get(settings_, Param::SEARCHFROM), 1);
  StringList answer;
  if (commands_.FullTextSearch(values.database, queryText, "", answer, "", values.formatSpec, first,
                               values.portion, "") != ExchangeResult::Good) {
    return {};
  }
  if (similarTo >= 1 && answer.size() > 2 && DecimalToInt(answer[1].text, 0) == 1 &&
      answer[2].object == similarTo) {
    answer = StringList{{"0", 0}, {"0", 0}};
  }
  // Each hit is `words#text`: the text is the hit, the words are marked.
  std::string marks = "|" + values.markWords + "|";
  for (size_t i = 2; i < answer.size(); ++i) {
    std::string& line = answer[i].text;
    size_t hash = line.find('#');
    std::string words = hash == std::string::npos ? std::string() : line.substr(0, hash);
    line = hash == std::string::npos ? line : line.substr(hash + 1);
    size_t start = 0;
    while (start <= words.size()) {
      size_t plus = words.find('+', start);
      std::string word = words.substr(start, plus - start);
      if (!word.empty() && word.back() == '$') word.pop_back();
      if (!word.empty() && marks.find("|" + word + "|") == std::string::npos) {
        values.markWords += values.markWords.empty() ? word : "|" + word;
        marks = "|" + values.markWords + "|";
      }
      if (plus == std::string::npos) break;
      start = plus + 1;
    }
  }
  return SearchPage(values, answer, first);
}

}  // namespace talor
