// talor-tool convert: converts record exchange files between the text form
// and ISO 2709 and between the code pages UTF-8, Windows-1251 and CP866.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/tool_commands.h"
#include "client/exchange_code.h"
#include "client/iso2709.h"
#include "client/record.h"
#include "client/text_exchange.h"

namespace talor {
namespace {

constexpr std::string_view kStandardStream = "-";

enum class FileForm { Text, Iso };

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
  std::optional<FileForm> from;
  std::optional<FileForm> to;
  ExchangeCode inCode = ExchangeCode::Utf8;
  ExchangeCode outCode = ExchangeCode::Utf8;
  bool isoMarks = false;
};

std::optional<FileForm> FormFromName(std::string_view name) {
  if (name == "txt" || name == "TXT") return FileForm::Text;
  if (name == "iso" || name == "ISO") return FileForm::Iso;
  return std::nullopt;
}

bool HasIsoExtension(std::string_view path) {
  if (path.size() < 4) return false;
  std::string_view tail = path.substr(path.size() - 4);
  return tail == ".iso" || tail == ".ISO" || tail == ".Iso";
}

// An ISO 2709 file begins with five digits of record length and holds
// field separators; a text file does not.
FileForm GuessForm(std::string_view bytes) {
  if (bytes.size() < kIsoLeaderLength) return FileForm::Text;
  for (size_t i = 0; i < 5; ++i) {
    if (bytes[i] < '0' || bytes[i] > '9') return FileForm::Text;
  }
  return bytes.find(kIsoFieldSeparator) != std::string_view::npos ? FileForm::Iso : FileForm::Text;
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
      std::optional<FileForm> form = FormFromName(*name);
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

std::optional<std::string> ReadInput(const std::string& path) {
  std::ostringstream bytes;
  if (path == kStandardStream) {
    bytes << std::cin.rdbuf();
    return bytes.str();
  }
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    errno = EISDIR;
    return std::nullopt;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  bytes << file.rdbuf();
  if (file.bad()) return std::nullopt;
  return bytes.str();
}

bool WriteOutput(const std::string& path, const std::string& bytes) {
  if (path == kStandardStream) {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
    return static_cast<bool>(std::cout);
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
}

// Reads every record of `bytes`; problems are reported on stderr.
std::vector<StringList> ReadRecords(std::string_view bytes, const Options& options, FileForm form,
                                    bool& clean) {
  std::vector<StringList> records;
  StringList record;
  if (form == FileForm::Text) {
    TextExchangeReader reader(bytes);
    while (reader.Next(record)) records.push_back(record);
    for (const TextExchangeIssue& issue : reader.issues()) {
      Complain(options.input + ":" + std::to_string(issue.line) + ": " + issue.message);
    }
    clean = reader.issues().empty();
  } else {
    IsoReader reader(bytes);
    IsoReader::Status status;
    while ((status = reader.Next(record, options.isoMarks)) == IsoReader::Status::Record) {
      if (options.isoMarks) ReplaceInFields(record, kIsoSubfieldDelimiter, '^');
      records.push_back(record);
    }
    if (status == IsoReader::Status::Malformed) {
      Complain(options.input + ": " + reader.error() + "; дальше файл не читается");
      clean = false;
    }
  }
  for (StringList& each : records) RecodeForImport(each, options.inCode);
  return records;
}

// Appends the records in the output form; records that cannot be written are
// reported and skipped.
std::string WriteRecords(std::vector<StringList>& records, const Options& options, FileForm form,
                         size_t& written, bool& clean) {
  std::string out;
  written = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    StringList& record = records[i];
    RecodeForExport(record, options.outCode);
    if (form == FileForm::Text) {
      WriteTextRecord(record, out);
      ++written;
      continue;
    }
    std::optional<std::string> leader;
    if (options.isoMarks) {
      ReplaceInFields(record, '^', kIsoSubfieldDelimiter);
      leader = TakeLeaderSource(record);
    }
    if (WriteIsoRecord(record, out, leader)) {
      ++written;
    } else {
      clean = false;
      Complain("запись " + std::to_string(i + 1) +
               " не записана: в ISO 2709 метка должна быть от 0 до 999, поле — короче 9999"
               " байт, запись — короче 99999 байт");
    }
  }
  return out;
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
  std::optional<std::string> bytes = ReadInput(options->input);
  if (!bytes) {
    Complain("не удаётся прочитать файл «" + options->input + "»: " + ErrnoText(errno));
    return kExitFailed;
  }
  FileForm from =
      options->from.value_or(HasIsoExtension(options->input) ? FileForm::Iso : GuessForm(*bytes));
  FileForm to =
      options->to.value_or(HasIsoExtension(options->output) ? FileForm::Iso : FileForm::Text);
  bool clean = true;
  std::vector<StringList> records = ReadRecords(*bytes, *options, from, clean);
  size_t written = 0;
  std::string out = WriteRecords(records, *options, to, written, clean);
  if (!WriteOutput(options->output, out)) {
    Complain("не удаётся записать файл «" + options->output + "»: " + ErrnoText(errno));
    return kExitFailed;
  }
  std::fprintf(stderr, "Преобразовано записей: %zu из %zu\n", written, records.size());
  return clean ? kExitOk : kExitFailed;
}

}  // namespace talor
