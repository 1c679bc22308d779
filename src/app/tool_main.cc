// talor-tool: command-line tools for catalogue administrators.
//
// Each subcommand lives in its own tool_NAME.cc and is listed once in
// kCommands below.

#include <cstdio>
#include <cstring>
#include <string_view>

#include "app/tool_commands.h"

namespace talor {
namespace {

struct ToolCommand {
  std::string_view name;
  std::string_view summary;
  int (*run)(int argc, char** argv);
};

constexpr ToolCommand kCommands[] = {
    {"ranges", "развернуть список номеров и диапазонов (1,3-5)", RunRangesCommand},
    {"format", "отформатировать записи форматом на языке форматов", RunFormatCommand},
    {"barcode", "нарисовать штрихкод в файл BMP или PNG", RunBarcodeCommand},
    {"convert", "преобразовать файл обмена записями (текст, ISO 2709)", RunConvertCommand},
    {"stem", "показать основы русских словоформ", RunStemCommand},
    {"issues", "свернуть или развернуть список номеров выпусков", RunIssuesCommand},
    {"mark", "выделить искомые слова в странице HTML", RunMarkCommand},
    {"query", "команды сервера каталога: записи, поиск, словарь, ресурсы", RunQueryCommand},
    {"url", "показать параметры псевдо-URL и поисковое выражение навигатора", RunUrlCommand},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "Использование: talor-tool КОМАНДА [ПАРАМЕТРЫ]\n\nКоманды:\n");
  for (const ToolCommand& command : kCommands) {
    std::fprintf(out, "  %-10.*s %.*s\n", static_cast<int>(command.name.size()),
                 command.name.data(), static_cast<int>(command.summary.size()),
                 command.summary.data());
  }
  std::fprintf(out, "\ntalor-tool КОМАНДА --help описывает параметры команды.\n");
}

}  // namespace
}  // namespace talor

int main(int argc, char** argv) {
  using talor::kCommands;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    talor::PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? talor::kExitUsage : talor::kExitOk;
  }
  for (const auto& command : kCommands) {
    if (command.name == argv[1]) return command.run(argc - 1, argv + 1);
  }
  std::fprintf(stderr, "talor-tool: неизвестная команда «%s»\n\n", argv[1]);
  talor::PrintUsage(stderr);
  return talor::kExitUsage;
}
