#include "server/search_expression.h"

#include <gtest/gtest.h>

#include <string>

namespace talor::server {
namespace {

// The tree in prefix form: terms as TERM, TERM$ or TERM/(t,t); operators as
// (op left right).
std::string Show(const SearchNode& node) {
  switch (node.op) {
    case SearchOp::Term: {
      std::string text = node.term + (node.truncated ? "$" : "");
      if (!node.tags.empty()) {
        text += "/(";
        for (size_t i = 0; i < node.tags.size(); ++i)
          text += (i ? "," : "") + std::to_string(node.tags[i]);
        text += ")";
      }
      return text;
    }
    case SearchOp::Or:
      return "(+ " + Show(*node.left) + " " + Show(*node.right) + ")";
    case SearchOp::And:
      return "(* " + Show(*node.left) + " " + Show(*node.right) + ")";
    case SearchOp::AndNot:
      return "(^ " + Show(*node.left) + " " + Show(*node.right) + ")";
    case SearchOp::Next:
      return "(. " + Show(*node.left) + " " + Show(*node.right) + ")";
  }
  return "?";
}

std::string Parse(std::string_view text) {
  SearchParse parse = ParseSearchExpression(text);
  return parse.root ? Show(*parse.root) : "error: " + parse.error;
}

TEST(SearchExpressionTest, ExpressionsTheNavigatorBuilds) {
  struct Row {
    std::string_view text;
    std::string_view tree;
  };
  const Row rows[] = {
      {"\"K=war\"", "K=WAR"},
      {"(\"T=war\")*(\"K=peace\")", "(* T=WAR K=PEACE)"},
      {"\"K=word$\"/(700)", "K=WORD$/(700)"},
      {"\"K=a\"/(700, 701)", "K=A/(700,701)"},
      {"(\"K=peace\") * (\"K=war\")", "(* K=PEACE K=WAR)"},
      {"\"K=a\" . \"K=b\"", "(. K=A K=B)"},
      {"\"K=a\"^\"K=b\"", "(^ K=A K=B)"},
      {"\"A=ТОЛСТОЙ, Л.Н.\"", "A=ТОЛСТОЙ, Л.Н."},
      {"K=war", "K=WAR"},
      {"K=war$", "K=WAR$"},
  };
  for (const Row& row : rows) EXPECT_EQ(Parse(row.text), row.tree) << row.text;
}

TEST(SearchExpressionTest, PrecedenceOrBelowAndBelowNext) {
  EXPECT_EQ(Parse("a + b * c"), "(+ A (* B C))");
  EXPECT_EQ(Parse("a * b . c"), "(* A (. B C))");
  EXPECT_EQ(Parse("a ^ b * c"), "(* (^ A B) C)");
  EXPECT_EQ(Parse("(a + b) * c"), "(* (+ A B) C)");
}

TEST(SearchExpressionTest, BadExpressionsAreErrorsNotCrashes) {
  const char* bad[] = {"",      "\"K=war", "(a * b", "a * ",    "a +", ")",    "a )",   "\"\"",
                       "a/(x)", "a/(700",  "a/()",   "a * * b", "$",   "((((", "a/(-1)"};
  for (const char* text : bad) {
    SearchParse parse = ParseSearchExpression(text);
    EXPECT_FALSE(parse.root) << text;
    EXPECT_FALSE(parse.error.empty()) << text;
  }
}

TEST(SearchExpressionTest, NestingAndSizeAreBounded) {
  std::string deep(kMaxExpressionDepth + 2, '(');
  deep += "a";
  deep += std::string(kMaxExpressionDepth + 2, ')');
  EXPECT_FALSE(ParseSearchExpression(deep).root);

  std::string manyTerms = "a";
  for (size_t i = 0; i < kMaxExpressionTerms; ++i) manyTerms += "+a";
  EXPECT_FALSE(ParseSearchExpression(manyTerms).root);

  EXPECT_FALSE(ParseSearchExpression(std::string(kMaxExpressionBytes + 1, 'a')).root);
}

}  // namespace
}  // namespace talor::server
