// talor-server user: the users of a data directory, managed while the
// server runs or not (the server reads users at every login).

#ifndef TALOR_APP_SERVER_USERS_H_
#define TALOR_APP_SERVER_USERS_H_

#include <string_view>

namespace talor::server {

// Runs `talor-server user ACTION ...`; `argv` holds the words after "user".
// Passwords are read from the terminal without echo, or as one line of
// standard input when that is not a terminal. Returns an exit code.
int RunUserCommand(int argc, char** argv, std::string_view defaultDataDir);

// The usage lines of the command, for talor-server --help.
extern const char kUserCommandUsage[];

}  // namespace talor::server

#endif  // TALOR_APP_SERVER_USERS_H_
