// Command 6 of the command processor: a record entered or corrected in an
// entry form is read from the server (or started empty), given the form's
// values, checked by the page's logical check format, written, reported,
// and shown with a follow-up pseudo-URL.

#include "navigator/record_entry.h"

#include <cstdlib>
#include <limits>

#include "client/record.h"
#include "format/format_engine.h"
#include "navigator/answer_lines.h"
#include "navigator/command_processor.h"
#include "text/number_text.h"
#include "text/text_cleaning.h"

namespace talor {
namespace {

constexpr char kOccurrenceSeparator = '%';
constexpr char kPositionSeparator = '_';
constexpr char kSilentMessage[] = "!";
constexpr char kCheckExtension[] = ".pft";

constexpr char kCheckCaption[] = "Ошибка ФЛК";
constexpr char kCheckBlocked[] = ". Команда не выполнена";
constexpr char kEntryFailed[] = "Ошибка: ";
constexpr char kEntryStored[] = "Ввод/Корректировка выполнена успешно - MFN=";
constexpr char kNothingToStore[] = "Запись не сохранена: в форме не заполнено ни одно поле.";

// The result of a write whose answer line is not a number.
constexpr int32_t kUnreadableResult = -998;

std::vector<std::string_view> SplitOccurrences(std::string_view value) {
  std::vector<std::string_view> occurrences;
  size_t start = 0;
  while (true) {
    const size_t end = value.find(kOccurrenceSeparator, start);
    occurrences.push_back(value.substr(start, end - start));
    if (end == std::string_view::npos) return occurrences;
    start = end + 1;
  }
}

void AppendOccurrences(int32_t tag, const std::vector<std::string_view>& occurrences, size_t from,
                       StringList& record) {
  for (size_t i = from; i < occurrences.size(); ++i) {
    if (!occurrences[i].empty()) RecordInsertField(record, tag, 0, std::string(occurrences[i]));
  }
}

void MergeInputs(const std::vector<EntryInput>& inputs, StringList& record) {
  // Positions name the fields of the record as it was read; appended fields
  // come after them, so replacing never moves a field.
  const int fieldCount = RecordFieldCount(record);
  for (const EntryInput& input : inputs) {
    if (input.tag <= 0) continue;
    const std::vector<std::string_view> occurrences = SplitOccurrences(input.value);
    size_t appendFrom = 0;
    if (input.position >= 1 && input.position <= fieldCount &&
        RecordFieldTag(record, input.position) == input.tag) {
      RecordPutField(record, input.position, std::string(occurrences.front()));
      appendFrom = 1;
    }
    AppendOccurrences(input.tag, occurrences, appendFrom, record);
  }
}

void ReplaceByInputs(const std::vector<EntryInput>& inputs, StringList& record) {
  RecordTruncate(record);
  for (const EntryInput& input : inputs) {
    if (input.tag > 0) AppendOccurrences(input.tag, SplitOccurrences(input.value), 0, record);
  }
}

// ENTRY_MFN as an integer, 0 when absent or not a number. The lowest integer
// has no positive counterpart; one above it names a record no server holds.
int32_t ReadEntryMfn(const ParameterSet& params, const NavigatorSettings& settings) {
  return std::max(IntegerOr(params.Get(settings, Param::ENTRY_MFN), 0),
                  -std::numeric_limits<int32_t>::max());
}

// The steps of one entry from reading the start record to the write.
class EntryWriter {
 public:
  EntryWriter(UserInterface& ui, CommandSet& commands, const NavigatorSettings& settings,
              const ParameterSet& params, const std::string& database)
      : ui_(ui), commands_(commands), settings_(settings), params_(params), database_(database) {}

  // Stores the form's record for ENTRY_MFN `entryMfn`. The MFN stored; a
  // code below 1 from the server; or kEntryRefused.
  int32_t Store(int32_t entryMfn) {
    StringList stored;
    if (const int32_t code = ReadStart(entryMfn, stored); code != 0) return code;
    StringList record = stored;
    ApplyEntryInputs(ReadEntryInputs(params_, settings_.Name(Param::ENTRY_FIELD)), entryMfn,
                     MergeMode(), record);
    if (entryMfn < 0 || RecordFieldCount(record) <= 0) {
      // A new record without fields would only take up an MFN as a deleted one.
      if (RecordMfn(stored) <= 0) {
        ShowErrorBox(ui_, "", kNothingToStore);
        return kEntryRefused;
      }
      // A form emptied of every field deletes the record as stored, so that
      // saving it again restores its fields.
      CleanRecord(stored);
      RecordMarkDeleted(stored);
      return Write(stored);
    }
    if (!PassesCheck(record)) return kEntryRefused;
    return Write(record);
  }

 private:
  std::string Get(Param param) const { return params_.Get(settings_, param); }

  // ENTRY_MODE absent or 0: the form carries the whole record.
  bool MergeMode() const {
    const std::string mode = Get(Param::ENTRY_MODE);
    return !mode.empty() && IntegerOr(mode, 1) != 0;
  }

  // The record that the form's values go into: record |entryMfn| as stored
  // (a deleted one restored), or an empty one for entryMfn 0. 0, or the
  // code that ends the entry.
  int32_t ReadStart(int32_t entryMfn, StringList& record) {
    if (entryMfn == 0) {
      RecordNew(record);
      return 0;
    }
    if (commands_.ReadRecord(database_, std::abs(entryMfn), false, record) !=
        ExchangeResult::Good) {
      return kEntryRefused;
    }
    const int32_t code =
        record.empty() ? kUnreadableAnswer : DecimalToInt(record[0].text, kUnreadableAnswer);
    if (code < 0) return code;
    if (code > 0 || record.size() < kRecordHeaderLines) return kUnreadableAnswer;
    RecordUndelete(record);
    return 0;
  }

