// talor-navigator send-page: the hand-over from the shell. Writes the page
// into section CONTEXT of the navigator's configuration file and posts the
// hand-over message to the running navigator, which reads the file again and
// opens the page; when no navigator runs, the next start opens it.

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "app/navigator_commands.h"
#include "platform/event_loop.h"
#include "platform/message_bus.h"
#include "shell/config_keys.h"
#include "shell/ini_value.h"
#include "shell/locations.h"

namespace talor {
namespace {

constexpr std::string_view kSendPageUsage =
    "Использование: talor-navigator send-page АДРЕС [--config ФАЙЛ] [--return-handle ОКНО]\n"
    "\n"
    "Передаёт запущенному навигатору страницу для показа: записывает адрес в\n"
    "InitURL раздела CONTEXT файла настройки и посылает окну навигатора\n"
    "сообщение о передаче. Если навигатор не запущен, страница останется в\n"
    "файле настройки и откроется при следующем запуске.\n"
    "\n"
    "  --config ФАЙЛ         файл настройки (по умолчанию Talor_Navigator.ini)\n"
    "  --return-handle ОКНО  номер окна, в которое навигатор вернётся по кнопке\n"
    "                        возврата (ReturnHandle раздела CONTEXT)\n"
    "\n"
    "Код завершения: 0 — страница передана, 1 — окно навигатора не найдено\n"
    "или файл настройки не записан, 2 — ошибка в параметрах.\n";

struct SendPageOptions {
  std::string url;
  std::optional<std::string> config;
  std::optional<WindowHandle> returnHandle;
};

void UsageError(const char* format, const char* argument) {
  std::fputs("talor-navigator send-page: ", stderr);
  std::fprintf(stderr, format, argument);
  std::fputc('\n', stderr);
}

// False on bad usage (the message printed).
bool ParseSendPageOptions(int argc, char** argv, SendPageOptions& options) {
  bool haveUrl = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if ((argument == "--config" || argument == "--return-handle") && i + 1 >= argc) {
      UsageError("после %s нужно значение", argv[i]);
      return false;
    }
    if (argument == "--config") {
      options.config = argv[++i];
    } else if (argument == "--return-handle") {
      const std::optional<int32_t> handle = ParseIniInteger(argv[++i]);
      if (!handle || *handle < 0) {
        UsageError("номер окна должен быть целым неотрицательным числом, а не «%s»", argv[i]);
        return false;
      }
      options.returnHandle = *handle;
    } else if (argument.starts_with("--")) {
      UsageError("неизвестный параметр %s", argv[i]);
      return false;
    } else if (haveUrl) {
      UsageError("передаётся одна страница, лишний адрес «%s»", argv[i]);
      return false;
    } else {
      options.url = argument;
      haveUrl = true;
    }
  }
  if (options.url.empty() || options.url.find_first_of("\r\n") != std::string::npos) {
    UsageError("%s", haveUrl ? "адрес не может быть пустым или содержать перевод строки"
                             : "не указан адрес страницы");
    return false;
  }
  return true;
}

// Writes the page into section CONTEXT. Without a return window an old
// ReturnHandle is set to 0, so that the page does not bring back the return
// button of an earlier hand-over.
bool WritePage(const SendPageOptions& options, IniFile& config) {
  if (!config.WriteString(config::kContext, config::kInitURL, options.url)) return false;
  if (options.returnHandle) {
    return config.WriteInteger(config::kContext, config::kReturnHandle, *options.returnHandle);
  }
  if (config.ValueExists(config::kContext, config::kReturnHandle)) {
    return config.WriteInteger(config::kContext, config::kReturnHandle, kNoWindowHandle);
  }
  return true;
}

}  // namespace

int RunSendPageCommand(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kSendPageUsage.data(), stdout);
    return kExitOk;
  }
  SendPageOptions options;
  if (!ParseSendPageOptions(argc, argv, options)) {
    std::fputs(kSendPageUsage.data(), stderr);
    return kExitUsage;
  }

  const std::string configFile = ConfigFilePath(PathContext::ForThisProcess(), options.config);
  IniFile config = IniFile::Open(configFile);
  if (!WritePage(options, config) || !config.UpdateFile()) {
    std::fprintf(stderr, "talor-navigator send-page: не удалось записать файл настройки %s\n",
                 configFile.c_str());
    return kExitFailed;
  }

  EventLoop loop;
  const MessageBus bus(loop);
  const std::optional<WindowHandle> navigator = bus.FindWindow(kNavigatorWindowClass);
  if (!navigator || !bus.PostMessage(kNavigatorWindowClass, *navigator, kHandOverMessage, 0,
                                     options.returnHandle.value_or(kNoWindowHandle))) {
    std::fprintf(stderr,
                 "talor-navigator send-page: окно навигатора не найдено; страница записана в "
                 "файл настройки %s и откроется при следующем запуске навигатора\n",
                 configFile.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace talor
