// talor-tool query: the catalogue server's commands from the command line,
// through the same transport and command set as the navigator, printing the
// answer lines received. With --raw it shows the request and the whole
// answer as they travelled, so it doubles as a protocol debugger.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/tool_commands.h"
#include "client/command_set.h"
#include "client/decimal.h"
#include "client/record.h"
#include "client/server_codes.h"
#include "client/term_collector.h"
#include "client/text_exchange.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/file_io.h"
#include "platform/loop_timer.h"
#include "platform/scripted_user_interface.h"

namespace talor {
namespace {

constexpr const char* kUsage =
    "Использование: talor-tool query [ПАРАМЕТРЫ] КОМАНДА АРГУМЕНТЫ...\n"
    "Выполняет команду сервера каталога и печатает полученные строки ответа.\n"
    "\n"
    "Параметры:\n"
    "  --host АДРЕС         адрес сервера (127.0.0.1)\n"
    "  --port ПОРТ          порт сервера (6666; 80 - через шлюз веб-сервера)\n"
    "  --user ИМЯ           имя пользователя\n"
    "  --password ПАРОЛЬ    пароль\n"
    "  --workstation КОД    код рабочего места (R)\n"
    "  --blocking           блокирующий обмен вместо неблокирующего\n"
    "  --timeout СЕКУНДЫ    прервать неблокирующий обмен после стольких секунд (60; 0 - ждать)\n"
    "  --raw                показать запрос и ответ целиком, как они передавались\n"
    "  --format ФОРМАТ      формат для search, terms, postings\n"
    "  --first N            номер первого результата (1)\n"
    "  --count N            число терминов, записей, ссылок (10)\n"
    "  --lock               читать или писать запись с блокировкой\n"
    "  --path N             номер пути ресурса (10)\n"
    "\n"
    "Команды (кроме register все выполняются после регистрации):\n"
    "  register                        зарегистрироваться и показать настройки сервера\n"
    "  noop                            пустая команда\n"
    "  maxmfn БД                       следующий номер записи\n"
    "  read БД MFN                     прочитать запись\n"
    "  write БД ФАЙЛ                   записать записи из текстового файла обмена (UTF-8)\n"
    "  search БД ВЫРАЖЕНИЕ             поиск (с --format, --first, --count)\n"
    "  terms БД НАЧАЛО                 термины словаря вперёд\n"
    "  terms-back БД НАЧАЛО            термины словаря назад\n"
    "  collect БД НАЧАЛО               собрать --count терминов с ненулевым числом ссылок\n"
    "  postings БД ТЕРМИН              ссылки термина (с --format - форматированные)\n"
    "  format БД ФОРМАТ MFN...         форматировать записи (MFN или диапазон N-M)\n"
    "  text БД ФАЙЛ                    прочитать текстовый ресурс\n"
    "  binary БД ФАЙЛ ВЫХОДНОЙ_ФАЙЛ    прочитать двоичный ресурс в файл\n"
    "  fulltext БД ЗАПРОС              полнотекстовый поиск (с --format, --first, --count)\n"
    "\n"
    "Код возврата: 0 - ответ получен, 1 - обмен не удался, 2 - ошибка в параметрах,\n"
    "3 - сервер ответил отрицательным кодом (его смысл печатается в поток ошибок).\n";

struct Options {
  std::string host = "127.0.0.1";
  std::string port = "6666";
  std::string user;
  std::string password;
  std::string workstation = "R";
  bool blocking = false;
  int timeoutSeconds = 60;
  bool raw = false;
  std::string format;
  int first = 1;
  int count = 10;
  bool lock = false;
  int path = kDatabaseFilesPath;
  std::vector<std::string> positional;
};

int UsageError(const std::string& message) {
  std::fprintf(stderr, "talor-tool query: %s\n(talor-tool query --help описывает параметры)\n",
               message.c_str());
  return kExitUsage;
}

// The largest exchange file `write` reads.
constexpr size_t kMaxWriteFileBytes = size_t{1} << 30;

// A failed exchange outweighs a refused record, which outweighs success.
int Worse(int a, int b) {
  auto rank = [](int code) { return code == kExitFailed ? 2 : code == kExitRefused ? 1 : 0; };
  return rank(a) >= rank(b) ? a : b;
}

using Arguments = std::vector<std::string>;
class QueryTool;

// A command: its name, how many arguments it takes after the name, their
// shape for the usage message, and what runs it.
struct QueryCommand {
  std::string_view name;
  size_t minArguments;
  size_t maxArguments;
  const char* shape;
  int (QueryTool::*run)(const Arguments& args, StringList& answer);
};

const QueryCommand* FindQueryCommand(std::string_view name);

// Fills `options`; an error message when the arguments are not usable.
std::optional<std::string> ParseOptions(int argc, char** argv, Options& options) {
  const std::map<std::string, std::string*> texts = {
      {"--host", &options.host},     {"--port", &options.port},
      {"--user", &options.user},     {"--password", &options.password},
      {"--format", &options.format}, {"--workstation", &options.workstation}};
  const std::map<std::string, int*> numbers = {{"--first", &options.first},
                                               {"--count", &options.count},
                                               {"--path", &options.path},
                                               {"--timeout", &options.timeoutSeconds}};
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--blocking") {
      options.blocking = true;
    } else if (argument == "--raw") {
      options.raw = true;
    } else if (argument == "--lock") {
      options.lock = true;
    } else if (texts.contains(argument) || numbers.contains(argument)) {
      if (i + 1 >= argc) return "после " + argument + " нужно значение";
      const std::string value = argv[++i];
      if (texts.contains(argument)) {
        *texts.at(argument) = value;
      } else if (std::optional<int> number = ParseDecimal(value)) {
        *numbers.at(argument) = *number;
      } else {
        return "значение " + argument + " должно быть целым числом: «" + value + "»";
      }
    } else if (argument.starts_with("--")) {
      return "неизвестный параметр «" + argument + "»";
    } else {
      options.positional.push_back(argument);
    }
  }
  if (options.positional.empty()) return std::string("не указана команда");
  const std::string& name = options.positional[0];
  const size_t given = options.positional.size() - 1;
  const QueryCommand* command = FindQueryCommand(name);
  if (command == nullptr) return "неизвестная команда «" + name + "»";
  if (given < command->minArguments || given > command->maxArguments) {
    return std::string("ожидается ") + command->shape;
  }
  if (options.workstation.empty()) return std::string("код рабочего места пуст");
  return std::nullopt;
}

