#include "server/search_expression.h"

#include <cctype>

#include "server/stored_record.h"
#include "text/encoding.h"

namespace talor::server {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool EndsBareTerm(char c) {
  return IsBlank(c) || c == '"' || c == '(' || c == ')' || c == '+' || c == '*' || c == '^';
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  SearchParse Run() {
    SearchParse result;
    if (text_.size() > kMaxExpressionBytes) {
      result.error = "Слишком длинное поисковое выражение";
      return result;
    }
    std::unique_ptr<SearchNode> root = Expression(0);
    SkipBlanks();
    if (root && pos_ < text_.size()) Fail("Лишний символ в поисковом выражении");
    if (!error_.empty()) {
      result.error = error_;
      return result;
    }
    result.root = std::move(root);
    return result;
  }

 private:
  void Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
  }
  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  bool Accept(char c) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  static std::unique_ptr<SearchNode> Join(SearchOp op, std::unique_ptr<SearchNode> left,
                                          std::unique_ptr<SearchNode> right) {
    auto node = std::make_unique<SearchNode>();
    node->op = op;
    node->left = std::move(left);
    node->right = std::move(right);
    return node;
  }

  // expression -> product { '+' product }
  std::unique_ptr<SearchNode> Expression(int depth) {
    if (depth > kMaxExpressionDepth) {
      Fail("Слишком глубокая вложенность скобок");
      return nullptr;
    }
    std::unique_ptr<SearchNode> node = Product(depth);
    while (node && Accept('+')) {
      std::unique_ptr<SearchNode> right = Product(depth);
      if (!right) return nullptr;
      node = Join(SearchOp::Or, std::move(node), std::move(right));
    }
    return node;
  }

  // product -> phrase { ('*' | '^') phrase }
  std::unique_ptr<SearchNode> Product(int depth) {
    std::unique_ptr<SearchNode> node = Phrase(depth);
    while (node) {
      SearchOp op;
      if (Accept('*')) {
        op = SearchOp::And;
      } else if (Accept('^')) {
        op = SearchOp::AndNot;
      } else {
        break;
      }
      std::unique_ptr<SearchNode> right = Phrase(depth);
      if (!right) return nullptr;
      node = Join(op, std::move(node), std::move(right));
    }
    return node;
  }

  // phrase -> primary { '.' primary }
  std::unique_ptr<SearchNode> Phrase(int depth) {
    std::unique_ptr<SearchNode> node = Primary(depth);
    while (node && Accept('.')) {
      std::unique_ptr<SearchNode> right = Primary(depth);
      if (!right) return nullptr;
      node = Join(SearchOp::Next, std::move(node), std::move(right));
    }
    return node;
  }

  // primary -> '(' expression ')' | term [qualifier]
  std::unique_ptr<SearchNode> Primary(int depth) {
    SkipBlanks();
    if (pos_ >= text_.size()) {
      Fail("Неожиданный конец поискового выражения");
      return nullptr;
    }
    if (Accept('(')) {
      std::unique_ptr<SearchNode> node = Expression(depth + 1);
      if (node && !Accept(')')) {
        Fail("Не закрыта скобка в поисковом выражении");
        return nullptr;
      }
      return node;
    }
    std::unique_ptr<SearchNode> node = Term();
    if (node && !Qualifier(*node)) return nullptr;
    return node;
  }

  std::unique_ptr<SearchNode> Term() {
    std::string_view raw;
    if (text_[pos_] == '"') {
      size_t end = text_.find('"', pos_ + 1);
      if (end == std::string_view::npos) {
        Fail("Не закрыта кавычка в поисковом выражении");
        return nullptr;
      }
      raw = text_.substr(pos_ + 1, end - pos_ - 1);
      pos_ = end + 1;
    } else {
      size_t start = pos_;
      while (pos_ < text_.size() && !EndsBareTerm(text_[pos_]) &&
             !(text_[pos_] == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '('))
        ++pos_;
      raw = text_.substr(start, pos_ - start);
    }
    if (raw.empty()) {
      Fail("Пустой термин в поисковом выражении");
      return nullptr;
    }
    if (++terms_ > kMaxExpressionTerms) {
      Fail("Слишком много терминов в поисковом выражении");
      return nullptr;
    }
    auto node = std::make_unique<SearchNode>();
    if (raw.back() == '$') {
      node->truncated = true;
      raw.remove_suffix(1);
    }
    // A bare `$` would select the whole dictionary.
    if (raw.empty()) {
      Fail("Пустой термин в поисковом выражении");
      return nullptr;
    }
    node->term = Utf8UpperCase(raw);
    return node;
  }

  // qualifier -> '/(' tag { ',' tag } ')'
  bool Qualifier(SearchNode& node) {
    if (pos_ + 1 >= text_.size() || text_[pos_] != '/' || text_[pos_ + 1] != '(') return true;
    size_t close = text_.find(')', pos_ + 2);
    if (close == std::string_view::npos) {
      Fail("Не закрыт квалификатор в поисковом выражении");
      return false;
    }
    std::string_view list = text_.substr(pos_ + 2, close - pos_ - 2);
    pos_ = close + 1;
    while (true) {
      size_t comma = list.find(',');
      std::string_view item = list.substr(0, comma);
      while (!item.empty() && IsBlank(item.front())) item.remove_prefix(1);
      while (!item.empty() && IsBlank(item.back())) item.remove_suffix(1);
      std::optional<int32_t> tag = ParseInt(item);
      if (!tag || *tag <= 0) {
        Fail("Неверная метка поля в квалификаторе");
        return false;
      }
      node.tags.push_back(*tag);
      if (comma == std::string_view::npos) return true;
      list.remove_prefix(comma + 1);
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
  size_t terms_ = 0;
  std::string error_;
};

void CollectTerms(const SearchNode& node, std::vector<const SearchNode*>& terms) {
  if (node.op == SearchOp::Term) {
    terms.push_back(&node);
    return;
  }
  if (node.left) CollectTerms(*node.left, terms);
  if (node.right) CollectTerms(*node.right, terms);
}

}  // namespace

SearchParse ParseSearchExpression(std::string_view text) { return Parser(text).Run(); }

std::vector<const SearchNode*> ExpressionTerms(const SearchNode& root) {
  std::vector<const SearchNode*> terms;
  CollectTerms(root, terms);
  return terms;
}

}  // namespace talor::server
