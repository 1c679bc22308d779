// The reader's local safety rules: what pages and formats that come from a
// catalogue server may do on this machine. Loading a dynamic library,
// starting a program, writing or deleting a file are allowed only as these
// rules say; everything else is refused with a message and not done.
//
// The navigator reads the rules from section [Safety] of its local
// configuration (shell/safety_config.h) and hands them to the format engine
// (FormatEngine::SetSafetyPolicy) and to its own external action (command
// 11). A policy made by the default constructor allows nothing: that is
// what the reference server and the tools run with.

#ifndef TALOR_FORMAT_SAFETY_POLICY_H_
#define TALOR_FORMAT_SAFETY_POLICY_H_

#include <string>
#include <string_view>
#include <vector>

namespace talor {

struct SafetyRules {
  // Directories that dynamic libraries may be loaded from.
  std::vector<std::string> libraryDirectories;
  // Whether pages and formats may start other programs.
  bool startPrograms = false;
  // Directories in which files may be written and deleted (with their
  // subdirectories).
  std::vector<std::string> writeDirectories;
};

// Where a library name leads under the rules.
struct LibraryLookup {
  enum class Status {
    Found,     // `path` is the absolute file to load
    NotFound,  // allowed, but there is no such file
    Refused,   // the name leads outside the allowed directories
  };
  Status status = Status::NotFound;
  std::string path;
};

class SafetyPolicy {
 public:
  // Allows nothing.
  SafetyPolicy() = default;
  // Relative directories are taken from the current directory; the
  // directories are compared after symbolic links and `..` are resolved.
  explicit SafetyPolicy(SafetyRules rules);

  const SafetyRules& rules() const { return rules_; }

  // The library file for `name`. A name without `/` is looked up only in the
  // library directories, in their order, as it is and, when it has no
  // extension, with ".so" added; never along the system's library path. A
  // name with `/` (relative names from the current directory) must lie in
  // one of the library directories.
  LibraryLookup FindLibrary(std::string_view name) const;

  bool MayStartPrograms() const { return rules_.startPrograms; }

  // True when the file `path` (relative to the current directory; it need
  // not exist) lies in one of the write directories or below. A path mask's
  // wildcards in its last part are allowed.
  bool MayWrite(std::string_view path) const;

 private:
  SafetyRules rules_;
};

// The Russian texts of a refused action.
std::string LibraryRefusedText(std::string_view library);
std::string ProgramRefusedText(std::string_view commandLine);
std::string WriteRefusedText(std::string_view path);

}  // namespace talor

#endif  // TALOR_FORMAT_SAFETY_POLICY_H_
