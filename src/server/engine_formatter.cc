#include "server/engine_formatter.h"

#include "format/format_engine.h"
#include "format/format_services.h"
#include "server/return_codes.h"
#include "text/encoding.h"

namespace talor::server {

namespace {

constexpr std::string_view kUtf8Mark = "!";

StringList ToClientRecord(const StoredRecord& record) {
  StringList lines;
  lines.Add("0");
  lines.Add(std::to_string(record.status), record.mfn);
  lines.Add(std::to_string(record.version));
  for (const Field& field : record.fields) lines.Add(field.value, field.tag);
  return lines;
}

class FileReader : public FormatFileReader {
 public:
  explicit FileReader(const CatalogueFiles& files) : files_(files) {}
  std::optional<std::string> ReadTextFile(int pathNumber, std::string_view database,
                                          std::string_view name) override {
    return files_.Read(pathNumber, database, name);
  }

 private:
  const CatalogueFiles& files_;
};

// This server as the engine sees it: records and dictionary from storage.
// Formatting "on the server" is what is happening already, so it is refused.
class LocalServer : public FormatServer {
 public:
  explicit LocalServer(Storage* storage) : storage_(storage) {}

  std::optional<int32_t> LookupTerm(std::string_view database, std::string_view term) override {
    if (storage_ == nullptr) return std::nullopt;
    std::vector<Posting> postings = storage_->Postings(database, Utf8UpperCase(term), false, 1);
    return postings.empty() ? 0 : postings.front().mfn;
  }

  std::optional<StringList> ReadRecord(std::string_view database, int32_t mfn) override {
    if (storage_ == nullptr) return std::nullopt;
    ReadOutcome outcome = storage_->ReadRecord(database, mfn, "");
    if (outcome.code != 0) {
      StringList absent;
      absent.Add(std::to_string(outcome.code));
      return absent;
    }
    return ToClientRecord(outcome.record);
  }

 private:
  Storage* storage_;
};

}  // namespace

FormatOutput EngineFormatter::Format(const StoredRecord& record, std::string_view database,
                                     std::string_view formatText) {
  if (formatText.empty()) return {};
  FileReader reader(files_);
  LocalServer server(storage_);
  FormatEngine& engine = DefaultFormatEngine();
  StartFormatEngine();
  FormatFileReader* oldReader = engine.fileReader();
  FormatServer* oldServer = engine.server();
  engine.SetFileReader(&reader);
  engine.SetServer(&server);

  StringList clientRecord = ToClientRecord(record);
  StringList result;
  std::string text(kUtf8Mark);
  text += formatText;
  int32_t error = FormatRecordByText(clientRecord, database, text, result);

  engine.SetFileReader(oldReader);
  engine.SetServer(oldServer);
  StopFormatEngine();
  if (error != 0) return {Code(ReturnCode::FormatFailed), {}};
  FormatOutput output;
  output.text = result.Join("\r\n");
  return output;
}

}  // namespace talor::server
