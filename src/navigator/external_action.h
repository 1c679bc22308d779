// The external action of the command processor (command 11): a function of
// a dynamic library turns a text of the page into the next page, or the text
// is handed to the sibling desktop client of the catalogue system through
// its INI file and a window message (or a fresh start of its program).
//
// docs/external-action.md describes both forms, the function
// interface and the safety rules they run under.

#ifndef TALOR_NAVIGATOR_EXTERNAL_ACTION_H_
#define TALOR_NAVIGATOR_EXTERNAL_ACTION_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "format/safety_policy.h"
#include "navigator/navigator_host.h"

namespace talor {

// The output buffer handed to an external function: this capacity, and one
// byte more that stays NUL.
inline constexpr int32_t kExternalOutputCapacity = 32000;

// The sibling client: its program, started without arguments, and the
// section of its INI file that the navigator writes.
inline constexpr std::string_view kSiblingClientProgram = "ctalorb_new_unicode";
inline constexpr std::string_view kSiblingContextSection = "CONTEXT";

enum class ExternalForm {
  Library,        // library and function name given
  SiblingClient,  // no library; a function name that is not a non-zero integer
  Nothing,        // no function name, or no library and a non-zero number
};
ExternalForm SelectExternalForm(std::string_view library, std::string_view function);

struct LibraryCallResult {
  enum class Status { Called, LibraryNotFound, FunctionNotFound, Refused };
  Status status = Status::Called;
  // Called: the function's output up to its first NUL, empty when it
  // returned 0.
  std::string text;
};

// Finds `library` (a leading `*`, the second calling convention, removed)
// under `policy`, loads it, and calls `function` with `data`, a buffer of
// kExternalOutputCapacity bytes and that capacity. The library is unloaded
// before the return.
LibraryCallResult CallLibraryFunction(const SafetyPolicy& policy, std::string_view library,
                                      const std::string& function, const std::string& data);

// The message a failed call shows; empty for a call that was made.
std::string LibraryCallMessage(const LibraryCallResult& result, std::string_view library,
                               std::string_view function);

enum class HandOverResult {
  Posted,         // a running client got message 2024
  Started,        // the client's program was started
  StartFailed,    // it could not be started (not reported to the user)
  Refused,        // the safety rules forbid writing the INI or starting
  IniNotWritten,  // the INI file could not be written
};

// Hands `data` to the sibling client whose INI file is `iniPath`. On Refused
// and IniNotWritten `message` receives the text to show; nothing has been
// written, posted or started then.
HandOverResult HandToSiblingClient(ExternalActionHost& host, const std::string& iniPath,
                                   const std::string& data, std::string& message);

}  // namespace talor

#endif  // TALOR_NAVIGATOR_EXTERNAL_ACTION_H_
