// talor-tool format: formats records with a format of the catalogue's format
// language, so that an administrator can try a format before putting it on
// the server.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/tool_commands.h"
#include "client/record.h"
#include "client/text_exchange.h"
#include "format/format_engine.h"
#include "format/format_services.h"

namespace talor {
namespace {

constexpr const char kHelp[] =
    "Использование: talor-tool format (-e ФОРМАТ | -f ИМЯ) [ПАРАМЕТРЫ] [ПОЛЕ...]\n"
    "\n"
    "Форматирует записи форматом на языке форматов каталога и печатает\n"
    "получившиеся строки. Так можно проверить формат до того, как положить\n"
    "его на сервер.\n"
    "\n"
    "Формат:\n"
    "  -e ФОРМАТ        текст формата (в UTF-8); несколько строк соединяются,\n"
    "                   комментарии «/*» до конца строки отбрасываются\n"
    "  -f ИМЯ           файл формата ИМЯ (без точки добавляется «.pft») из\n"
    "                   каталога -d; файлы в Windows-1251, если не начинаются с «!»\n"
    "  -d КАТАЛОГ       каталог файлов форматов и вложенных форматов\n"
    "                   (по умолчанию текущий)\n"
    "\n"
    "Записи:\n"
    "  -i ФАЙЛ          файл обмена в текстовом виде (UTF-8): поле в строке\n"
    "                   «#метка: значение», запись завершается строкой «*****»;\n"
    "                   «-» — стандартный ввод\n"
    "  ПОЛЕ...          поля одной записи прямо в командной строке, каждое\n"
    "                   «#метка: значение»; аргумент «*****» начинает следующую\n"
    "  --mfn N          номер (MFN) первой записи, следующие получают N+1, N+2...\n"
    "                   (по умолчанию 1)\n"
    "  --db ИМЯ         имя базы данных, которое видит формат\n"
    "  --help           эта справка\n"
    "\n"
    "Без записей формат применяется к одной пустой записи.\n"
    "Код выхода: 0 — все записи отформатированы; 1 — ошибка формата (её номер\n"
    "и смысл печатаются в поток ошибок) или файл не прочитан; 2 — неверные\n"
    "параметры.\n"
    "\n"
    "Примеры:\n"
    "  talor-tool format -e \"v200^a, ' : 'v200^e\" \"#200: ^aВойна и мир^eроман\"\n"
    "  talor-tool format -d /srv/talor/DEMO -f brief -i books.txt --mfn 100\n";

struct Options {
  std::optional<std::string> formatText;
  std::optional<std::string> formatName;
  std::string directory = ".";
  std::optional<std::string> inputFile;
  std::vector<std::string> fieldArguments;
  int32_t firstMfn = 1;
  std::string database;
};

// Format files from a directory. Names with a path in them are refused: the
// format language names files of one place only.
class DirectoryFiles : public FormatFileReader {
 public:
  explicit DirectoryFiles(std::filesystem::path directory) : directory_(std::move(directory)) {}

  std::optional<std::string> ReadTextFile(int, std::string_view, std::string_view name) override {
    if (name.empty() || name.find('/') != std::string_view::npos ||
        name.find('\\') != std::string_view::npos || name == "..") {
      return std::nullopt;
    }
    // Catalogue files are often named in upper case; try the name as given,
    // then in lower and in upper case.
    std::string lower(name);
    std::string upper(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& candidate : {std::string(name), lower, upper}) {
      std::ifstream file(directory_ / candidate, std::ios::binary);
      if (!file) continue;
      return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return std::nullopt;
  }

 private:
  std::filesystem::path directory_;
};

std::string_view ErrorMeaning(int32_t code) {
  switch (code) {
    case 2:
      return "повторяющаяся группа внутри повторяющейся группы";
    case 8:
      return "после условия IF нет THEN";
    case 19:
      return "не хватает закрывающей скобки «)» (или у F больше трёх аргументов)";
    case 20:
      return "в выражении стоит то, с чего выражение начаться не может";
    case 26:
      return "несовместимые типы в выражении, или условие не логическое";
    case 28:
      return "неверные аргументы REF";
    case 53:
      return "нет FI";
    case 54:
      return "после «+» у поля нет повторяющегося литерала |...|";
    case 55:
      return "FI без IF";
    case 56:
      return "результат слишком велик";
    case 57:
      return "больше 5000 повторений группы";
    case 58:
      return "нечисловой аргумент F";
    case 60:
      return "эта функция не может стоять отдельно, только в выражении";
    case 61:
      return "аргумент A или P — не поле V или G";
    case 62:
      return "деление на ноль";
    case 99:
      return "недопустимый символ или конструкция (в том числе перевод строки или "
             "слишком глубокая вложенность)";
    case 102:
      return "в выражении не хватает значения";
    case 999:
      return "формат может выполнить только сервер (L, REF, вложение сверх 101 "
             "или функция сервера)";
    default:
      return "ошибка, которую вернул сервер";
  }
}

std::optional<int32_t> ParseMfn(std::string_view text) {
  int64_t value = 0;
  if (text.empty() || text.size() > 10) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

// Fills `options`; a message on stderr and false on bad usage.
bool ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    auto value = [&](const char* what) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "talor-tool format: после %s нужно указать %s\n", argv[i], what);
        return nullptr;
      }
      return argv[++i];
    };
    const char* text = nullptr;
    if (argument == "-e") {
      if ((text = value("текст формата")) == nullptr) return false;
      options.formatText = text;
    } else if (argument == "-f") {
      if ((text = value("имя формата")) == nullptr) return false;
      options.formatName = text;
    } else if (argument == "-d") {
      if ((text = value("каталог")) == nullptr) return false;
      options.directory = text;
    } else if (argument == "-i") {
      if ((text = value("файл записей")) == nullptr) return false;
      options.inputFile = text;
    } else if (argument == "--db") {
      if ((text = value("имя базы")) == nullptr) return false;
      options.database = text;
    } else if (argument == "--mfn") {
      if ((text = value("номер записи")) == nullptr) return false;
      const std::optional<int32_t> mfn = ParseMfn(text);
      if (!mfn) {
        std::fprintf(stderr, "talor-tool format: «%s» — не номер записи (нужно целое ≥ 0)\n", text);
        return false;
      }
      options.firstMfn = *mfn;
    } else if (argument.size() > 1 && argument[0] == '-' && argument != "-") {
      std::fprintf(stderr, "talor-tool format: неизвестный параметр «%s»\n", argv[i]);
      return false;
    } else {
      options.fieldArguments.emplace_back(argument);
    }
  }
  if (options.formatText.has_value() == options.formatName.has_value()) {
    std::fprintf(stderr, "talor-tool format: укажите формат: либо -e ТЕКСТ, либо -f ИМЯ\n");
    return false;
  }
  if (options.inputFile && !options.fieldArguments.empty()) {
    std::fprintf(stderr,
                 "talor-tool format: записи берутся либо из файла -i, либо из аргументов\n");
    return false;
  }
  return true;
}

