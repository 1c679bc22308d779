// The subcommands of talor-tool. Each takes the arguments after the tool's
// own name (argv[0] is the subcommand) and returns the process exit code:
// 0 on success, 1 on a failure of the work, 2 on bad usage.

#ifndef TALOR_APP_TOOL_COMMANDS_H_
#define TALOR_APP_TOOL_COMMANDS_H_

namespace talor {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int RunRangesCommand(int argc, char** argv);
int RunFormatCommand(int argc, char** argv);
int RunBarcodeCommand(int argc, char** argv);
int RunConvertCommand(int argc, char** argv);
int RunStemCommand(int argc, char** argv);
int RunIssuesCommand(int argc, char** argv);
int RunMarkCommand(int argc, char** argv);
int RunQueryCommand(int argc, char** argv);
int RunUrlCommand(int argc, char** argv);

}  // namespace talor

#endif  // TALOR_APP_TOOL_COMMANDS_H_
