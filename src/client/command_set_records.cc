// Reading and writing records (commands C and D).

#include "client/command_set.h"
#include "client/decimal.h"
#include "client/record.h"
#include "text/line_breaks.h"

namespace talor {
namespace {

constexpr char kReadRecord = 'C';
constexpr char kWriteRecord = 'D';

std::string Switch(bool on) { return on ? "1" : "0"; }

StringList Unreadable() { return StringList{{std::to_string(kUnreadableAnswer), 0}}; }

// The lines of a text in the one-line encoding.
StringList DecodeOneLine(std::string text) {
  DecodeLineBreaks(text);
  StringList lines;
  lines.SetText(text);
  return lines;
}

// After a write whose answer line 1 holds MFN#status and more lines follow:
// rebuilds the record from the copy that the server now stores (answer line
// 2, one-line form).
void ReplaceByStoredRecord(const StringList& answerLines, int32_t mfn, const std::string& status,
                           StringList& answer, StringList& record) {
  if (mfn == kVersionConflict) {
    RecordTruncate(record);
    if (record.size() >= 2) {
      record[0] = {std::to_string(kVersionConflict), 0};
      record[1].text = status;
    }
    answer = StringList{{std::to_string(kVersionConflict), 0}};
  } else {
    record.Clear();
    record.Add("0");
    record.Add(status, mfn);
  }
  // The stored copy comes without its MFN line. Should a server send that
  // line too, it is skipped: read as a field it would add a bogus field
  // tagged with the MFN.
  const StringList stored = DecodeOneLine(answerLines[2].text);
  size_t from = 0;
  ListLine leading;
  if (mfn > 0 && !stored.empty() && ReadCountedLine(stored[0].text, leading) &&
      leading.object == mfn) {
    from = 1;
  }
  for (size_t i = from; i < stored.size(); ++i) {
    ListLine line;
    if (!ReadCountedLine(stored[i].text, line)) continue;
    if (line.object != 0) {
      record.Add(line.text, line.object);
    } else if (record.size() < 3) {
      record.Add(line.text);
    } else {
      record[2].text = line.text;
    }
  }
}

}  // namespace

ExchangeResult CommandSet::ReadRecord(std::string_view database, int32_t mfn, bool lock,
                                      StringList& record) {
  StringList answer;
  const std::string parameters =
      std::string(database) + "\n" + std::to_string(mfn) + "\n" + Switch(lock) + "\n\n";
  ExchangeResult outcome = Run(kReadRecord, parameters, answer);
  if (outcome == ExchangeResult::Busy) return outcome;
  if (outcome != ExchangeResult::Good) {
    record = answer;
    return outcome;
  }
  // The record reader expects the ten header lines in front of the answer.
  StringList full;
  for (int i = 0; i < kAnswerHeaderLines; ++i) full.Add("");
  for (ListLine& line : answer) full.Add(std::move(line.text), line.object);
  RecordFromAnswer(full, record);
  if (record.empty()) return outcome;
  if (record[0].text == std::to_string(kRecordAbsent)) {
    record.Add(std::to_string(kRecordAbsent), mfn);
  }
  if (ParseDecimal(record[0].text) == 0 && !lock && record.size() >= 2) {
    if (std::optional<int32_t> status = ParseDecimal(record[1].text)) {
      if (*status & kStatusLocked) record[1].text = std::to_string(*status & ~kStatusLocked);
    }
  }
  return outcome;
}

ExchangeResult CommandSet::WriteRecord(std::string_view database, bool lock, bool actualize,
                                       StringList& answer, StringList& record) {
  if (record.size() >= 2 && record[1].text == std::to_string(kRecordAbsent)) {
    return ExchangeResult::Failed;
  }
  StringList wire;
  if (RecordToWire(wire, record) != 0) return ExchangeResult::Failed;
  const std::string parameters = std::string(database) + "\n" + Switch(lock) + "\n" +
                                 Switch(actualize) + "\n" + RecordToLine(record);
  ExchangeResult outcome = Run(kWriteRecord, parameters, answer);
  if (outcome != ExchangeResult::Good || answer.size() < 2) return outcome;

  const StringList answerLines = answer;
  const std::string& first = answerLines[1].text;
  const size_t hash = first.find('#');
  if (hash == std::string::npos) {
    if (!record.empty()) record[0].text = first;
    answer = StringList{{std::to_string(ParseDecimal(first).value_or(kUnreadableAnswer)), 0}};
    return outcome;
  }
  const std::optional<int32_t> mfn = ParseDecimal(std::string_view(first).substr(0, hash));
  if (!mfn) {
    answer = Unreadable();
    return ExchangeResult::Failed;
  }
  const std::string status = first.substr(hash + 1);
  if (answerLines.size() == 2) {
    while (record.size() < 3) record.Add(record.empty() ? "0" : "");
    record[1] = {status, *mfn};
    record[0] = {"0", 0};
    record[2].text = std::to_string(ParseDecimal(record[2].text).value_or(1) + 1);
  } else {
    ReplaceByStoredRecord(answerLines, *mfn, status, answer, record);
  }
  return outcome;
}

ExchangeResult CommandSet::WriteRecords(std::string_view database, bool lock, bool actualize,
                                        StringList& answer, StringList& recordTexts) {
  std::string parameters = std::string(database) + "\n" + Switch(lock) + "\n" + Switch(actualize);
  // The answer's lines follow the records as sent, so empty texts (which are
  // not sent) are skipped when the lines are matched up again.
  std::vector<size_t> sent;
  for (size_t i = 0; i < recordTexts.size(); ++i) {
    if (recordTexts[i].text.empty()) continue;
    StringList record;
    RecordFromText(recordTexts[i].text, record);
    parameters += "\n" + RecordToLine(record);
    sent.push_back(i);
  }
  ExchangeResult outcome = Run(kWriteRecord, parameters, answer);
  if (outcome != ExchangeResult::Good || answer.size() < 2) return outcome;

  for (size_t k = 0; k < sent.size() && k + 1 < answer.size(); ++k) {
    const std::string reply = answer[k + 1].text;
    StringList lines = DecodeOneLine(recordTexts[sent[k]].text);
    while (lines.size() < 2) lines.Add("");
    const size_t hash = reply.find('#');
    if (hash == std::string::npos) {
      lines[0].text = reply;
    } else {
      const std::optional<int32_t> mfn = ParseDecimal(std::string_view(reply).substr(0, hash));
      const std::optional<int32_t> status = ParseDecimal(std::string_view(reply).substr(hash + 1));
      if (!mfn || !status) {
        answer = Unreadable();
        return ExchangeResult::Failed;
      }
      lines[1].text = std::to_string(*mfn) + "#" + std::to_string(*status);
    }
    std::string text = lines.Text();
    EncodeLineBreaks(text);
    recordTexts[sent[k]].text = std::move(text);
  }
  return outcome;
}

}  // namespace talor
