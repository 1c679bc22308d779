// talor-tool convert: converts record exchange files between the text form
// and ISO 2709 and between the code pages UTF-8, Windows-1251 and CP866.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/tool_commands.h"
#include "client/exchange_code.h"
#include "client/exchange_file.h"
#include "client/exchange_input.h"
#include "platform/file_io.h"

namespace talor {
namespace {

constexpr std::string_view kStandardStream = "-";

constexpr const char kHelp[] =
    "Использование: talor-tool convert ВХОД ВЫХОД [ПАРАМЕТРЫ]\n"
    "\n"
    "Преобразует файл обмена записями: текстовый вид (строки «#метка: значение»,\n"
    "запись завершается строкой «*****») или ISO 2709 — в любой из них, с перекодировкой.\n"
    "Вместо ВХОДА или ВЫХОДА можно указать «-»: стандартный ввод или вывод.\n"
    "\n"
    "Параметры:\n"
    "  --from txt|iso      вид входного файла; по умолчанию по расширению\n"
    "                      (.iso — ISO 2709, иначе по содержимому)\n"
    "  --to txt|iso        вид выходного файла; по умолчанию по расширению\n"
    "                      (.iso — ISO 2709, иначе текстовый)\n"
    "  --code utf8|win|dos кодировка выходного файла (по умолчанию utf8):\n"
    "                      win — Windows-1251, dos — CP866\n"
    "  --in-code utf8|win|dos\n"
    "                      кодировка входного файла (по умолчанию utf8)\n"
    "  --iso-marks         в ISO 2709 подполя отмечены байтом 0x1F вместо «^»;\n"
    "                      при записи поле 999 заполняет позиции 6-10 и 18-20 маркера,\n"
    "                      при чтении маркер становится первым полем 1000\n"
    "  --help              эта справка\n"
    "\n"
    "Код выхода: 0 — всё преобразовано, 1 — были ошибки (всё, что удалось\n"
    "прочитать, записано), 2 — неверные параметры.\n"
    "\n"
    "Пример: talor-tool convert books.iso books.txt --in-code dos\n";

struct Options {
  std::string input;
  std::string output;
  std::optional<ExchangeForm> from;
  std::optional<ExchangeForm> to;
  ExchangeCode inCode = ExchangeCode::Utf8;
  ExchangeCode outCode = ExchangeCode::Utf8;
  bool isoMarks = false;
};

std::optional<ExchangeForm> FormFromName(std::string_view name) {
  if (name == "txt" || name == "TXT") return ExchangeForm::Text;
  if (name == "iso" || name == "ISO") return ExchangeForm::Iso;
  return std::nullopt;
}

bool HasIsoExtension(std::string_view path) {
  if (path.size() < 4) return false;
  std::string_view tail = path.substr(path.size() - 4);
  return tail == ".iso" || tail == ".ISO" || tail == ".Iso";
}

// Why a file could not be opened, in words for the user.
std::string ErrnoText(int error) {
  switch (error) {
    case ENOENT:
      return "нет такого файла или папки";
    case EACCES:
    case EPERM:
      return "нет доступа";
    case EISDIR:
      return "это папка, а не файл";
    case ENOSPC:
      return "нет места на диске";
    default:
      return std::strerror(error);
  }
}

void Complain(const std::string& message) {
  std::fprintf(stderr, "talor-tool convert: %s\n", message.c_str());
}

// Parses the arguments; on bad usage says why and returns nullopt.
std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    auto value = [&](std::string_view name) -> std::optional<std::string_view> {
      if (i + 1 >= argc) {
        Complain("у параметра " + std::string(name) + " нет значения");
        return std::nullopt;
      }
      return std::string_view(argv[++i]);
    };
    if (argument == "--from" || argument == "--to") {
      std::optional<std::string_view> name = value(argument);
      if (!name) return std::nullopt;
      std::optional<ExchangeForm> form = FormFromName(*name);
      if (!form) {
        Complain("неизвестный вид файла «" + std::string(*name) + "»: нужен txt или iso");
        return std::nullopt;
      }
      (argument == "--from" ? options.from : options.to) = form;
    } else if (argument == "--code" || argument == "--in-code") {
      std::optional<std::string_view> name = value(argument);
      if (!name) return std::nullopt;
      std::optional<ExchangeCode> code = ExchangeCodeFromName(*name);
      if (!code) {
        Complain("неизвестная кодировка «" + std::string(*name) + "»: нужна utf8, win или dos");
        return std::nullopt;
      }
      (argument == "--code" ? options.outCode : options.inCode) = *code;
    } else if (argument == "--iso-marks") {
      options.isoMarks = true;
    } else if (argument.size() > 1 && argument[0] == '-') {
      Complain("неизвестный параметр «" + std::string(argument) + "»");
      return std::nullopt;
    } else {
      paths.emplace_back(argument);
    }
  }
  if (paths.size() != 2) {
    Complain("нужны два имени файла, входной и выходной (дано " + std::to_string(paths.size()) +
             ")");
    return std::nullopt;
  }
  options.input = paths[0];
  options.output = paths[1];
  return options;
}

