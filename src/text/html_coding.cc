#include "text/html_coding.h"

namespace talor {
namespace {

struct Entity {
  std::string_view name;
  char character;
};

// In the order in which HtmlUnescape replaces them.
constexpr Entity kEntities[] = {{"&amp;", '&'}, {"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}};

// Replaces `entity` by `character` until none is left. After a replacement a
// new occurrence can only start at most entity.size() - 1 bytes before it,
// so the search resumes there instead of at the start: the result is the
// same as restarting from the beginning, without the quadratic cost.
void ReplaceAll(std::string& text, std::string_view entity, char character) {
  size_t from = 0;
  while ((from = text.find(entity, from)) != std::string::npos) {
    text.replace(from, entity.size(), 1, character);
    from = from >= entity.size() - 1 ? from - (entity.size() - 1) : 0;
  }
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
  std::string result;
  result.reserve(text.size() + text.size() / 4);
  for (char c : text) {
    switch (c) {
      case '&':
        result += "&amp;";
        break;
      case '"':
        result += "&quot;";
        break;
      case '<':
        result += "&lt;";
        break;
      case '>':
        result += "&gt;";
        break;
      default:
        result += c;
    }
  }
  return result;
}

std::string HtmlUnescape(std::string_view text) {
  std::string result(text);
  for (const Entity& entity : kEntities) ReplaceAll(result, entity.name, entity.character);
  return result;
}

}  // namespace talor