std::optional<std::string> ReadInput(const std::string& path) {
  if (path == "-") {
    std::ostringstream buffer;
    buffer << std::cin.rdbuf();
    return buffer.str();
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The records to format: from the file, from the arguments (as one text in
// the exchange form), or one empty record.
bool CollectRecords(const Options& options, std::vector<StringList>& records) {
  std::string input;
  if (options.inputFile) {
    std::optional<std::string> content = ReadInput(*options.inputFile);
    if (!content) {
      std::fprintf(stderr, "talor-tool format: не удалось прочитать файл «%s»\n",
                   options.inputFile->c_str());
      return false;
    }
    input = std::move(*content);
  } else {
    for (const std::string& field : options.fieldArguments) input += field + "\n";
  }
  TextExchangeReader reader(input);
  StringList record;
  while (reader.Next(record)) records.push_back(record);
  for (const TextExchangeIssue& issue : reader.issues()) {
    std::fprintf(stderr, "talor-tool format: строка %d: %s\n", issue.line, issue.message.c_str());
  }
  if (records.empty()) {
    if (!options.fieldArguments.empty() || options.inputFile) {
      std::fprintf(stderr, "talor-tool format: ни одной записи не прочитано\n");
      return false;
    }
    RecordNew(record);
    records.push_back(record);
  }
  int32_t mfn = options.firstMfn;
  for (StringList& each : records) {
    if (each.size() > 1) each[1].object = mfn;
    if (mfn < INT32_MAX) ++mfn;
  }
  return true;
}

}  // namespace

int RunFormatCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      return kExitOk;
    }
  }
  Options options;
  if (argc < 2) {
    std::fputs(kHelp, stderr);
    return kExitUsage;
  }
  if (!ParseArguments(argc, argv, options)) {
    std::fputs("Подробнее: talor-tool format --help\n", stderr);
    return kExitUsage;
  }
  std::vector<StringList> records;
  if (!CollectRecords(options, records)) return kExitFailed;

  DirectoryFiles files(options.directory);
  FormatEngine engine;
  engine.SetFileReader(&files);
  if (options.formatName && !files.ReadTextFile(kDatabasePath, options.database,
                                                options.formatName->find('.') == std::string::npos
                                                    ? *options.formatName + ".pft"
                                                    : *options.formatName)) {
    std::fprintf(stderr, "talor-tool format: нет файла формата «%s» в каталоге «%s»\n",
                 options.formatName->c_str(), options.directory.c_str());
    return kExitFailed;
  }
  StringList formatLines;
  // Text typed at a terminal is UTF-8: the leading `!` says so to the loader.
  if (options.formatText) formatLines.SetText("!" + *options.formatText);

  for (size_t n = 0; n < records.size(); ++n) {
    StringList result;
    const int32_t code =
        options.formatName
            ? engine.FormatRecordByName(records[n], options.database, *options.formatName, result)
            : engine.FormatRecordByLines(records[n], options.database, formatLines, result);
    for (const ListLine& line : result) std::printf("%s\n", line.text.c_str());
    if (code != 0) {
      std::fflush(stdout);
      std::fprintf(stderr, "talor-tool format: ошибка %d в записи %zu (MFN %d): %.*s\n", code,
                   n + 1, records[n].size() > 1 ? records[n][1].object : 0,
                   static_cast<int>(ErrorMeaning(code).size()), ErrorMeaning(code).data());
      return kExitFailed;
    }
  }
  return kExitOk;
}

}  // namespace talor