// The bytes looked at to tell the form of a file without --from.
constexpr size_t kGuessBytes = 64 * 1024;
constexpr size_t kOutputBufferBytes = 1 << 20;

class InputFile {
 public:
  // Opens `path`, or takes standard input for "-"; false with errno set.
  bool Open(const std::string& path) {
    if (path == kStandardStream) {
      file_ = stdin;
      return true;
    }
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      errno = EISDIR;
      return false;
    }
    file_ = std::fopen(path.c_str(), "rb");
    owned_ = file_ != nullptr;
    return owned_;
  }
  ~InputFile() {
    if (owned_) std::fclose(file_);
  }
  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_ = nullptr;
  bool owned_ = false;
};

struct Counts {
  size_t read = 0;
  size_t written = 0;
  bool clean = true;
};

void ReportIssues(ExchangeFileReader& reader, const Options& options, Counts& counts) {
  for (const std::string& issue : reader.TakeIssues()) {
    Complain(options.input + ": " + issue);
    counts.clean = false;
  }
}

// Copies every record from `reader` to `writer`, one at a time; problems are
// reported on stderr. False when the output could not be written.
bool Convert(ExchangeFileReader& reader, ExchangeFileWriter& writer, const Options& options,
             Counts& counts) {
  StringList record;
  ExchangeFileReader::Status status;
  while ((status = reader.Next(record)) == ExchangeFileReader::Status::Record) {
    ReportIssues(reader, options, counts);
    ++counts.read;
    size_t missing = 0;
    ExchangeFileWriter::Status written = writer.Write(record, &missing);
    if (written == ExchangeFileWriter::Status::WriteFailed) return false;
    const std::string which = "запись " + std::to_string(counts.read);
    if (written == ExchangeFileWriter::Status::TooLong) {
      counts.clean = false;
      Complain(which +
               " не записана: в ISO 2709 метка должна быть от 0 до 999, поле — короче 9999"
               " байт, запись — короче 99999 байт");
      continue;
    }
    ++counts.written;
    if (missing > 0) {
      counts.clean = false;
      Complain(which + ": символов, которых нет в выбранной кодировке, — " +
               std::to_string(missing) + "; они записаны как «?»");
    }
  }
  ReportIssues(reader, options, counts);
  if (status == ExchangeFileReader::Status::Malformed) {
    Complain(options.input + ": дальше файл не читается");
    counts.clean = false;
  }
  return true;
}

}  // namespace

int RunConvertCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      return kExitOk;
    }
  }
  std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    std::fputs("Подробнее: talor-tool convert --help\n", stderr);
    return kExitUsage;
  }
  InputFile input;
  if (!input.Open(options->input)) {
    Complain("не удаётся прочитать файл «" + options->input + "»: " + ErrnoText(errno));
    return kExitFailed;
  }
  ExchangeInput bytes(input.get());
  const ExchangeForm from = options->from.value_or(
      HasIsoExtension(options->input) ? ExchangeForm::Iso
                                      : GuessExchangeForm(bytes.Peek(kGuessBytes)));
  const ExchangeForm to = options->to.value_or(
      HasIsoExtension(options->output) ? ExchangeForm::Iso : ExchangeForm::Text);
  ExchangeFileReader reader(bytes, {from, options->inCode, options->isoMarks});
  const bool toStandardOutput = options->output == kStandardStream;
  FileReplacement output(options->output);
  if (!toStandardOutput && !output.Open()) {
    Complain("не удаётся записать файл «" + options->output + "»: " + ErrnoText(errno));
    return kExitFailed;
  }
  std::FILE* target = toStandardOutput ? stdout : output.file();
  // A large buffer: files of hundreds of megabytes otherwise cost a write
  // call every few kilobytes.
  std::setvbuf(target, nullptr, _IOFBF, kOutputBufferBytes);
  ExchangeFileWriter writer(target, {to, options->outCode, options->isoMarks});
  Counts counts;
  bool written = Convert(reader, writer, *options, counts);
  written = written && (toStandardOutput ? std::fflush(stdout) == 0 : output.Commit());
  if (!written) {
    Complain("не удаётся записать файл «" + options->output + "»: " + ErrnoText(errno));
    return kExitFailed;
  }
  std::fprintf(stderr, "Преобразовано записей: %zu из %zu\n", counts.written, counts.read);
  const bool clean = counts.clean;
  return clean ? kExitOk : kExitFailed;
}

}  // namespace talor