  // Runs the logical check format ENTRY_DBNFLC over `record` and shows what
  // it says. False when the record must not be written.
  bool PassesCheck(StringList& record) {
    const std::string name = Get(Param::ENTRY_DBNFLC);
    if (name.empty()) return true;
    StringList lines;
    if (commands_.ReadCachedText(kDatabaseFilesPath, database_, name + kCheckExtension, lines) !=
            ExchangeResult::Good ||
        lines.empty()) {
      return true;
    }
    StringList output;
    // Line by line, so that a comment ends only its own line.
    if (const int32_t error = FormatRecordByLines(record, database_, lines, output); error != 0) {
      // A check that did not run has not passed.
      ShowErrorBox(ui_, kCheckCaption,
                   "Формат проверки «" + name + "» не выполнен (ошибка " + std::to_string(error) +
                       ")" + kCheckBlocked);
      return false;
    }
    const CheckVerdict verdict = ReadCheckVerdict(output);
    switch (verdict.level) {
      case CheckLevel::kPass:
        return true;
      case CheckLevel::kWarning:
        ShowErrorBox(ui_, kCheckCaption, verdict.message);
        return true;
      case CheckLevel::kBlock:
        ShowErrorBox(ui_, kCheckCaption, verdict.message + kCheckBlocked);
        return false;
    }
    return false;
  }

  // Writes `record` without lock. The MFN stored, or the server's code.
  int32_t Write(StringList& record) {
    StringList answer;
    commands_.WriteRecord(database_, false, UpdatesDictionaryAtOnce(params_, settings_), answer,
                          record);
    if (answer.empty()) return kEntryRefused;
    const int32_t code = DecimalToInt(answer[0].text, kUnreadableResult);
    return code < 1 ? code : RecordMfn(record);
  }

  UserInterface& ui_;
  CommandSet& commands_;
  const NavigatorSettings& settings_;
  const ParameterSet& params_;
  const std::string& database_;
};

}  // namespace

EntryInput ParseEntryInputName(std::string_view prefix) {
  EntryInput input;
  const size_t digit = prefix.find_first_of("0123456789");
  if (digit == std::string_view::npos) return input;
  const std::string_view name = prefix.substr(digit);
  const size_t separator = name.find(kPositionSeparator);
  input.tag = DecimalToInt(name.substr(0, separator), 0);
  if (separator != std::string_view::npos) {
    input.position = DecimalToInt(name.substr(separator + 1), 0);
  }
  return input;
}

std::vector<EntryInput> ReadEntryInputs(const ParameterSet& params, std::string_view marker) {
  std::vector<EntryInput> inputs;
  if (marker.empty()) return inputs;
  for (const ParameterSet::Pair& pair : params.pairs()) {
    // ASCII upper-casing keeps every byte in its place.
    const size_t at = AsciiUpperCase(pair.name).find(marker);
    if (at == std::string::npos) continue;
    EntryInput input = ParseEntryInputName(std::string_view(pair.name).substr(0, at));
    input.value = pair.value;
    inputs.push_back(std::move(input));
  }
  return inputs;
}

void ApplyEntryInputs(const std::vector<EntryInput>& inputs, int32_t entryMfn, bool merge,
                      StringList& record) {
  if (merge && entryMfn > 0) {
    MergeInputs(inputs, record);
  } else if (entryMfn >= 0) {
    ReplaceByInputs(inputs, record);
  }
  CleanRecord(record);
}

bool UpdatesDictionaryAtOnce(const ParameterSet& params, const NavigatorSettings& settings) {
  const std::string actual = params.Get(settings, Param::ENTRY_ACTUAL);
  return actual.empty() || actual == "1";
}

CheckVerdict ReadCheckVerdict(const StringList& output) {
  CheckVerdict verdict;
  for (const ListLine& line : output) {
    if (line.text.empty() || line.text[0] == '0') continue;
    verdict.message += line.text.substr(1) + " ";
    if (verdict.level != CheckLevel::kBlock) {
      verdict.level = line.text[0] == '1' ? CheckLevel::kBlock : CheckLevel::kWarning;
    }
  }
  return verdict;
}

std::string CommandProcessor::EnterRecord(CommandValues& values) {
  const ParameterSet& params = state_.params;
  const int32_t entryMfn = ReadEntryMfn(params, settings_);
  const int32_t result =
      EntryWriter(ui_, commands_, settings_, params, values.database).Store(entryMfn);
  if (result == kEntryRefused) return {};

  int32_t shownMfn = entryMfn;
  if (result < 1) {
    ShowErrorBox(ui_, "", kEntryFailed + std::to_string(result));
  } else {
    shownMfn = result;
    const std::string message = params.Get(settings_, Param::ENTRY_MESSAGE);
    if (message.empty()) {
      ShowInformationBox(ui_, "", kEntryStored + std::to_string(result));
    } else if (message != kSilentMessage) {
      ShowInformationBox(ui_, "", message);
    }
  }
  if (IntegerOr(params.Get(settings_, Param::ENTRY_AFTERACTION), 1) != 0 && shownMfn > 0) {
    host_.FollowRedirect(FollowUpRecordUrl(params, settings_, values.database, values.formatName,
                                           shownMfn, values.freeParameters));
  }
  return {};
}

}  // namespace talor
