// The subcommands of talor-tool. Each takes the arguments after the tool's
// own name (argv[0] is the subcommand) and returns the process exit code of
// app/exit_codes.h.

#ifndef TALOR_APP_TOOL_COMMANDS_H_
#define TALOR_APP_TOOL_COMMANDS_H_

#include "app/exit_codes.h"

namespace talor {

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
