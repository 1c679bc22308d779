// The files that the navigator opens before any window is shown: the local
// configuration file and the message file, both found from the program
// directory, which is the current directory at start.

#ifndef TALOR_SHELL_LOCATIONS_H_
#define TALOR_SHELL_LOCATIONS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "shell/config_paths.h"
#include "shell/ini_file.h"
#include "shell/messages.h"

namespace talor {

// The configuration file: `Talor_Navigator.ini` in the program directory, or
// the file named by the first program argument (relative names are taken
// from the program directory, absolute ones as they are; an empty argument
// counts as none). When no file of that exact name exists but one differing
// only in letter case does, that one is used.
std::string ConfigFilePath(const PathContext& context,
                           std::optional<std::string_view> firstArgument);

// The message file: the value of `TalorMsg` in section `Main` (default, and
// when empty, "TALORMSG.TXT"), taken from the program directory and found as
// ConfigFilePath finds its file.
std::string MessageFilePath(const PathContext& context, const LocalConfig& localConfig);

// The configured work directory (`Workdir` in section `Main`), completed by
// ResolvePath. It is not created here.
std::string WorkDirectory(const PathContext& context, const LocalConfig& localConfig);

// The font that the forms' text controls get: `FontName` (default, and when
// empty, "Arial") and `FontCharSet` (default 204) of section `Main`.
struct FormFont {
  std::string face;
  int32_t charSet = 0;
};
FormFont ReadFormFont(const LocalConfig& localConfig);

// Everything the start reads before the first window.
struct ShellFiles {
  std::string configFile;
  std::string messageFile;
  LocalConfig localConfig;
  Messages messages;
  // False when the message file could not be read: the start shows
  // MissingMessageFileText and goes on with no messages.
  bool messagesLoaded = false;
  // Read from the configuration whether or not the message file was found.
  FormFont font;
};

// Opens the configuration file (a missing one reads as empty) and the message
// file, and reads the font.
ShellFiles OpenShellFiles(const PathContext& context,
                          std::optional<std::string_view> firstArgument);

}  // namespace talor

#endif  // TALOR_SHELL_LOCATIONS_H_
