// talor-tool url: shows how the navigator reads a pseudo-URL: the parameter
// set, and on request the search expression of command 2, the format
// spec and the follow-up pseudo-URL of command 8. Lets a page author
// check a link or a form without a server.

#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/tool_commands.h"
#include "navigator/command_text.h"
#include "navigator/navigator_settings.h"
#include "navigator/parameters.h"
#include "navigator/search_expression.h"
#include "platform/file_io.h"
#include "shell/ini_file.h"
#include "text/encoding.h"
#include "text/html_coding.h"
#include "text/number_text.h"

namespace talor {
namespace {

constexpr const char kHelp[] =
    "Использование: talor-tool url [--post-file ФАЙЛ] [--names ФАЙЛ.ini]\n"
    "                              [--search [--stopwords ФАЙЛ]] [--formatspec]\n"
    "                              [--followup8 ЧИСЛО] URL\n"
    "\n"
    "Печатает параметры, которые навигатор читает из псевдо-URL «TALOR:...»,\n"
    "по одному «ИМЯ=ЗНАЧЕНИЕ» в строке, в порядке чтения: поля заголовка, затем\n"
    "параметры запроса после «?», затем поля формы. Значения печатаются байт\n"
    "в байт (UTF-8).\n"
    "\n"
    "  --post-file ФАЙЛ    тело формы (multipart/form-data), отправленной на URL\n"
    "  --names ФАЙЛ.ini    настройки сервера: ключи PARNAME_... (имена параметров),\n"
    "                      MODTAG_... и NUMBFREEPAR раздела [Navigator]\n"
    "  --search            также строки EXPRESSION:, QUERY: и MARKWORDS: —\n"
    "                      поисковое выражение команды 2, запрос для чтения\n"
    "                      и слова для выделения (без отмеченных записей)\n"
    "  --stopwords ФАЙЛ    стоп-слова для --search: файл в кодировке\n"
    "                      Windows-1251, по слову в строке (как файлы .stw)\n"
    "  --formatspec        также строку FORMATSPEC: — спецификацию формата\n"
    "                      запроса (имя формата из параметра PFTNAME)\n"
    "  --followup8 ЧИСЛО   также строку FOLLOWUP: — псевдо-URL, который команда 8\n"
    "                      открывает после импорта, когда первый MFN равен ЧИСЛУ\n"
    "                      (при ЧИСЛЕ не больше 0 не открывается ничего)\n"
    "\n"
    "Пример: talor-tool url --search 'TALOR:2,,DEMO,brief.pft?S21STR=war+and+peace&S21P01=1'\n";

// The largest POST body or stop-word file that is read.
constexpr size_t kMaxInputBytes = 16 * 1024 * 1024;

struct UrlOptions {
  std::string url;
  std::optional<std::string> postFile;
  std::optional<std::string> namesFile;
  std::optional<std::string> stopWordsFile;
  bool search = false;
  bool formatSpec = false;
  std::optional<int32_t> followUpCount;
};

int UsageError(const std::string& message) {
  std::fprintf(stderr, "talor-tool url: %s\n\n%s", message.c_str(), kHelp);
  return kExitUsage;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "talor-tool url: %s\n", message.c_str());
  return kExitFailed;
}

// Fills `options`; returns the exit code when there is nothing more to do
// (a usage error, or the help was printed), else nullopt.
std::optional<int> ParseOptions(int argc, char** argv, UrlOptions& options) {
  bool haveUrl = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    } else if (arg == "--post-file" && hasValue) {
      options.postFile = argv[++i];
    } else if (arg == "--names" && hasValue) {
      options.namesFile = argv[++i];
    } else if (arg == "--stopwords" && hasValue) {
      options.stopWordsFile = argv[++i];
    } else if (arg == "--search") {
      options.search = true;
    } else if (arg == "--formatspec") {
      options.formatSpec = true;
    } else if (arg == "--followup8" && hasValue) {
      const std::optional<int64_t> count = ParseDecimal64(argv[++i]);
      if (!count || *count < std::numeric_limits<int32_t>::min() ||
          *count > std::numeric_limits<int32_t>::max()) {
        return UsageError(std::string("число после --followup8 должно быть целым: «") + argv[i] +
                          "»");
      }
      options.followUpCount = static_cast<int32_t>(*count);
    } else if (!arg.starts_with("--") && !haveUrl) {
      options.url = arg;
      haveUrl = true;
    } else {
      return UsageError(std::string("неверный параметр «") + argv[i] + "»");
    }
  }
  if (!haveUrl) return UsageError("не указан URL");
  if (options.stopWordsFile && !options.search) {
    return UsageError("--stopwords действует только вместе с --search");
  }
  return std::nullopt;
}

