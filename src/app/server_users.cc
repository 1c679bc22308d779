#include "app/server_users.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/exit_codes.h"
#include "server/catalogue_loader.h"
#include "server/password_hash.h"
#include "server/storage.h"
#include "server/user_words.h"

namespace talor::server {

const char kUserCommandUsage[] =
    "  talor-server user add ИМЯ [--rights write|read] [--workstations КОДЫ|-] --data ПАПКА\n"
    "  talor-server user passwd ИМЯ --data ПАПКА\n"
    "  talor-server user set ИМЯ [--rights write|read] [--workstations КОДЫ|-] --data ПАПКА\n"
    "  talor-server user remove ИМЯ --data ПАПКА\n"
    "  talor-server user list --data ПАПКА\n";

namespace {

struct UserArguments {
  std::string action;
  std::string name;
  std::string data;
  std::optional<std::string> rights;
  std::optional<std::string> workstations;
};

bool TakesName(std::string_view action) {
  return action == "add" || action == "passwd" || action == "set" || action == "remove";
}

bool TakesRights(std::string_view action) { return action == "add" || action == "set"; }

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return code;
}

int UsageError(const std::string& message) {
  return Fail(kExitUsage, message + "\nИспользование:\n" + kUserCommandUsage);
}

// Takes one option and its value (nullptr when the words ended); false with
// a message printed when it is not one of the action's options or has no
// value (the next word being an option).
bool TakeOption(UserArguments& args, std::string_view option, const char* value) {
  if (!option.starts_with("--")) {
    // Not shown: it may well be a password typed where none belongs.
    UsageError(
        "Лишнее слово в командной строке (пароль читается с терминала или со стандартного "
        "ввода)");
    return false;
  }
  if (value == nullptr || std::string_view(value).starts_with("--")) {
    UsageError("Нет значения параметра «" + std::string(option) + "»");
    return false;
  }
  std::optional<std::string>* target = option == "--rights"         ? &args.rights
                                       : option == "--workstations" ? &args.workstations
                                                                    : nullptr;
  if (option == "--data") {
    args.data = value;
  } else if (target != nullptr && TakesRights(args.action)) {
    *target = value;
  } else {
    UsageError("Неизвестный параметр: «" + std::string(option) + "»");
    return false;
  }
  return true;
}

// Reads the words after "user" and the action; nullopt with a message
// printed when they do not make a command.
std::optional<UserArguments> ParseUserArguments(int argc, char** argv,
                                                std::string_view defaultDataDir) {
  UserArguments args;
  args.data = defaultDataDir;
  int i = 0;
  if (i < argc) args.action = argv[i++];
  if (!TakesName(args.action) && args.action != "list") {
    UsageError("Неизвестное действие: «" + args.action + "»");
    return std::nullopt;
  }
  if (TakesName(args.action) && i < argc && argv[i][0] != '-') args.name = argv[i++];
  for (; i < argc; i += 2) {
    if (!TakeOption(args, argv[i], i + 1 < argc ? argv[i + 1] : nullptr)) return std::nullopt;
  }
  if (TakesName(args.action) && args.name.empty()) {
    UsageError("Не указано имя пользователя");
    return std::nullopt;
  }
  return args;
}

// The storage of an existing data directory; the command never creates one.
std::unique_ptr<Storage> OpenExisting(const std::string& data) {
  std::filesystem::path file = std::filesystem::path(data) / kStorageFileName;
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    Fail(kExitFailed, "Хранилище не найдено: " + file.string() +
                          " (сначала заполните папку данных командой talor-server init)");
    return nullptr;
  }
  std::unique_ptr<Storage> storage;
  if (Status status = Storage::Open(file.string(), &storage); !status.ok())
    Fail(kExitFailed, "Не удалось открыть хранилище в " + data + ": " + status.message());
  if (storage && storage->convertedUsers() > 0)
    std::fprintf(stderr, "Пароли пользователей (%d) заменены хэшами\n", storage->convertedUsers());
  return storage;
}

// The terminal whose echo is off, for the signal handler that restores it.
int gQuietTerminal = -1;
termios gSavedTerminal;

void RestoreTerminalAndDie(int signal) {
  tcsetattr(gQuietTerminal, TCSAFLUSH, &gSavedTerminal);
  std::signal(signal, SIG_DFL);
  raise(signal);
}

// Turns off the echo of the terminal `fd` for its lifetime. The program
// blocks SIGINT and SIGTERM for the server; here they are let through, so
// that Ctrl-C at the prompt ends the program with the echo restored.
class QuietTerminal {
 public:
  explicit QuietTerminal(int fd) {
    if (tcgetattr(fd, &gSavedTerminal) != 0) return;
    gQuietTerminal = fd;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, RestoreTerminalAndDie);
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
    pthread_sigmask(SIG_UNBLOCK, &signals, &savedMask_);
    termios quiet = gSavedTerminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(fd, TCSAFLUSH, &quiet);
  }
  ~QuietTerminal() {
    if (gQuietTerminal < 0) return;
    tcsetattr(gQuietTerminal, TCSAFLUSH, &gSavedTerminal);
    pthread_sigmask(SIG_SETMASK, &savedMask_, nullptr);
    gQuietTerminal = -1;
  }
  QuietTerminal(const QuietTerminal&) = delete;
  QuietTerminal& operator=(const QuietTerminal&) = delete;

 private:
  sigset_t savedMask_{};
};

