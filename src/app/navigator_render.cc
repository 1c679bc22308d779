// talor-navigator render: the batch mode. Logs in with the configuration's
// settings as the login dialog would without asking, opens each address in
// turn as the navigator would (so a later address sees the earlier ones'
// selection and back/forward stack), and prints the finished document.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/navigator_commands.h"
#include "platform/html_page_view.h"
#include "platform/scripted_user_interface.h"
#include "shell/locations.h"
#include "shell/navigator_session.h"
#include "shell/session_external_actions.h"

namespace talor {
namespace {

constexpr std::string_view kRenderUsage =
    "Использование: talor-navigator render [--config ФАЙЛ] [--all] [--file ПУТЬ] [--post ТЕКСТ]\n"
    "                                      АДРЕС...\n"
    "\n"
    "Входит на сервер с именем и паролем из файла настройки (UserName и\n"
    "UserPassword в разделе Main), открывает адреса по очереди, как навигатор,\n"
    "и печатает готовый документ последнего из них.\n"
    "\n"
    "  --config ФАЙЛ  файл настройки (по умолчанию Talor_Navigator.ini)\n"
    "  --all          печатать документ после каждого адреса\n"
    "  --file ПУТЬ    ответ окнам выбора файла: файл выгрузки (команда 7) и\n"
    "                 загрузки (команда 8); без него эти окна отменяются\n"
    "  --post ТЕКСТ   данные формы (multipart) для следующего адреса\n"
    "  --back, --forward  вместо адреса: кнопки «Назад» и «Вперёд»\n"
    "Без адресов открывается начальная страница сервера.\n";

struct RenderStep {
  std::string url;  // "--back", "--forward" or an address
  std::string postText;
};

struct RenderOptions {
  std::optional<std::string> config;
  std::optional<std::string> file;
  bool all = false;
  std::vector<RenderStep> steps;
};

// False on bad usage (the message printed).
bool ParseRenderOptions(int argc, char** argv, RenderOptions& options) {
  std::string post;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if ((argument == "--config" || argument == "--post" || argument == "--file") && i + 1 >= argc) {
      std::fprintf(stderr, "talor-navigator render: после %s нужно значение\n", argv[i]);
      return false;
    }
    if (argument == "--config") {
      options.config = argv[++i];
    } else if (argument == "--file") {
      // The dialogs answer with absolute paths.
      options.file = std::filesystem::absolute(argv[++i]).string();
    } else if (argument == "--post") {
      post = argv[++i];
    } else if (argument == "--all") {
      options.all = true;
    } else if (argument.starts_with("--") && argument != "--back" && argument != "--forward") {
      std::fprintf(stderr, "talor-navigator render: неизвестный параметр %s\n", argv[i]);
      return false;
    } else {
      options.steps.push_back({std::string(argument), std::move(post)});
      post.clear();
    }
  }
  return true;
}

bool IsFailure(const MessageBoxRequest& message) {
  return message.icon == MessageIcon::Exclamation || message.icon == MessageIcon::Error;
}

// Nothing to show; command 11 runs under the session's safety rules, without
// a window for the sibling client.
class RenderChrome final : public NavigatorChrome {
 public:
  ExternalActionHost& ExternalActions() override {
    return externalActions != nullptr ? *externalActions : NavigatorChrome::ExternalActions();
  }
  ExternalActionHost* externalActions = nullptr;
};

}  // namespace

int RunRenderCommand(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kRenderUsage.data(), stdout);
    return kExitOk;
  }
  RenderOptions options;
  if (!ParseRenderOptions(argc, argv, options)) {
    std::fputs(kRenderUsage.data(), stderr);
    return kExitUsage;
  }

  const PathContext paths = PathContext::ForThisProcess();
  ShellFiles files = OpenShellFiles(paths, options.config);
  if (!files.messagesLoaded) {
    std::fprintf(stderr, "%s\n", MissingMessageFileText(files.messageFile).c_str());
  }
  EventLoop loop;
  ScriptedUserInterface ui(loop);
  ui.SetFileAnswer(options.file);
  ui.OnMessage([](const MessageBoxRequest& message) {
    std::fprintf(stderr, "talor-navigator: %s%s%s\n", message.caption.c_str(),
                 message.caption.empty() ? "" : ": ", message.text.c_str());
  });
  // The views outlive the navigator that handles their events.
  HtmlPageView view(loop);
  HtmlPageView printView(loop);
  RenderChrome chrome;
  NavigatorSession core(loop, ui, files.localConfig, files.messages);
  SessionExternalActions externalActions(core);
  chrome.externalActions = &externalActions;
  if (core.Login() != LoginResult::Registered) {
    const SessionValues& session = core.session().values();
    std::fprintf(stderr,
                 "talor-navigator: не удалось войти на сервер %s:%s (имя и пароль берутся из "
                 "UserName и UserPassword раздела Main файла %s)\n",
                 session.serverAddress.c_str(), session.serverPort.c_str(),
                 files.configFile.c_str());
    return kExitFailed;
  }

  if (Status started = core.Start(view, printView, chrome, WorkDirectory(paths, files.localConfig));
      !started.ok()) {
    std::fprintf(stderr, "talor-navigator: %s\n", started.message().c_str());
    return kExitFailed;
  }
  if (options.steps.empty()) options.steps.push_back({core.TakeFirstPage().url, ""});

  Navigator& navigator = core.navigator();
  int exitCode = kExitOk;
  for (const RenderStep& step : options.steps) {
    const size_t messagesBefore = ui.messages().size();
    if (step.url == "--back") {
      navigator.Back();
    } else if (step.url == "--forward") {
      navigator.Forward();
    } else {
      navigator.NavigateWithPost(step.url, step.postText);
    }
    loop.WaitUntil([&] { return navigator.Idle(); });
    for (size_t i = messagesBefore; i < ui.messages().size(); ++i) {
      if (IsFailure(ui.messages()[i])) exitCode = kExitFailed;
    }
    if (exitCode != kExitOk) {
      std::fprintf(stderr, "talor-navigator: страница «%s» не открылась\n", step.url.c_str());
      break;
    }
    if (options.all || &step == &options.steps.back()) {
      std::fputs(view.DocumentHtml().c_str(), stdout);
      std::fputc('\n', stdout);
    }
  }
  core.session().Logout();
  return exitCode;
}

}  // namespace talor
