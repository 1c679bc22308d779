// The exit codes of every program of the project: talor-navigator,
// talor-server and talor-tool with all its commands.

#ifndef TALOR_APP_EXIT_CODES_H_
#define TALOR_APP_EXIT_CODES_H_

namespace talor {

inline constexpr int kExitOk = 0;
// The work failed: a file, the network, the server could not be used.
inline constexpr int kExitFailed = 1;
// Bad usage: unknown command or option, a missing or malformed value.
inline constexpr int kExitUsage = 2;
// The server answered, with a negative return code (a refused write, a
// record that is not there).
inline constexpr int kExitRefused = 3;

}  // namespace talor

#endif  // TALOR_APP_EXIT_CODES_H_