// One line of standard input without its line end; nullopt at the end of
// input or for a line longer than a password may be.
std::optional<std::string> ReadLine() {
  std::string line;
  for (int c = std::getchar(); c != '\n'; c = std::getchar()) {
    if (c == EOF) return line.empty() ? std::nullopt : std::optional(line);
    if (line.size() > kMaxPasswordBytes) return std::nullopt;
    line += static_cast<char>(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<std::string> AskQuietly(const char* prompt) {
  std::fprintf(stderr, "%s", prompt);
  std::fflush(stderr);
  std::optional<std::string> line;
  {
    QuietTerminal quiet(STDIN_FILENO);
    line = ReadLine();
  }
  std::fprintf(stderr, "\n");
  return line;
}

// The new password: typed twice at a terminal, or one line of standard
// input. Nullopt with a message printed when there is none to take.
std::optional<std::string> ReadNewPassword(const std::string& name) {
  std::optional<std::string> password;
  if (isatty(STDIN_FILENO)) {
    password = AskQuietly(("Новый пароль пользователя «" + name + "»: ").c_str());
    std::optional<std::string> again = AskQuietly("Повторите пароль: ");
    if (password && again && *password != *again) {
      Fail(kExitFailed, "Пароли не совпадают; ничего не изменено");
      return std::nullopt;
    }
  } else {
    password = ReadLine();
  }
  if (!password) {
    Fail(kExitFailed, "Пароль не введён; ничего не изменено");
    return std::nullopt;
  }
  if (!IsValidPassword(*password)) {
    Fail(kExitFailed, "Пароль должен содержать от 1 до " + std::to_string(kMaxPasswordBytes) +
                          " байт; ничего не изменено");
    return std::nullopt;
  }
  return password;
}

// The rights and workstation codes given on the command line over `user`;
// false with a message printed when one of them is malformed.
bool ApplyRights(const UserArguments& args, User& user) {
  if (args.rights) {
    std::optional<bool> canWrite = ParseRights(*args.rights);
    if (!canWrite) {
      UsageError("Неверные права: «" + *args.rights + "» (нужно write или read)");
      return false;
    }
    user.canWrite = *canWrite;
  }
  if (args.workstations) {
    std::optional<std::string> codes = ParseWorkstations(*args.workstations);
    if (!codes) {
      UsageError("Неверные коды АРМ: «" + *args.workstations +
                 "» (буквы или цифры без повторов, или - для любых)");
      return false;
    }
    user.workstations = std::move(*codes);
  }
  return true;
}

bool SetNewPassword(User& user) {
  std::optional<std::string> password = ReadNewPassword(user.name);
  if (!password) return false;
  std::optional<std::string> hash = HashPassword(*password);
  if (!hash) {
    Fail(kExitFailed, "Не удалось вычислить хэш пароля");
    return false;
  }
  user.passwordHash = std::move(*hash);
  return true;
}

// Reports the outcome of a change; `done` is the message for success.
int Report(UserChange change, const UserArguments& args, const std::string& done) {
  switch (change) {
    case UserChange::Done:
      std::printf("%s\n", done.c_str());
      return kExitOk;
    case UserChange::Exists:
      return Fail(kExitFailed, "Пользователь «" + args.name + "» уже есть");
    case UserChange::Absent:
      return Fail(kExitFailed, "Пользователя «" + args.name + "» нет");
    case UserChange::Failed:
      break;
  }
  return Fail(kExitFailed, "Не удалось записать пользователя «" + args.name + "» в " + args.data);
}

int AddUser(Storage& storage, const UserArguments& args) {
  User user{args.name, {}, {}, false};
  if (!ApplyRights(args, user)) return kExitUsage;
  if (storage.FindUser(args.name)) return Report(UserChange::Exists, args, {});
  if (!SetNewPassword(user)) return kExitFailed;
  return Report(storage.AddUser(user), args, "Пользователь «" + args.name + "» добавлен");
}

int ChangeUser(Storage& storage, const UserArguments& args) {
  std::optional<User> user = storage.FindUser(args.name);
  if (!user) return Report(UserChange::Absent, args, {});
  if (args.action == "passwd") {
    if (!SetNewPassword(*user)) return kExitFailed;
    return Report(storage.ChangeUser(*user), args,
                  "Пароль пользователя «" + args.name + "» изменён");
  }
  if (!args.rights && !args.workstations) return UsageError("Укажите --rights или --workstations");
  if (!ApplyRights(args, *user)) return kExitUsage;
  return Report(storage.ChangeUser(*user), args, "Права пользователя «" + args.name + "» изменены");
}

int ListUsers(Storage& storage) {
  for (const User& user : storage.Users()) {
    std::printf("%s %s %s\n", user.name.c_str(), WorkstationsWord(user.workstations).c_str(),
                std::string(RightsWord(user.canWrite)).c_str());
  }
  return kExitOk;
}

}  // namespace

int RunUserCommand(int argc, char** argv, std::string_view defaultDataDir) {
  if (argc > 0 && (std::string_view(argv[0]) == "--help" || std::string_view(argv[0]) == "-h")) {
    std::printf("Использование:\n%s", kUserCommandUsage);
    return kExitOk;
  }
  std::optional<UserArguments> args = ParseUserArguments(argc, argv, defaultDataDir);
  if (!args) return kExitUsage;
  if (TakesName(args->action) && !IsValidUserName(args->name)) {
    return UsageError("Неверное имя пользователя: «" + args->name + "» (от 1 до " +
                      std::to_string(kMaxUserNameBytes) +
                      " байт, без пробелов и управляющих символов)");
  }
  std::unique_ptr<Storage> storage = OpenExisting(args->data);
  if (!storage) return kExitFailed;
  if (args->action == "list") return ListUsers(*storage);
  if (args->action == "add") return AddUser(*storage, *args);
  if (args->action == "remove")
    return Report(storage->RemoveUser(args->name), *args,
                  "Пользователь «" + args->name + "» удалён");
  return ChangeUser(*storage, *args);
}

}  // namespace talor::server
