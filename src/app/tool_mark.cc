// talor-tool mark: marks searched terms in an HTML page as the navigator
// marks them in search results.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "app/tool_commands.h"
#include "text/encoding.h"
#include "text/string_list.h"
#include "text/term_marking.h"

namespace talor {
namespace {

constexpr const char kHelp[] =
    "Использование: talor-tool mark --terms СЛОВО,СЛОВО... ФАЙЛ.html\n"
    "\n"
    "Печатает страницу (UTF-8), в которой каждое вхождение слов выделено красным\n"
    "полужирным шрифтом, как в результатах поиска. Регистр букв не важен; слово\n"
    "выделяется и внутри более длинных слов. Внутри тегов и между переключателями\n"
    "«<.>» и «<!>» ничего не выделяется. Вместо файла можно указать «-»:\n"
    "стандартный ввод.\n"
    "\n"
    "Пример: talor-tool mark --terms книг,каталог result.html\n";

StringList ParseTerms(std::string_view text) {
  StringList terms;
  while (!text.empty()) {
    size_t comma = text.find(',');
    std::string_view term = text.substr(0, comma);
    if (!term.empty()) terms.Add(Utf8UpperCase(term));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return terms;
}

bool ReadPage(std::string_view path, std::string& page) {
  std::ostringstream content;
  if (path == "-") {
    content << std::cin.rdbuf();
  } else {
    std::ifstream file{std::string(path), std::ios::binary};
    if (!file) return false;
    content << file.rdbuf();
  }
  page = content.str();
  return true;
}

}  // namespace

int RunMarkCommand(int argc, char** argv) {
  const char* termsText = nullptr;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    } else if (arg == "--terms" && i + 1 < argc) {
      termsText = argv[++i];
    } else if ((arg == "-" || !arg.starts_with("-")) && path == nullptr) {
      path = argv[i];
    } else {
      std::fprintf(stderr, "talor-tool mark: неверный параметр «%s»\n\n%s", argv[i], kHelp);
      return kExitUsage;
    }
  }
  if (termsText == nullptr || path == nullptr) {
    std::fputs(kHelp, stderr);
    return kExitUsage;
  }
  std::string page;
  if (!ReadPage(path, page)) {
    std::fprintf(stderr, "talor-tool mark: не удалось прочитать файл «%s»\n", path);
    return kExitFailed;
  }
  std::string copy;
  MarkTerms(page, ParseTerms(termsText), copy);
  std::fwrite(page.data(), 1, page.size(), stdout);
  return kExitOk;
}

}  // namespace talor
