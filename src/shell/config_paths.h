// File and directory names from the configuration, on Linux.
//
// Configuration files written on Windows hold names such as "c:\talorwrk\",
// "..\data" or "msg\TALORMSG.TXT". They are read this way:
// - blanks around the value are ignored;
// - a backslash is a directory separator, like `/`;
// - a drive prefix (a letter and `:`) at the start is dropped, so
//   "d:\data\wrk" is "/data/wrk" and "c:work" is the relative "work";
// - the old default work directory "c:\talorwrk\" (in any letter case, with
//   or without the last separator) is the user's default work directory
//   (DefaultWorkDirectory);
// - "~/" at the start is the user's home directory.
// A relative name is relative to the program directory.

#ifndef TALOR_SHELL_CONFIG_PATHS_H_
#define TALOR_SHELL_CONFIG_PATHS_H_

#include <string>
#include <string_view>

namespace talor {

// Where relative names and the default work directory lead.
struct PathContext {
  std::string programDir;  // absolute, ending in `/`
  std::string homeDir;     // $HOME; empty when unknown
  std::string runtimeDir;  // $XDG_RUNTIME_DIR; empty when unset
  // The shared files of an installed program (share/talor beside its bin),
  // ending in `/`; empty when the program runs from elsewhere.
  std::string dataDir;

  // The context of this process, with `programDir` as given.
  static PathContext FromEnvironment(std::string programDir);
  // The context of this process, its program directory being the current
  // directory ("./" in the unlikely case that it cannot be named).
  static PathContext ForThisProcess();
  // The installed data directory of the running program, when there is one.
  static std::string InstalledDataDir();
};

// `currentDir` with a `/` added when it does not end in one.
std::string ProgramDirectory(std::string_view currentDir);

// `value` with blanks trimmed, backslashes turned into `/` and a drive prefix
// dropped.
std::string PathFromConfig(std::string_view value);

// True for the Windows default "c:\talorwrk\" and its spellings.
bool IsOldDefaultWorkdir(std::string_view value);

// The work directory used for the old default: "talorwrk/" in the runtime
// directory when there is one, else in "~/.cache/", else in the program
// directory. Ends in `/`.
std::string DefaultWorkDirectory(const PathContext& context);

// The full name of a file named `value` in the configuration: an absolute
// name as it is, a relative one after the program directory.
std::string ProgramRelativePath(std::string_view value, const PathContext& context);

// Completes the configured work directory to a full directory name ending in
// `/`: an empty value (or "." alone) is the program directory, an absolute
// name stays, a relative name ("work", ".\tmp\", "..\w") is taken from the
// program directory; "." and ".." steps are folded away. The result always
// ends in `/`, so that file names can be appended to it.
std::string ResolvePath(std::string_view path, const PathContext& context);

// Creates directory `path` with any missing parents. Returns true when it is
// a directory afterwards.
bool CreateDirectories(const std::string& path);

// `path` when something exists there; otherwise the first entry (in name
// order) of its directory whose name differs from the last part of `path`
// only in ASCII letter case, as a name written for a case-blind file system
// expects; otherwise `path`.
std::string FindFileIgnoringCase(const std::string& path);

}  // namespace talor

#endif  // TALOR_SHELL_CONFIG_PATHS_H_
