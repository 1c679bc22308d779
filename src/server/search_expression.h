// The search language of the catalogue:
//
//   expression -> product { '+' product }                 (or)
//   product    -> phrase { ('*' | '^') phrase }           (and, and-not)
//   phrase     -> primary { '.' primary }                 (next word in the same field)
//   primary    -> '(' expression ')' | term [ '/(' tag { ',' tag } ')' ]
//   term       -> '"' text '"' | bare text
//
// A term is a dictionary term with its prefix ("K=WAR"); a final `$` makes
// it a truncated term (every term that starts with the rest). A bare term
// runs to a blank, a quote, a parenthesis or an operator other than `.`.
// Terms are upper-cased. The qualifier keeps only postings of those tags.

#ifndef TALOR_SERVER_SEARCH_EXPRESSION_H_
#define TALOR_SERVER_SEARCH_EXPRESSION_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talor::server {

// Bounds of one expression.
inline constexpr size_t kMaxExpressionBytes = 65536;
inline constexpr int kMaxExpressionDepth = 64;
inline constexpr size_t kMaxExpressionTerms = 1024;

enum class SearchOp { Term, Or, And, AndNot, Next };

struct SearchNode {
  SearchOp op = SearchOp::Term;
  // For SearchOp::Term.
  std::string term;
  bool truncated = false;
  std::vector<int32_t> tags;  // empty: any tag
  // For the operators.
  std::unique_ptr<SearchNode> left;
  std::unique_ptr<SearchNode> right;
};

struct SearchParse {
  std::unique_ptr<SearchNode> root;  // null on error
  std::string error;                 // Russian, for the answer
};

SearchParse ParseSearchExpression(std::string_view text);

// Every term of the expression, in reading order.
std::vector<const SearchNode*> ExpressionTerms(const SearchNode& root);

}  // namespace talor::server

#endif  // TALOR_SERVER_SEARCH_EXPRESSION_H_
