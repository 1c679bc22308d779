#include <cstdio>
#include <cstring>
#include <string>

#include "app/tool_commands.h"
#include "text/range_list.h"

namespace talor {

int RunRangesCommand(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(argc < 2 ? stderr : stdout,
                 "Использование: talor-tool ranges СПИСОК...\n"
                 "Раскрывает список номеров и диапазонов: 1-3,7 -> 1,2,3,7;"
                 " N08-N10 -> N8,N9,N10.\n");
    return argc < 2 ? 2 : 0;
  }
  for (int i = 1; i < argc; ++i) std::printf("%s\n", ExpandRangeList(argv[i]).c_str());
  return 0;
}

}  // namespace talor
