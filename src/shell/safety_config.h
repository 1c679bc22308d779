// Section [Safety] of the local configuration: the reader's rules for what
// pages and formats from a catalogue server may do on this machine.
//
//   [Safety]
//   LibraryDirs=<dir>;<dir>...   dynamic libraries are loaded only from these
//                                (default: the program and work directories)
//   AllowPrograms=0|1            pages and formats may start programs
//                                (default 0)
//   WriteDirs=<dir>;<dir>...     files are written and deleted only here
//                                (default: the work and program directories)
//
// Directory names are read as the configuration's other file names are
// (shell/config_paths.h): relative ones from the program directory. A key
// that is present with an empty value allows no directory at all.

#ifndef TALOR_SHELL_SAFETY_CONFIG_H_
#define TALOR_SHELL_SAFETY_CONFIG_H_

#include <string>
#include <string_view>
#include <vector>

#include "format/safety_policy.h"
#include "shell/config_paths.h"
#include "shell/ini_file.h"

namespace talor {

// The directories of a `;`-separated list, each completed by ResolvePath;
// empty entries are skipped.
std::vector<std::string> ReadDirectoryList(std::string_view value, const PathContext& context);

// The rules of section [Safety]; `workDirectory` is the completed work
// directory.
SafetyRules ReadSafetyRules(const LocalConfig& config, const PathContext& context,
                            const std::string& workDirectory);

}  // namespace talor

#endif  // TALOR_SHELL_SAFETY_CONFIG_H_
