// talor-tool stem: shows what the stemmer keeps of Russian word forms.

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "app/tool_commands.h"
#include "text/encoding.h"
#include "text/stemmer.h"

namespace talor {
namespace {

constexpr const char kHelp[] =
    "Использование: talor-tool stem СЛОВО...\n"
    "               talor-tool stem -\n"
    "\n"
    "Для каждой словоформы печатает строку «СЛОВО<TAB>ОСНОВА<TAB>N», где N — число\n"
    "отсечённых букв окончания. Слова в UTF-8; «-» читает слова со стандартного\n"
    "ввода, по одному в строке. Слова короче четырёх букв, с латиницей, цифрами\n"
    "или буквой «ё» не усекаются.\n"
    "\n"
    "Пример: talor-tool stem книгами учиться\n";

void PrintStem(std::string_view word) {
  std::string ansi = Utf8ToAnsi(word);
  int cut = StemCut(ansi);
  // A word that keeps its ending is printed as given: the trip through the
  // ANSI code page would lose characters that it lacks.
  std::string stem(word);
  if (cut > 0) stem = AnsiToUtf8(std::string_view(ansi).substr(0, ansi.size() - cut));
  std::printf("%.*s\t%s\t%d\n", static_cast<int>(word.size()), word.data(), stem.c_str(), cut);
}

}  // namespace

int RunStemCommand(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kHelp, argc < 2 ? stderr : stdout);
    return argc < 2 ? kExitUsage : kExitOk;
  }
  if (argc == 2 && std::strcmp(argv[1], "-") == 0) {
    std::string line;
    while (std::getline(std::cin, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) PrintStem(line);
    }
    return kExitOk;
  }
  for (int i = 1; i < argc; ++i) PrintStem(argv[i]);
  return kExitOk;
}

}  // namespace talor
