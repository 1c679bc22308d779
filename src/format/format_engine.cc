#include "format/format_engine.h"

#include <chrono>
#include <new>
#include <stdexcept>

#include "client/record.h"
#include "client/result_codes.h"
#include "format/format_loading.h"
#include "format/interpreter.h"
#include "format/markup.h"
#include "text/number_text.h"

namespace talor {
namespace {

// A format spec: a marker ('@' a file name, '!' a format text) and the text.
std::string FormatSpec(char marker, std::string_view text) {
  std::string spec;
  spec.reserve(text.size() + 1);
  spec += marker;
  spec += text;
  return spec;
}

}  // namespace

FormatEngine::FormatEngine()
    : tables(DefaultCharTables()),
      random(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())),
      builtins_(BuiltinFunctions()) {}

FormatEngine::~FormatEngine() = default;

const SafetyPolicy& FormatEngine::safety() const {
  static const SafetyPolicy kNothingAllowed;
  return safety_ != nullptr ? *safety_ : kNothingAllowed;
}

void FormatEngine::InstallFormatTables(ConfigurationReader configurationReader,
                                       const CaseTable* upperCase, const CaseTable* secondCase,
                                       const AlphabetTable* alphabet) {
  configuration = std::move(configurationReader);
  tables.upperCase = upperCase != nullptr ? *upperCase : DefaultCaseTable();
  tables.secondCase = secondCase != nullptr ? *secondCase : DefaultCaseTable();
  tables.alphabet = alphabet != nullptr ? *alphabet : DefaultAlphabetTable();
}

int32_t FormatEngine::FormatRecordByName(StringList& record, std::string_view database,
                                         std::string_view formatName, StringList& result) {
  std::string output;
  const std::string text = LoadFormat(fileReader_, database, FormatSpec('@', formatName));
  const int32_t code = RunFormat(record, database, formatName, kFormatOutputCapacity, output, text);
  result.SetText(output);
  return code;
}

int32_t FormatEngine::FormatRecordByText(StringList& record, std::string_view database,
                                         std::string_view formatText, StringList& result) {
  std::string formatSpec(formatText);
  for (char& c : formatSpec) {
    if (c == kFormatSeparator) c = ',';
  }
  const std::string text = LoadFormat(fileReader_, database, formatSpec);
  std::string output;
  const int32_t code = RunFormat(record, database, {}, kFormatOutputCapacity, output, text);
  result.SetText(output);
  return code;
}

int32_t FormatEngine::FormatRecordByLines(StringList& record, std::string_view database,
                                          const StringList& formatLines, StringList& result) {
  return FormatRecordByText(record, database, JoinFormatLines(formatLines), result);
}

int32_t FormatEngine::RunFormat(StringList& record, std::string_view database,
                                std::string_view formatName, size_t capacity, std::string& output,
                                std::string_view formatText) {
  if (runDepth_ >= kMaxNestedFormatCalls) {
    output.clear();
    return ErrorNumber(FormatError::kSyntax);
  }
  // A nested call keeps the passes that its caller asked for.
  const bool savedFlags[3] = {removeRtf, tidyPunctuation, removeDoubleBrackets};
  ++runDepth_;
  int32_t code = 0;
  try {
    code = RunLoaded(record, database, formatName, capacity, output, formatText);
  } catch (const std::bad_alloc&) {
    code = ErrorNumber(FormatError::kOutputTooLarge);
  } catch (const std::length_error&) {
    code = ErrorNumber(FormatError::kOutputTooLarge);
  } catch (...) {
    code = ErrorNumber(FormatError::kSyntax);
  }
  --runDepth_;
  removeRtf = savedFlags[0];
  tidyPunctuation = savedFlags[1];
  removeDoubleBrackets = savedFlags[2];
  return code;
}

int32_t FormatEngine::RunLoaded(StringList& record, std::string_view database,
                                std::string_view formatName, size_t capacity, std::string& output,
                                std::string_view formatText) {
  removeRtf = tidyPunctuation = removeDoubleBrackets = false;
  // The interpreter works in buffers of the engine that are kept between
  // calls (one set per nesting level), so that a call neither allocates nor
  // clears a fresh buffer of the full capacity; only the text written is
  // copied out.
  FormatWorkspace& workspace = WorkspaceOfLevel(runDepth_);
  std::string& buffer = workspace.output;
  const size_t initial = std::max<size_t>(std::min(capacity, maxOutput), 1);
  if (buffer.size() != initial) buffer.assign(initial, '\0');
  FormatInterpreter interpreter(*this, record, database, formatText, workspace);
  const int32_t error = interpreter.Run();
  output.assign(buffer, 0, interpreter.outputLength());
  if (buffer.size() > initial) buffer.assign(initial, '\0');
  if (error == ErrorNumber(FormatError::kNeedsServer)) {
    return FormatOnServer(record, database, formatName, formatText, output);
  }
  if (error != 0) return error;
  PostProcess(record, output);
  return 0;
}