void PrintLines(const StringList& lines) {
  for (const ListLine& line : lines) {
    if (line.object != 0) {
      std::printf("%d#%s\n", line.object, line.text.c_str());
    } else {
      std::printf("%s\n", line.text.c_str());
    }
  }
}

class QueryTool {
 public:
  explicit QueryTool(const Options& options)
      : options_(options),
        transport_(loop_, ui_, clock_),
        commands_(transport_, ui_),
        stopper_(loop_, std::chrono::seconds(1), [this] { StopperTimer(); }) {
    ui_.OnMessage([](const MessageBoxRequest& box) {
      std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
    });
    transport_.SetServer(options.host, options.port, options.workstation);
    transport_.SetBlocking(options.blocking);
    transport_.SetWaitSeconds(0);
    if (options.timeoutSeconds > 0) stopper_.Start();
  }

  int Run() {
    const Arguments& args = options_.positional;
    if (args[0] == "register") return Register(true);
    if (const int code = Register(false); code != kExitOk) return code;
    StringList answer;
    const int code = (this->*FindQueryCommand(args[0])->run)(args, answer);
    commands_.Unregister(options_.user, answer);
    return code;
  }

  // ---- the commands, each with the arguments after its name in args[1...]
  int NoOperation(const Arguments&, StringList& answer) {
    return Report(commands_.NoOperation(answer), answer);
  }
  int MaxMfn(const Arguments& args, StringList& answer) {
    return Report(commands_.ReadMaxMfn(args[1], answer), answer);
  }
  int Read(const Arguments& args, StringList&) {
    std::optional<int> mfn = ParseDecimal(args[2]);
    if (!mfn) return UsageError("MFN должен быть целым числом");
    StringList record;
    return Report(commands_.ReadRecord(args[1], *mfn, options_.lock, record), record);
  }
  int Search(const Arguments& args, StringList& answer) {
    const Options& o = options_;
    return Report(commands_.Search(args[1], args[2], o.count, answer, o.format, o.first), answer);
  }
  int Terms(const Arguments& args, StringList& answer) {
    const Options& o = options_;
    return Report(o.format.empty()
                      ? commands_.ReadTermsForward(args[1], args[2], o.count, answer)
                      : commands_.ReadTerms(args[1], args[2], o.count, answer, o.format),
                  answer);
  }
  int TermsBack(const Arguments& args, StringList& answer) {
    return Report(commands_.ReadTermsBackward(args[1], args[2], options_.count, answer), answer);
  }
  int Collect(const Arguments& args, StringList& answer) {
    const int result = CollectTermsForward(commands_, args[1], args[2], options_.count, answer);
    return Report(static_cast<ExchangeResult>(result), answer);
  }
  int Postings(const Arguments& args, StringList& answer) {
    const Options& o = options_;
    if (o.format.empty()) {
      return Report(commands_.ReadPostings(args[1], args[2], o.first, answer, o.count), answer);
    }
    StringList texts;
    ExchangeResult outcome = commands_.ReadFormattedPostings(args[1], args[2], o.first, answer,
                                                             texts, o.format, o.count);
    const int code = Report(outcome, answer);
    if (outcome == ExchangeResult::Good) PrintLines(texts);
    return code;
  }
  int Text(const Arguments& args, StringList& answer) {
    return Report(commands_.ReadTextResource(options_.path, args[1], args[2], answer), answer);
  }
  int Binary(const Arguments& args, StringList& answer) {
    std::string block;
    ExchangeResult outcome =
        commands_.ReadBinaryResource(options_.path, args[1], args[2], answer, block);
    const int code = Report(outcome, answer);
    if (code != kExitOk) return code;
    if (!ReplaceFileContents(args[3], block)) {
      std::fprintf(stderr, "talor-tool query: не удалось записать файл «%s»\n", args[3].c_str());
      return kExitFailed;
    }
    std::printf("записано байт: %zu\n", block.size());
    return kExitOk;
  }
  int FullText(const Arguments& args, StringList& answer) {
    const Options& o = options_;
    return Report(
        commands_.FullTextSearch(args[1], args[2], "", answer, "", o.format, o.first, o.count, ""),
        answer);
  }

