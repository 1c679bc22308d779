// talor-navigator: the catalogue navigator.

#include <cstdio>
#include <cstring>
#include <string_view>

#include "app/navigator_commands.h"

namespace {

constexpr std::string_view kUsage =
    "Использование: talor-navigator [КОМАНДА] [ПАРАМЕТРЫ]\n"
    "\n"
    "Команды:\n"
    "  window     навигатор с окном (команда по умолчанию)\n"
    "  render     открыть страницы каталога без окна и напечатать готовый HTML\n"
    "  send-page  передать запущенному навигатору страницу для показа\n"
    "\n"
    "talor-navigator КОМАНДА --help описывает параметры команды.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "window") == 0) {
    return talor::RunWindowCommand(argc - 1, argv + 1);
  }
  // Without a command, or with the window's own options, the window runs.
  if (argc == 1 || (std::strncmp(argv[1], "--", 2) == 0 && std::strcmp(argv[1], "--help") != 0)) {
    return talor::RunWindowCommand(argc, argv);
  }
  if (argc >= 2 && std::strcmp(argv[1], "render") == 0) {
    return talor::RunRenderCommand(argc - 1, argv + 1);
  }
  if (argc >= 2 && std::strcmp(argv[1], "send-page") == 0) {
    return talor::RunSendPageCommand(argc - 1, argv + 1);
  }
  const bool help =
      argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
  std::fputs(kUsage.data(), help ? stdout : stderr);
  return help ? talor::kExitOk : talor::kExitUsage;
}