FormatWorkspace& FormatEngine::WorkspaceOfLevel(int level) {
  while (workspaces_.size() < static_cast<size_t>(level)) {
    workspaces_.push_back(std::make_unique<FormatWorkspace>());
  }
  return *workspaces_[static_cast<size_t>(level - 1)];
}

int32_t FormatEngine::FormatOnServer(StringList& record, std::string_view database,
                                     std::string_view formatName, std::string_view formatText,
                                     std::string& output) {
  output.clear();
  if (server_ == nullptr) return ErrorNumber(FormatError::kNeedsServer);
  const std::string formatSpec =
      formatName.empty() ? FormatSpec('!', formatText) : FormatSpec('@', formatName);
  const std::optional<StringList> answer = server_->FormatOnServer(database, formatSpec, record);
  if (!answer) return ErrorNumber(FormatError::kNeedsServer);
  if (answer->empty()) return kUnreadableAnswer;
  if (answer->size() > 1 && (*answer)[0].text == "0") {
    for (size_t i = 1; i < answer->size(); ++i) {
      if (i > 1) output += "\r\n";
      output += (*answer)[i].text;
    }
    return 0;
  }
  // A first line that is no number must not pass for success.
  const int32_t code = DecimalToInt((*answer)[0].text, kUnreadableAnswer);
  return code == 0 ? kUnreadableAnswer : code;
}

void FormatEngine::PostProcess(const StringList& record, std::string& output) {
  // Output that is neither HTML nor RTF has no markup to convert and no
  // record numbers to link; most formats give such output.
  if (DetectOutputKind(output) != OutputKind::kNone) {
    if (!suppressMarkup) ConvertMarkup(output);
    LinkRecordNumbers(output, RecordMfn(record));
  }
  if (!removeRtf && !tidyPunctuation && !removeDoubleBrackets) return;
  const size_t marker = output.find(kOutputMarker);
  const size_t begin = marker == std::string::npos ? 0 : marker + kOutputMarker.size();
  std::string tail = output.substr(begin);
  if (removeRtf) tail = RemoveRtf(tail);
  if (tidyPunctuation) tail = TidyPunctuation(tail);
  if (removeDoubleBrackets) tail = RemoveDoubleBrackets(tail);
  removeRtf = tidyPunctuation = removeDoubleBrackets = false;
  output.replace(begin, std::string::npos, tail);
}

void FormatEngine::Reset() {
  globalVariables.Clear();
  tables = DefaultCharTables();
  configuration = nullptr;
  removeRtf = tidyPunctuation = removeDoubleBrackets = suppressMarkup = false;
  uniforState.counter = 0;
}

FormatEngine& DefaultFormatEngine() {
  thread_local FormatEngine engine;
  return engine;
}

namespace {
thread_local int startCount = 0;
}  // namespace

void StartFormatEngine() { ++startCount; }

void StopFormatEngine() {
  if (startCount == 0) return;
  if (--startCount == 0) DefaultFormatEngine().Reset();
}

int32_t FormatRecordByName(StringList& record, std::string_view database,
                           std::string_view formatName, StringList& result) {
  return DefaultFormatEngine().FormatRecordByName(record, database, formatName, result);
}

int32_t FormatRecordByText(StringList& record, std::string_view database,
                           std::string_view formatText, StringList& result) {
  return DefaultFormatEngine().FormatRecordByText(record, database, formatText, result);
}

int32_t FormatRecordByLines(StringList& record, std::string_view database,
                            const StringList& formatLines, StringList& result) {
  return DefaultFormatEngine().FormatRecordByLines(record, database, formatLines, result);
}

int32_t RunFormat(StringList& record, std::string_view database, std::string_view formatName,
                  size_t capacity, std::string& output, std::string_view formatText) {
  return DefaultFormatEngine().RunFormat(record, database, formatName, capacity, output,
                                         formatText);
}

void InstallFormatTables(ConfigurationReader configuration, const CaseTable* upperCase,
                         const CaseTable* secondCase, const AlphabetTable* alphabet) {
  DefaultFormatEngine().InstallFormatTables(std::move(configuration), upperCase, secondCase,
                                            alphabet);
}

}  // namespace talor
