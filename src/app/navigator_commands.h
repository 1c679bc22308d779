// The subcommands of talor-navigator. Each takes the arguments after the
// program's own name (argv[0] is the subcommand) and returns the exit code.

#ifndef TALOR_APP_NAVIGATOR_COMMANDS_H_
#define TALOR_APP_NAVIGATOR_COMMANDS_H_

#include "app/tool_commands.h"

namespace talor {

int RunRenderCommand(int argc, char** argv);
int RunSendPageCommand(int argc, char** argv);
int RunWindowCommand(int argc, char** argv);

}  // namespace talor

#endif  // TALOR_APP_NAVIGATOR_COMMANDS_H_
