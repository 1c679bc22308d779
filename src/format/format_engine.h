// The format engine: the state that outlives single format calls (character
// tables, global variables, post-processing flags, the outside services) and
// the entry points that load a format and run it over a record.
//
// One engine serves one thread. The navigator uses the engine of its
// user-interface thread through the free functions at the end of this file;
// the reference server gives every worker thread its own engine.

#ifndef TALOR_FORMAT_FORMAT_ENGINE_H_
#define TALOR_FORMAT_FORMAT_ENGINE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "format/builtins.h"
#include "format/char_tables.h"
#include "format/format_services.h"
#include "format/safety_policy.h"
#include "format/uf_state.h"
#include "text/string_list.h"

namespace talor {

// Initial output capacity of the loaders.
inline constexpr size_t kFormatOutputCapacity = 32000;
// The output of one format call never grows beyond this; a format that would
// write more stops with error 56.
inline constexpr size_t kMaxFormatOutput = 64u << 20;
// Format calls nested through built-in functions beyond this depth fail with
// error 99 instead of exhausting the stack.
inline constexpr int kMaxNestedFormatCalls = 16;

// Reads one value of the program's configuration file (section, key).
using ConfigurationReader =
    std::function<std::optional<std::string>(std::string_view section, std::string_view key)>;

struct FormatWorkspace;

class FormatEngine {
 public:
  FormatEngine();
  ~FormatEngine();
  FormatEngine(const FormatEngine&) = delete;
  FormatEngine& operator=(const FormatEngine&) = delete;

  // The services are not owned and must outlive their use; nullptr removes
  // one.
  void SetFileReader(FormatFileReader* reader) { fileReader_ = reader; }
  void SetServer(FormatServer* server) { server_ = server; }
  FormatFileReader* fileReader() const { return fileReader_; }
  FormatServer* server() const { return server_; }
  // What formats may do on this machine (start programs, load libraries,
  // write and delete files). Not owned; without one nothing is allowed.
  void SetSafetyPolicy(const SafetyPolicy* policy) { safety_ = policy; }
  const SafetyPolicy& safety() const;

  // Replaces the built-in function table (the engine's own by default).
  void SetBuiltins(std::span<const BuiltinEntry> table) { builtins_ = table; }
  std::span<const BuiltinEntry> builtins() const { return builtins_; }

  // Installs the configuration reader and the character tables; a table that
  // is nullptr gets its default.
  void InstallFormatTables(ConfigurationReader configuration, const CaseTable* upperCase,
                           const CaseTable* secondCase, const AlphabetTable* alphabet);

  // Formats `record` with the format file `formatName` of `database` (".pft"
  // is added to a name without a point). Returns 0 or the error number; in
  // both cases `result` receives the output split into lines at CR and LF.
  int32_t FormatRecordByName(StringList& record, std::string_view database,
                             std::string_view formatName, StringList& result);
  // As above with the format given as text.
  int32_t FormatRecordByText(StringList& record, std::string_view database,
                             std::string_view formatText, StringList& result);
  // As above with the format given as lines, each cut at its comment and
  // joined with nothing between them.
  int32_t FormatRecordByLines(StringList& record, std::string_view database,
                              const StringList& formatLines, StringList& result);

  // Runs the loaded `formatText` over `record`. `output` is replaced by the
  // output (its initial capacity `capacity`; it grows by doubling). On error
  // 999 the format goes to the server: "@" + `formatName` when a name is
  // given, else "!" + `formatText`. On success the output is post-processed
  // (markup, record-number links, and the passes the format asked for).
  // Returns 0, an error number, or the server's return code.
  int32_t RunFormat(StringList& record, std::string_view database, std::string_view formatName,
                    size_t capacity, std::string& output, std::string_view formatText);

  // Clears the engine-wide state: global variables, flags, configuration,
  // the counter of the built-in library, and the character tables back to
  // their defaults. The clock stays.
  void Reset();

  // ---- Engine-wide for the run ----
  // Global variables: variable n is line n; a text may hold several lines.
  StringList globalVariables;
  CharTables tables;
  ConfigurationReader configuration;
  std::mt19937 random;
  // The keyed built-in library's counter and clock.
  UniforState uniforState;

  // Post-processing passes that a format asks for through built-in
  // functions; cleared at the start of every format call.
  bool removeRtf = false;
  bool tidyPunctuation = false;
  bool removeDoubleBrackets = false;
  // Set while a nested format call must not convert markup.
  bool suppressMarkup = false;

  // ---- Limits (tests and the fuzzer lower them) ----
  size_t maxOutput = kMaxFormatOutput;

 private:
  int32_t RunLoaded(StringList& record, std::string_view database, std::string_view formatName,
                    size_t capacity, std::string& output, std::string_view formatText);
  int32_t FormatOnServer(StringList& record, std::string_view database, std::string_view formatName,
                         std::string_view formatText, std::string& output);
  void PostProcess(const StringList& record, std::string& output);
  // The workspace of nesting level `level` (1 for the outermost call),
  // created on first use.
  FormatWorkspace& WorkspaceOfLevel(int level);

  FormatFileReader* fileReader_ = nullptr;
  FormatServer* server_ = nullptr;
  const SafetyPolicy* safety_ = nullptr;
  std::span<const BuiltinEntry> builtins_;
  int runDepth_ = 0;
  // The interpreters' buffers, one workspace per nesting level, kept between
  // calls; each is held by pointer so that it stays in place while inner
  // levels are added.
  std::vector<std::unique_ptr<FormatWorkspace>> workspaces_;
};

// The engine of the calling thread, created on first use.
FormatEngine& DefaultFormatEngine();

// Start-up and shut-down of the calling thread's engine. Starts nest: only
// the stop that matches the first start clears the engine-wide state (global
// variables, post-processing flags, configuration; the character tables go
// back to their defaults). A stop without a start does nothing.
void StartFormatEngine();
void StopFormatEngine();

// The entry points on the calling thread's engine.
int32_t FormatRecordByName(StringList& record, std::string_view database,
                           std::string_view formatName, StringList& result);
int32_t FormatRecordByText(StringList& record, std::string_view database,
                           std::string_view formatText, StringList& result);
int32_t FormatRecordByLines(StringList& record, std::string_view database,
                            const StringList& formatLines, StringList& result);
int32_t RunFormat(StringList& record, std::string_view database, std::string_view formatName,
                  size_t capacity, std::string& output, std::string_view formatText);
void InstallFormatTables(ConfigurationReader configuration, const CaseTable* upperCase,
                         const CaseTable* secondCase, const AlphabetTable* alphabet);

}  // namespace talor

#endif  // TALOR_FORMAT_FORMAT_ENGINE_H_
