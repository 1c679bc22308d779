#include "navigator/search_expression.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "text/encoding.h"
#include "text/number_text.h"
#include "text/utf8_text.h"
#include "text/word_splitter.h"

namespace talor {
namespace {

// How a field's value becomes terms (TRMRULE).
enum class TermRule : int32_t {
  WholeValue = 0,
  Words = 1,
  FirstWord = 2,
  StemmedWords = 3,
  Selection = 4,
};

// Operators between the terms of one field, by LOGIC; any other number `+`.
constexpr std::array<std::string_view, 4> kTermOperators = {"+", "*", " . ", "^"};
// Words of at most this many characters are searched but not marked.
constexpr size_t kShortestMarkedWord = 3;
constexpr std::string_view kRefiningCaption = " (Уточняемый запрос: ";

TermRule ReadTermRule(std::string_view text) {
  const int32_t rule = DecimalToInt(text, 0);
  return rule >= 1 && rule <= 4 ? static_cast<TermRule>(rule) : TermRule::WholeValue;
}

std::string_view TermOperator(std::string_view logic) {
  const int32_t n = DecimalToInt(logic, -1);
  return n >= 0 && n < static_cast<int32_t>(kTermOperators.size()) ? kTermOperators[n]
                                                                   : kTermOperators[0];
}

// The operator between fields: LOGIC without prefix, 0 `+`, any other `*`
// (absent counts as 1).
std::string_view FieldOperator(std::string_view logic) {
  return DecimalToInt(logic, 1) == 0 ? "+" : "*";
}

class ExpressionBuilder {
 public:
  ExpressionBuilder(const ParameterSet& params, const NavigatorSettings& settings,
                    const SearchSources& sources, std::string markWords)
      : params_(params), settings_(settings), sources_(sources) {
    result_.markWords = std::move(markWords);
  }

  SearchExpression Build(const std::string& sexp, const std::string& query);

 private:
  // A field's setting: the parameter named prefix + configured name.
  std::string Setting(std::string_view prefix, Param param) const {
    return params_.GetParam(std::string(prefix) + settings_.Name(param));
  }
  // Handles field `i`; false when the loop is to stop after it.
  bool AddField(int i);
  StringList Terms(TermRule rule, std::string_view value);
  void AddTerms(std::string_view prefix, const StringList& terms, std::string readable);
  void AddMarkWord(std::string_view term);
  const StringList& StopWords();
  StringList Selection() const { return sources_.selection ? sources_.selection() : StringList(); }

  const ParameterSet& params_;
  const NavigatorSettings& settings_;
  const SearchSources& sources_;
  std::optional<StringList> stopWords_;  // read on first use
  SearchExpression result_;
};

SearchExpression ExpressionBuilder::Build(const std::string& sexp, const std::string& query) {
  // Every pass but the last reads a field that exists, so the loop ends
  // after at most one pass more than there are pairs.
  for (int i = 1; AddField(i); ++i) {
  }
  if (sexp.empty()) return result_;
  if (result_.expression.empty()) {
    result_.expression = sexp;
    result_.query = query;
    return result_;
  }
  result_.expression = "(" + result_.expression + ") * (" + sexp + ")";
  if (!query.empty()) result_.query += std::string(kRefiningCaption) + query + ")";
  return result_;
}

bool ExpressionBuilder::AddField(int i) {
  const std::string searchName = AsciiUpperCase(settings_.Name(Param::SEARCH));
  ParameterSet::Like field = params_.FindParamLike(searchName, i);
  if (field.value == "*" && field.prefix.empty() &&
      !params_.Get(settings_, Param::CHECKPFT).empty()) {
    field.value.clear();
    for (const ListLine& line : Selection()) field.value += line.text + " ";
  }
  // No such field: this pass still runs, so that KEY or the selection can
  // make the expression of a page without search fields.
  const bool lastPass = field.value.empty() && field.prefix.empty();
  std::string readable = Setting(field.prefix, Param::SEARCHNAME) + ": ";
  const TermRule rule = ReadTermRule(Setting(field.prefix, Param::TRMRULE));
  if (field.value.empty() && rule != TermRule::Selection) {
    const std::string key = params_.Get(settings_, Param::KEY);
    if (key.empty()) return !lastPass;
    result_.expression = "\"" + key + "\"";
    return false;
  }
  AddTerms(field.prefix, Terms(rule, field.value), std::move(readable));
  return !lastPass;
}

StringList ExpressionBuilder::Terms(TermRule rule, std::string_view value) {
  StringList terms;
  switch (rule) {
    case TermRule::WholeValue:
      terms.Add(std::string(value));
      break;
    case TermRule::FirstWord:
      terms.Add(std::string(value.substr(0, value.find(' '))));
      break;
    case TermRule::Selection:
      terms = Selection();
      break;
    case TermRule::Words:
    case TermRule::StemmedWords:
      SplitWords(Utf8UpperCase(value), "", StopWords(), rule == TermRule::StemmedWords, terms);
      break;
  }
  // An empty term (a value that starts with a blank, an empty selection
  // line) would search for the bare prefix: it is left out.
  std::erase_if(terms.lines(), [](const ListLine& line) { return line.text.empty(); });
  return terms;
}

void ExpressionBuilder::AddTerms(std::string_view prefix, const StringList& terms,
                                 std::string readable) {
  if (terms.empty()) return;
  const std::string termPrefix = Setting(prefix, Param::PREFIX);
  const std::string_view truncation = Setting(prefix, Param::TRUNCATE) == "1" ? "$" : "";
  const std::string qualifierText = Setting(prefix, Param::CVALIF);
  const std::string qualifier = qualifierText.empty() ? "" : "/(" + qualifierText + ")";
  const std::string_view termOperator = TermOperator(Setting(prefix, Param::LOGIC));
  result_.termPrefix = termPrefix;

  std::string fieldExpression;
  for (const ListLine& term : terms) {
    if (!fieldExpression.empty()) fieldExpression += termOperator;
    fieldExpression += "\"" + termPrefix + term.text + std::string(truncation) + "\"" + qualifier;
    readable += " " + term.text;
    AddMarkWord(term.text);
  }
  if (result_.expression.empty()) {
    result_.expression = std::move(fieldExpression);
    result_.query = std::move(readable);
    return;
  }
  const std::string_view fieldOperator = FieldOperator(params_.Get(settings_, Param::LOGIC));
  result_.expression =
      "(" + result_.expression + ")" + std::string(fieldOperator) + "(" + fieldExpression + ")";
  result_.query += ";  " + readable;
}

void ExpressionBuilder::AddMarkWord(std::string_view term) {
  if (Utf8Length(term) < kShortestMarkedWord) return;
  if (!result_.markWords.empty()) result_.markWords += "|";
  result_.markWords += term;
}

const StringList& ExpressionBuilder::StopWords() {
  if (!stopWords_) stopWords_ = sources_.stopWords ? sources_.stopWords() : StringList();
  return *stopWords_;
}

}  // namespace

SearchExpression BuildSearchExpression(const ParameterSet& params,
                                       const NavigatorSettings& settings,
                                       const SearchSources& sources, std::string markWords,
                                       const std::string& sexp, const std::string& query) {
  return ExpressionBuilder(params, settings, sources, std::move(markWords)).Build(sexp, query);
}

}  // namespace talor