  int Format(const Arguments& args, StringList& answer) {
    const std::string& range = args[3];
    const size_t dash = range.find('-', 1);
    if (args.size() == 4 && dash != std::string::npos) {
      std::optional<int> from = ParseDecimal(range.substr(0, dash));
      std::optional<int> to = ParseDecimal(range.substr(dash + 1));
      if (!from || !to) return UsageError("диапазон записывается как N-M");
      StringList list{{"0", 0}, {std::to_string(*from), 0}, {std::to_string(*to), 0}};
      return Report(commands_.FormatRecords(args[1], list, args[2], answer), answer);
    }
    StringList list{{std::to_string(args.size() - 3), 0}};
    for (size_t i = 3; i < args.size(); ++i) {
      if (!ParseDecimal(args[i])) {
        return UsageError("MFN должен быть целым числом: «" + args[i] + "»");
      }
      list.Add(args[i]);
    }
    if (args.size() == 4) {
      return Report(commands_.FormatRecord(args[1], *ParseDecimal(args[3]), args[2], answer),
                    answer);
    }
    return Report(commands_.FormatRecords(args[1], list, args[2], answer), answer);
  }

  int Write(const Arguments& args, StringList&) {
    const std::string& database = args[1];
    const std::string& path = args[2];
    const FileContents file = ReadWholeFile(path, kMaxWriteFileBytes);
    if (file.status != FileReadStatus::Read) {
      std::fprintf(stderr, "talor-tool query: не удалось прочитать файл «%s»\n", path.c_str());
      return kExitFailed;
    }
    TextExchangeReader reader(file.bytes);
    StringList record;
    int code = kExitOk;
    int written = 0;
    while (reader.Next(record)) {
      StringList answer;
      ExchangeResult outcome = commands_.WriteRecord(database, options_.lock, true, answer, record);
      std::printf("--- запись %d\n", written + 1);
      code = Worse(code, Report(outcome, answer));
      PrintLines(record);
      ++written;
    }
    for (const TextExchangeIssue& issue : reader.issues()) {
      std::fprintf(stderr, "%s:%d: %s\n", path.c_str(), issue.line, issue.message.c_str());
    }
    if (written == 0) {
      std::fprintf(stderr, "talor-tool query: в файле «%s» нет записей\n", path.c_str());
      return kExitFailed;
    }
    return code;
  }