std::optional<std::string> ReadInputFile(const std::string& path) {
  FileContents contents = ReadWholeFile(path, kMaxInputBytes);
  if (contents.status != FileReadStatus::Read) return std::nullopt;
  return std::move(contents.bytes);
}

// The settings of section Navigator (and MAIN) of `path`; defaults without
// a file. nullopt, with the message printed, when the file cannot be used.
std::optional<NavigatorSettings> LoadSettings(const std::optional<std::string>& path) {
  if (!path) return NavigatorSettings();
  const IniFile ini = IniFile::Open(*path);
  if (ini.LoadResult() != IniLoadResult::Read) {
    Failure("не удалось прочитать файл настроек «" + *path + "»");
    return std::nullopt;
  }
  auto section = [&ini](std::string_view name) -> SettingsLookup {
    return [&ini, name](std::string_view key) -> std::optional<std::string> {
      if (!ini.ValueExists(name, key)) return std::nullopt;
      return ini.ReadString(name, key, "");
    };
  };
  return ReadNavigatorSettings(section("Navigator"), section("MAIN"));
}

void PrintLine(std::string_view label, std::string_view value) {
  std::fwrite(label.data(), 1, label.size(), stdout);
  std::fwrite(value.data(), 1, value.size(), stdout);
  std::fputc('\n', stdout);
}

void PrintSearch(const ParameterSet& params, const NavigatorSettings& settings,
                 const StringList& stopWords) {
  SearchSources sources;
  sources.stopWords = [&stopWords] { return stopWords; };
  sources.selection = [] { return StringList(); };
  const SearchExpression search = BuildSearchExpression(
      params, settings, sources, HtmlUnescape(params.Get(settings, Param::MARKWORDS)),
      HtmlUnescape(params.Get(settings, Param::SEXP)),
      HtmlUnescape(params.Get(settings, Param::QUERY)));
  PrintLine("EXPRESSION: ", search.expression);
  PrintLine("QUERY: ", search.query);
  PrintLine("MARKWORDS: ", search.markWords);
}

}  // namespace

int RunUrlCommand(int argc, char** argv) {
  UrlOptions options;
  if (std::optional<int> done = ParseOptions(argc, argv, options)) return *done;

  std::string postText;
  if (options.postFile) {
    std::optional<std::string> body = ReadInputFile(*options.postFile);
    if (!body) return Failure("не удалось прочитать файл формы «" + *options.postFile + "»");
    postText = PostDataToText(*body);
  }
  StringList stopWords;
  if (options.stopWordsFile) {
    std::optional<std::string> words = ReadInputFile(*options.stopWordsFile);
    if (!words) {
      return Failure("не удалось прочитать файл стоп-слов «" + *options.stopWordsFile + "»");
    }
    stopWords.SetText(AnsiToUtf8(*words));
  }
  const std::optional<NavigatorSettings> settings = LoadSettings(options.namesFile);
  if (!settings) return kExitFailed;

  // The tool has no current database: a resource link without one keeps an
  // empty DBNAME, and the follow-up falls back to DEMO as the navigator does.
  ParameterSet params;
  ParseNavigationParams(options.url, postText, *settings, "", params);
  for (const ParameterSet::Pair& pair : params.pairs()) PrintLine(pair.name + "=", pair.value);

  if (options.search) PrintSearch(params, *settings, stopWords);
  const std::vector<FreeParameter> freeParameters = ReadFreeParameters(params, *settings);
  const std::string formatName = params.Get(*settings, Param::PFTNAME);
  if (options.formatSpec) {
    PrintLine("FORMATSPEC: ", FormatSpec(freeParameters, *settings, formatName));
  }
  if (options.followUpCount && *options.followUpCount > 0) {
    PrintLine("FOLLOWUP: ",
              FollowUpSearchUrl(params, *settings, ResolvedDatabase(params, *settings, ""),
                                formatName, *options.followUpCount, freeParameters));
  }
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

}  // namespace talor
