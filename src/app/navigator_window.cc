// talor-navigator window: the navigator with its window. The core runs on
// this thread's event loop; the window is a page of the local web server,
// opened in Chromium's app mode when Chromium is there.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <asio/signal_set.hpp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/navigator_commands.h"
#include "platform/html_page_view.h"
#include "platform/message_bus.h"
#include "shell/config_keys.h"
#include "shell/locations.h"
#include "text/number_text.h"
#include "ui/local_web_server.h"
#include "ui/main_window.h"
#include "ui/web_window.h"

extern char** environ;

namespace talor {
namespace {

constexpr std::string_view kWindowUsage =
    "Использование: talor-navigator [window] [--config ФАЙЛ] [--port ПОРТ] [--no-browser]\n"
    "                               [--browser ПРОГРАММА]\n"
    "\n"
    "Запускает навигатор с окном. Окно — страница на 127.0.0.1, которая\n"
    "открывается в Chromium в режиме приложения; её адрес печатается в первой\n"
    "строке вывода. Навигатор завершается, когда окно закрыто.\n"
    "\n"
    "  --config ФАЙЛ        файл настройки (по умолчанию Talor_Navigator.ini)\n"
    "  --port ПОРТ          порт окна (по умолчанию любой свободный)\n"
    "  --no-browser         не открывать окно, только напечатать его адрес\n"
    "  --browser ПРОГРАММА  обозреватель для окна (по умолчанию chromium)\n";

constexpr std::string_view kCaptionPrefix = "ТАЛОР-Навигатор - ";
constexpr std::string_view kInstallName = "InstallName";

struct WindowOptions {
  std::optional<std::string> config;
  int port = 0;
  bool openBrowser = true;
  std::string browser;
};

bool ParseWindowOptions(int argc, char** argv, WindowOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool takesValue =
        argument == "--config" || argument == "--port" || argument == "--browser";
    if (takesValue && i + 1 >= argc) {
      std::fprintf(stderr, "talor-navigator: после %s нужно значение\n", argv[i]);
      return false;
    }
    if (argument == "--config") {
      options.config = argv[++i];
    } else if (argument == "--port") {
      options.port = DecimalToInt(argv[++i], -1);
      if (options.port < 0 || options.port > 65535) {
        std::fprintf(stderr, "talor-navigator: неверный порт окна «%s»\n", argv[i]);
        return false;
      }
    } else if (argument == "--browser") {
      options.browser = argv[++i];
    } else if (argument == "--no-browser") {
      options.openBrowser = false;
    } else {
      std::fprintf(stderr, "talor-navigator: неизвестный параметр %s\n", argv[i]);
      return false;
    }
  }
  return true;
}

// The caption's installation name: InstallName of section Main, else the
// catalogue server's address.
std::string WindowCaption(const LocalConfig& config) {
  std::string name = config.ReadString(config::kMain, kInstallName, "");
  if (name.empty()) {
    name = config.ReadString(config::kMain, config::kServerIP, "127.0.0.1") + ":" +
           config.ReadString(config::kMain, config::kServerPort, "6666");
  }
  return std::string(kCaptionPrefix) + name;
}

bool OnPath(const std::string& program) {
  if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0;
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string candidate = std::string(rest.substr(0, colon)) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  return false;
}

// Starts `arguments` with its output thrown away; -1 when it cannot start.
pid_t Spawn(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

std::string BrowserProfile() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  std::string base = cache != nullptr && *cache != '\0' ? cache
                     : home != nullptr                  ? std::string(home) + "/.cache"
                                                        : "/tmp";
  return base + "/talor-navigator/browser";
}

// Opens the window: Chromium's app mode with kiosk printing (printing
// without asking) in a profile of its own, else xdg-open. Returns the
// Chromium process to end with the navigator, or -1.
pid_t OpenWindow(const WindowOptions& options, const std::string& url, const WindowLayout& layout) {
  std::string browser = options.browser;
  if (browser.empty()) {
    for (const char* candidate : {"chromium", "chromium-browser", "google-chrome"}) {
      if (OnPath(candidate)) {
        browser = candidate;
        break;
      }
    }
  }
  if (!browser.empty()) {
    std::vector<std::string> arguments{
        browser,
        "--app=" + url,
        "--kiosk-printing",
        "--user-data-dir=" + BrowserProfile(),
        "--no-first-run",
        "--no-default-browser-check",
        "--disable-background-networking",
        "--disable-component-update",
        "--disable-sync",
        "--window-size=" + std::to_string(layout.width) + "," + std::to_string(layout.height)};
    if (layout.scalable) arguments.push_back("--start-maximized");
    // Chromium refuses to run as root with its sandbox.
    if (geteuid() == 0) arguments.push_back("--no-sandbox");
    const pid_t pid = Spawn(arguments);
    if (pid > 0) return pid;
  }
  if (OnPath("xdg-open") && Spawn({"xdg-open", url}) > 0) return -1;
  std::fprintf(stderr, "talor-navigator: обозреватель не найден; откройте адрес окна вручную: %s\n",
               url.c_str());
  return -1;
}

}  // namespace

