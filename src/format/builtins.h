// The dispatch point of `&name(...)` calls: one table of {name, function},
// all functions of one signature. The executor runs the call's argument as a
// format, looks the name up here (case does not matter) and prints what the
// function returns; a name that is not in the table gives an empty result
// and no error.

#ifndef TALOR_FORMAT_BUILTINS_H_
#define TALOR_FORMAT_BUILTINS_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace talor {

class FormatInterpreter;

struct BuiltinCall {
  // The running format call: its record (which some functions may change),
  // its database, the engine-wide state and the output written so far.
  FormatInterpreter& interpreter;
  // The text the argument format produced.
  std::string_view argument;
  // The repeat-group iteration number, 0 outside a group.
  int32_t iteration = 0;
};

// Writes the function's result text into `result` (empty on entry) and
// returns 0, or 999 when only the server can evaluate the call, or the error
// number of a nested format call.
using BuiltinFunction = int32_t (*)(BuiltinCall& call, std::string& result);

struct BuiltinEntry {
  std::string_view name;  // upper case, at most nine characters
  BuiltinFunction function;
};

// The engine's own table.
std::span<const BuiltinEntry> BuiltinFunctions();

// The entry of `name` in `table`, compared without regard to ASCII case;
// nullptr when there is none.
const BuiltinEntry* FindBuiltin(std::span<const BuiltinEntry> table, std::string_view name);

}  // namespace talor

#endif  // TALOR_FORMAT_BUILTINS_H_
