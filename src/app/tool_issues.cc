// talor-tool issues: cumulates or expands lists of journal issue numbers.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "app/tool_commands.h"
#include "text/encoding.h"
#include "text/issue_list.h"
#include "text/string_list.h"

namespace talor {
namespace {

constexpr const char kHelp[] =
    "Использование: talor-tool issues --cumulate|--expand СПИСОК [--months ФАЙЛ]\n"
    "\n"
    "Приводит список номеров выпусков к одному из двух видов:\n"
    "  --cumulate  свернуть: 1,2,3,5,6 -> 1-3,5,6; 1-3,4,7-9,8,2 -> 1-4,7-9\n"
    "  --expand    развернуть: 1-3,N5-N6 -> 1,2,3,N5,N6\n"
    "  --months ФАЙЛ\n"
    "              названия месяцев, по одному в строке, с января (UTF-8 или\n"
    "              Windows-1251); тогда месяцы и их диапазоны (янв.-мар.)\n"
    "              тоже сворачиваются и разворачиваются\n"
    "\n"
    "Элементы списка разделяются запятыми или точками с запятой; что не\n"
    "распознано как номер или диапазон, переносится без изменений.\n";

bool IsValidUtf8(std::string_view text) { return WideToUtf8(Utf8ToWide(text)) == text; }

// The month names of `path`, one a line, blank lines skipped. False when the
// file cannot be read.
bool ReadMonths(const char* path, StringList& months) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream content;
  content << file.rdbuf();
  std::string text = content.str();
  if (!IsValidUtf8(text)) text = AnsiToUtf8(text);
  for (std::string_view line : SplitLines(text)) {
    if (line.find_first_not_of(' ') != std::string_view::npos) months.Add(std::string(line));
  }
  return true;
}

}  // namespace

int RunIssuesCommand(int argc, char** argv) {
  std::optional<IssueListMode> mode;
  const char* list = nullptr;
  const char* monthsPath = nullptr;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    } else if (arg == "--cumulate") {
      mode = IssueListMode::Cumulate;
    } else if (arg == "--expand") {
      mode = IssueListMode::Expand;
    } else if (arg == "--months" && i + 1 < argc) {
      monthsPath = argv[++i];
    } else if (!arg.starts_with("--") && list == nullptr) {
      list = argv[i];
    } else {
      std::fprintf(stderr, "talor-tool issues: неверный параметр «%s»\n\n%s", argv[i], kHelp);
      return kExitUsage;
    }
  }
  if (!mode || list == nullptr) {
    std::fputs(kHelp, stderr);
    return kExitUsage;
  }
  StringList months;
  if (monthsPath != nullptr && !ReadMonths(monthsPath, months)) {
    std::fprintf(stderr, "talor-tool issues: не удалось прочитать файл месяцев «%s»\n", monthsPath);
    return kExitFailed;
  }
  std::printf("%s\n", NormalizeIssueList(months, list, *mode).c_str());
  return kExitOk;
}

}  // namespace talor