int RunWindowCommand(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kWindowUsage.data(), stdout);
    return kExitOk;
  }
  WindowOptions options;
  if (!ParseWindowOptions(argc, argv, options)) {
    std::fputs(kWindowUsage.data(), stderr);
    return kExitUsage;
  }

  const PathContext paths = PathContext::ForThisProcess();
  ShellFiles files = OpenShellFiles(paths, options.config);
  if (!files.messagesLoaded) {
    std::fprintf(stderr, "%s\n", MissingMessageFileText(files.messageFile).c_str());
  }
  const std::string workDirectory = WorkDirectory(paths, files.localConfig);

  EventLoop loop;
  LocalWebServerOptions serverOptions;
  serverOptions.port = options.port;
  // A page that went away is noticed at the next write to its stream: a
  // closed browser window then ends the navigator within a second or two.
  serverOptions.keepAliveInterval = std::chrono::seconds(1);
  LocalWebServer server(loop, serverOptions);
  // The views outlive the navigator that handles their events.
  HtmlPageView view(loop);
  HtmlPageView printView(loop);
  WebWindow window({loop, server, files.messages, view, printView, files.font,
                    WindowCaption(files.localConfig), workDirectory});
  MessageBus bus(loop);
  const WindowHandle handle = bus.NewWindowHandle();
  MainWindow main({loop, window, files.localConfig, files.messages, view, printView, window,
                   [&bus](int64_t target, uint32_t message, int64_t wParam, int64_t lParam) {
                     bus.PostMessage(kAnyWindowClass, static_cast<WindowHandle>(target), message,
                                     wParam, lParam);
                   },
                   workDirectory, &bus, handle});
  window.Attach(main);

  const ListenResult listening =
      bus.Listen(kNavigatorWindowClass, handle, [&main](const WindowMessage& message) {
        if (message.message == kHandOverMessage)
          main.HandOverMessage(message.wParam, message.lParam);
      });
  if (listening != ListenResult::Listening) {
    std::fprintf(stderr,
                 "talor-navigator: окно не принимает сообщения других программ (передача "
                 "страниц недоступна)\n");
  }

  const WebServerStart started = server.Start();
  if (started != WebServerStart::kStarted) {
    std::fprintf(stderr, "talor-navigator: не удалось открыть окно на 127.0.0.1:%d\n",
                 options.port);
    return kExitFailed;
  }
  std::printf("Окно навигатора: %s\n", server.WindowUrl().c_str());
  std::fflush(stdout);

  asio::signal_set signals(loop.context(), SIGINT, SIGTERM);
  signals.async_wait([&main](const std::error_code& error, int) {
    if (!error) main.Close();
  });

  const pid_t browser =
      options.openBrowser ? OpenWindow(options, server.WindowUrl(), main.layout()) : -1;
  main.EnableStartTimer();
  loop.Run();
  signals.cancel();

  // The page gets a moment to take the closing event before the server goes;
  // the event streams run on the server's threads.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  server.Stop();
  if (browser > 0) {
    kill(browser, SIGTERM);
    waitpid(browser, nullptr, 0);
  }
  return kExitOk;
}

}  // namespace talor
