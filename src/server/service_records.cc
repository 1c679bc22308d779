// Record commands: C (read), D (write one or a batch), G (format).

#include <filesystem>

#include "server/format_loader.h"
#include "server/return_codes.h"
#include "server/service.h"
#include "text/encoding.h"
#include "text/line_breaks.h"

namespace talor::server {

namespace {

// Mode line values of command G.
constexpr int kFormatRange = 0;
constexpr int kFormatOne = 1;
constexpr int kFormatList = 2;
constexpr int kFormatClientRecord = -2;

std::string FileStamp(const std::optional<std::filesystem::path>& path) {
  if (!path) return "-";
  std::error_code ec;
  auto time = std::filesystem::last_write_time(*path, ec);
  return path->string() + "@" + std::to_string(time.time_since_epoch().count());
}

// Adds the output lines of a formatted text (CR LF separated) to `answer`.
void AddOutputLines(Answer& answer, std::string_view text) {
  StringList lines;
  lines.SetText(text);
  for (ListLine& line : lines) answer.lines.Add(std::move(line.text));
}

// A refused write: the code twice, as the return code and as the line.
Answer FailedWrite(int32_t code) {
  Answer answer = CodeAnswer(code);
  answer.lines.Add(std::to_string(code));
  return answer;
}

// "MFN#status" of a stored record.
std::string MfnAndStatus(const StoredRecord& record) {
  return std::to_string(record.mfn) + "#" + std::to_string(record.status);
}

// The answer to a write of one record: the MFN, its status line and the
// record as stored. A version conflict sends back the stored record with the
// code in place of the MFN.
Answer SingleWriteAnswer(const WriteOutcome& outcome) {
  if (outcome.code == Code(ReturnCode::VersionConflict)) {
    Answer answer = CodeAnswer(outcome.code);
    answer.lines.Add(std::to_string(outcome.code) + "#" + std::to_string(outcome.record.status));
    answer.lines.Add(ToOneLineWithoutMfn(outcome.record));
    return answer;
  }
  if (outcome.code != 0) return FailedWrite(outcome.code);
  Answer answer = CodeAnswer(outcome.record.mfn);
  answer.lines.Add(MfnAndStatus(outcome.record));
  answer.lines.Add(ToOneLineWithoutMfn(outcome.record));
  return answer;
}

// The answer to a batch: the number stored, then per record in the order
// sent "MFN#status" or its code. `outcomes` holds one entry per record that
// parsed (parse code 0).
Answer BatchWriteAnswer(const std::vector<int32_t>& parseCodes,
                        const std::vector<WriteOutcome>& outcomes) {
  StringList lines;
  int stored = 0;
  size_t next = 0;
  for (int32_t parseCode : parseCodes) {
    if (parseCode != 0) {
      lines.Add(std::to_string(parseCode));
      continue;
    }
    const WriteOutcome& outcome = outcomes[next++];
    if (outcome.code == 0) ++stored;
    lines.Add(outcome.code == 0 ? MfnAndStatus(outcome.record) : std::to_string(outcome.code));
  }
  Answer answer;
  answer.lines.Add(std::to_string(stored));
  for (ListLine& line : lines) answer.lines.Add(std::move(line.text));
  return answer;
}

}  // namespace

std::shared_ptr<const Service::IndexConfig> Service::IndexConfigFor(std::string_view database) {
  std::string db = Utf8UpperCase(database);
  std::optional<std::filesystem::path> fst = files_.Find(kPathDatabase, db, db + ".fst");
  std::optional<std::filesystem::path> stw = files_.Find(kPathDatabase, db, db + ".stw");
  std::string key = db + "|" + FileStamp(fst) + "|" + FileStamp(stw);
  std::lock_guard lock(configMutex_);
  auto it = configs_.find(key);
  if (it != configs_.end()) return it->second;
  auto config = std::make_shared<IndexConfig>();
  if (fst) {
    if (std::optional<std::string> text = ReadCatalogueFile(*fst))
      config->fst = ParseFst(AnsiToUtf8(*text));
  }
  if (stw) {
    if (std::optional<std::string> text = ReadCatalogueFile(*stw))
      config->stopWords = ParseStopWords(AnsiToUtf8(*text));
  }
  configs_[key] = config;
  return config;
}

std::set<std::string> Service::StopWords(std::string_view database) {
  return IndexConfigFor(database)->stopWords;
}

IndexFunction Service::IndexFor(std::string_view database) {
  std::shared_ptr<const IndexConfig> config = IndexConfigFor(database);
  std::string db = Utf8UpperCase(database);
  return [this, config, db](const StoredRecord& record) {
    return ExtractTerms(record, db, config->fst, config->stopWords, formatter_);
  };
}

std::optional<StoredRecord> Service::LoadRecord(std::string_view database, int32_t mfn) {
  ReadOutcome outcome = storage_.ReadRecord(database, mfn, "");
  if (outcome.code != 0) return std::nullopt;
  return std::move(outcome.record);
}

std::string Service::FormatLine(const StoredRecord& record, std::string_view database,
                                std::string_view formatText) {
  if (formatText.empty()) return {};
  FormatOutput output = formatter_.Format(record, database, formatText);
  std::string text = output.code == 0 ? std::move(output.text) : std::to_string(output.code);
  EncodeLineBreaks(text);
  return text;
}

// C: database, MFN, lock switch. Answer: 0, "MFN#status", "0#version", then
// "tag#value" per field; or the return code alone.
Answer Service::ReadRecord(Call& call) {
  const Request& request = call.request;
  std::optional<int32_t> mfn = ParseInt(request.Parameter(1));
  if (!mfn || *mfn <= 0) return CodeAnswer(Code(ReturnCode::BadMfn));
  bool lock = request.Parameter(2) == "1";
  ReadOutcome outcome = storage_.ReadRecord(request.Parameter(0), *mfn, lock ? call.owner : "");
  if (outcome.code != 0) return CodeAnswer(outcome.code);
  Answer answer = CodeAnswer(Code(ReturnCode::Ok));
  for (std::string& line : ToWireLines(outcome.record)) answer.lines.Add(std::move(line));
  return answer;
}

// D: database, lock switch, dictionary switch, then one record a line in the
// one-line form. One record: first line the MFN (or the code), then
// "MFN#status" and the stored record without its MFN line; a version
// conflict answers -608, "-608#status" and the stored record. Several
// records: first line the number stored, then "MFN#status" or the code for
// each record in order.
Answer Service::WriteRecords(Call& call) {
  const Request& request = call.request;
  std::string_view database = request.Parameter(0);
  if (!storage_.HasDatabase(database)) return FailedWrite(Code(ReturnCode::UnknownDatabase));
  std::optional<int32_t> lock = ParseInt(request.Parameter(1));
  std::optional<int32_t> actualize = ParseInt(request.Parameter(2));
  if (!lock || !actualize || request.parameters.size() < 4)
    return FailedWrite(Code(ReturnCode::BadParameters));

  std::vector<StoredRecord> records;
  std::vector<int32_t> parseCodes;
  for (size_t i = 3; i < request.parameters.size(); ++i) {
    if (request.parameters[i].empty()) continue;
    std::optional<StoredRecord> record = ParseOneLineRecord(request.parameters[i]);
    parseCodes.push_back(record ? 0 : Code(ReturnCode::BadParameters));
    if (record) records.push_back(std::move(*record));
  }
  if (parseCodes.empty()) return FailedWrite(Code(ReturnCode::BadParameters));

  WriteOptions options{call.owner, *lock == 1, *actualize != 0};
  std::vector<WriteOutcome> outcomes =
      storage_.WriteRecords(database, records, options, IndexFor(database));
  if (parseCodes.size() > 1) return BatchWriteAnswer(parseCodes, outcomes);
  if (parseCodes[0] != 0) return FailedWrite(parseCodes[0]);
  return SingleWriteAnswer(outcomes.front());
}

Answer Service::FormatRecords(Call& call) {
  const Request& request = call.request;
  std::string_view database = request.Parameter(0);
  if (!storage_.HasDatabase(database)) return CodeAnswer(Code(ReturnCode::UnknownDatabase));
  std::string format = LoadFormat(files_, database, request.Parameter(1));
  std::optional<int32_t> mode = ParseInt(request.Parameter(2));
  if (!mode) return CodeAnswer(Code(ReturnCode::BadParameters));

  auto formatWhole = [&](const StoredRecord& record) {
    FormatOutput output = formatter_.Format(record, database, format);
    if (output.code != 0) return CodeAnswer(output.code);
    Answer answer = CodeAnswer(Code(ReturnCode::Ok));
    AddOutputLines(answer, output.text);
    return answer;
  };
  if (*mode == kFormatOne) {
    std::optional<int32_t> mfn = ParseInt(request.Parameter(3));
    if (!mfn || *mfn <= 0) return CodeAnswer(Code(ReturnCode::BadMfn));
    std::optional<StoredRecord> record = LoadRecord(database, *mfn);
    if (!record) return CodeAnswer(Code(ReturnCode::RecordAbsent));
    return formatWhole(*record);
  }
  if (*mode == kFormatClientRecord) {
    std::optional<StoredRecord> record = ParseOneLineRecord(request.Parameter(3));
    if (!record) return CodeAnswer(Code(ReturnCode::BadParameters));
    return formatWhole(*record);
  }

  std::vector<int32_t> mfns;
  if (*mode == kFormatRange) {
    std::optional<int32_t> first = ParseInt(request.Parameter(3));
    std::optional<int32_t> last = ParseInt(request.Parameter(4));
    std::optional<int32_t> next = storage_.NextMfn(database);
    if (!first || !last || !next) return CodeAnswer(Code(ReturnCode::BadParameters));
    int64_t to = std::min<int64_t>(*last, *next - 1);
    for (int64_t mfn = std::max(*first, 1); mfn <= to && mfns.size() < kMaxFormattedRecords; ++mfn)
      mfns.push_back(static_cast<int32_t>(mfn));
  } else if (*mode == kFormatList) {
    for (size_t i = 3; i < request.parameters.size() && mfns.size() < kMaxFormattedRecords; ++i) {
      std::optional<int32_t> mfn = ParseInt(request.parameters[i]);
      if (mfn && *mfn > 0) mfns.push_back(*mfn);
    }
  } else {
    return CodeAnswer(Code(ReturnCode::BadParameters));
  }
  Answer answer = CodeAnswer(Code(ReturnCode::Ok));
  for (int32_t mfn : mfns) {
    if (call.cancel.stop.load()) {
      if (call.cancel.level.load() >= kStopAbort) return CodeAnswer(Code(ReturnCode::Interrupted));
      break;
    }
    std::optional<StoredRecord> record = LoadRecord(database, mfn);
    if (!record) continue;
    answer.lines.Add(std::to_string(mfn) + "#" + FormatLine(*record, database, format), mfn);
  }
  return answer;
}

}  // namespace talor::server