 private:
  // A non-blocking exchange that runs longer than the timeout is stopped as
  // the user would stop it: three presses of the stop button.
  void StopperTimer() {
    const std::string& sequence = transport_.identity().sequenceNumber;
    if (!transport_.exchangeRunning() || sequence != watchedSequence_) {
      watchedSequence_ = sequence;
      secondsWaited_ = 0;
      return;
    }
    if (++secondsWaited_ < options_.timeoutSeconds) return;
    std::fprintf(stderr, "talor-tool query: нет ответа, обмен прерывается\n");
    for (int press = 0; press < 3; ++press) transport_.BitBtnWaitClick();
  }

  int Register(bool print) {
    StringList answer;
    ExchangeResult outcome =
        commands_.RegisterAt(options_.host, options_.port, options_.workstation, answer,
                             options_.password, options_.user);
    if (print) return Report(outcome, answer);
    if (outcome != ExchangeResult::Good) return Report(outcome, answer);
    if (answer.empty() || ParseDecimal(answer[0].text) != 0) {
      std::fprintf(stderr, "talor-tool query: сервер отказал в регистрации (%s)\n",
                   answer.empty()
                       ? ""
                       : DescribeServerCode(ParseDecimal(answer[0].text).value_or(0)).c_str());
      return kExitRefused;
    }
    return kExitOk;
  }

  int Report(ExchangeResult outcome, const StringList& answer) {
    if (options_.raw) {
      std::printf("--- запрос\n%s\n--- ответ\n%s--- строки\n", transport_.requestText().c_str(),
                  std::string(transport_.answerText()).c_str());
    }
    PrintLines(answer);
    if (outcome != ExchangeResult::Good) {
      std::fprintf(stderr, "talor-tool query: обмен с сервером %s:%s не удался (%d)\n",
                   options_.host.c_str(), options_.port.c_str(), static_cast<int>(outcome));
      return kExitFailed;
    }
    if (std::optional<int32_t> code = AnswerErrorCode(answer)) {
      std::fprintf(stderr, "talor-tool query: сервер ответил: %s\n",
                   DescribeServerCode(*code).c_str());
      return kExitRefused;
    }
    return kExitOk;
  }

  const Options& options_;
  EventLoop loop_;
  ScriptedUserInterface ui_{loop_};
  SystemClock clock_;
  Transport transport_;
  CommandSet commands_;
  LoopTimer stopper_;
  std::string watchedSequence_;
  int secondsWaited_ = 0;
};

constexpr QueryCommand kQueryCommands[] = {
    {"register", 0, 0, "register", nullptr},
    {"noop", 0, 0, "noop", &QueryTool::NoOperation},
    {"maxmfn", 1, 1, "maxmfn БД", &QueryTool::MaxMfn},
    {"read", 2, 2, "read БД MFN", &QueryTool::Read},
    {"write", 2, 2, "write БД ФАЙЛ", &QueryTool::Write},
    {"search", 2, 2, "search БД ВЫРАЖЕНИЕ", &QueryTool::Search},
    {"terms", 2, 2, "terms БД НАЧАЛО", &QueryTool::Terms},
    {"terms-back", 2, 2, "terms-back БД НАЧАЛО", &QueryTool::TermsBack},
    {"collect", 2, 2, "collect БД НАЧАЛО", &QueryTool::Collect},
    {"postings", 2, 2, "postings БД ТЕРМИН", &QueryTool::Postings},
    {"format", 3, 1000, "format БД ФОРМАТ MFN... (или диапазон N-M)", &QueryTool::Format},
    {"text", 2, 2, "text БД ФАЙЛ", &QueryTool::Text},
    {"binary", 3, 3, "binary БД ФАЙЛ ВЫХОДНОЙ_ФАЙЛ", &QueryTool::Binary},
    {"fulltext", 2, 2, "fulltext БД ЗАПРОС", &QueryTool::FullText},
};

const QueryCommand* FindQueryCommand(std::string_view name) {
  for (const QueryCommand& command : kQueryCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

}  // namespace

int RunQueryCommand(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  Options options;
  if (std::optional<std::string> error = ParseOptions(argc, argv, options)) {
    return UsageError(*error);
  }
  QueryTool tool(options);
  return tool.Run();
}

}  // namespace talor
