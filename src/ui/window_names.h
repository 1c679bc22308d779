// The names under which the window page and the core's window speak of
// the window commands and the history's sort orders.

#ifndef TALOR_UI_WINDOW_NAMES_H_
#define TALOR_UI_WINDOW_NAMES_H_

#include <array>
#include <string_view>
#include <utility>

#include "favorites/history_list.h"
#include "ui/window_commands.h"

namespace talor {

inline constexpr std::array<std::pair<std::string_view, WindowCommand>, kWindowCommandCount>
    kCommandNames{{
        {"FileOpen", WindowCommand::FileOpen},
        {"FileSaveAs", WindowCommand::FileSaveAs},
        {"FilePrint", WindowCommand::FilePrint},
        {"Back", WindowCommand::Back},
        {"Forward", WindowCommand::Forward},
        {"Home", WindowCommand::Home},
        {"Stop", WindowCommand::Stop},
        {"Refresh", WindowCommand::Refresh},
    }};

inline constexpr std::array<std::pair<std::string_view, HistorySort>, 4> kSortNames{{
    {"time", HistorySort::Time},
    {"name", HistorySort::Name},
    {"url", HistorySort::URL},
    {"count", HistorySort::Count},
}};

inline std::string_view SortName(HistorySort order) {
  for (const auto& [name, value] : kSortNames) {
    if (value == order) return name;
  }
  return "time";
}

}  // namespace talor

#endif  // TALOR_UI_WINDOW_NAMES_H_
