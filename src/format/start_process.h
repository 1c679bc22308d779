// Starting another program for the format engine and the navigator.

#ifndef TALOR_FORMAT_START_PROCESS_H_
#define TALOR_FORMAT_START_PROCESS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talor {

// How the program's window should appear. A Linux program decides its own
// windows, so the state is accepted and not used.
enum class ShowState : int { kHidden = 0, kNormal = 1, kMinimized = 2, kMaximized = 3 };

// Splits a command line into arguments: blanks separate them, double quotes
// group blanks into one argument and are removed, a backslash before a double
// quote keeps the quote.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Starts the program of `commandLine` (searched on PATH when the name has no
// slash) with the caller's environment and inherited descriptors. When `wait`
// is set, returns only after the program has ended; otherwise the program is
// reaped in the background when it ends. Returns the process id,
// or -1 when the command line is empty or the process cannot be created.
int64_t StartProcess(std::string_view commandLine, ShowState showState, bool wait);

}  // namespace talor

#endif  // TALOR_FORMAT_START_PROCESS_H_
