#include "server/search_evaluator.h"

#include <gtest/gtest.h>

#include <map>

namespace talor::server {
namespace {

// A small dictionary: term -> postings (MFN, tag, occurrence, position).
const std::map<std::string, std::vector<Posting>, std::less<>> kDictionary = {
    {"K=WAR", {{1, 200, 1, 1}, {2, 200, 1, 3}, {3, 610, 1, 1}}},
    {"K=PEACE", {{1, 200, 1, 2}, {2, 200, 1, 1}, {4, 200, 1, 2}}},
    {"K=WARSAW", {{5, 200, 1, 1}}},
    {"A=TOLSTOY", {{1, 700, 1, 1}, {4, 700, 1, 1}}},
};

std::vector<int32_t> Evaluate(std::string_view expression) {
  PostingSource source = [](std::string_view term, bool truncated) {
    std::vector<Posting> postings;
    for (const auto& [key, list] : kDictionary) {
      if (truncated ? key.starts_with(term) : key == term)
        postings.insert(postings.end(), list.begin(), list.end());
    }
    std::sort(postings.begin(), postings.end());
    return postings;
  };
  SearchParse parse = ParseSearchExpression(expression);
  EXPECT_TRUE(parse.root) << expression << ": " << parse.error;
  if (!parse.root) return {};
  return EvaluateSearch(*parse.root, source).value_or(std::vector<int32_t>{-1});
}

TEST(SearchEvaluatorTest, OperatorsOnASmallDictionary) {
  struct Row {
    std::string_view expression;
    std::vector<int32_t> mfns;
  };
  const Row rows[] = {
      {"\"K=WAR\"", {1, 2, 3}},
      {"\"K=NOTHING\"", {}},
      {"\"K=WAR\" * \"K=PEACE\"", {1, 2}},
      {"\"K=WAR\" + \"K=PEACE\"", {1, 2, 3, 4}},
      {"\"K=WAR\" ^ \"K=PEACE\"", {3}},
      {"\"K=WAR$\"", {1, 2, 3, 5}},
      {"\"K=WAR\"/(610)", {3}},
      {"\"K=WAR\"/(200,610)", {1, 2, 3}},
      {"\"K=WAR\" . \"K=PEACE\"", {1}},  // PEACE right after WAR only in record 1
      {"\"K=PEACE\" . \"K=WAR\"", {}},   // in record 2 WAR is two words after PEACE
      {"(\"K=WAR\" + \"K=PEACE\") * \"A=TOLSTOY\"", {1, 4}},
      {"\"k=war\"", {1, 2, 3}},  // terms are upper-cased
  };
  for (const Row& row : rows) EXPECT_EQ(Evaluate(row.expression), row.mfns) << row.expression;
}

TEST(SearchEvaluatorTest, CancelledEvaluationGivesNoResult) {
  std::atomic<bool> cancelled{true};
  SearchParse parse = ParseSearchExpression("a * b");
  ASSERT_TRUE(parse.root);
  PostingSource source = [](std::string_view, bool) { return std::vector<Posting>{{1, 1, 1, 1}}; };
  EXPECT_FALSE(EvaluateSearch(*parse.root, source, &cancelled));
}

}  // namespace
}  // namespace talor::server
