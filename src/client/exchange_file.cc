#include "client/exchange_file.h"

#include <utility>

namespace talor {
namespace {

constexpr size_t kLengthDigits = 5;

}  // namespace

ExchangeForm GuessExchangeForm(std::string_view head) {
  if (head.size() < kIsoLeaderLength) return ExchangeForm::Text;
  for (size_t i = 0; i < kLengthDigits; ++i) {
    if (head[i] < '0' || head[i] > '9') return ExchangeForm::Text;
  }
  return head.find(kIsoFieldSeparator) != std::string_view::npos ? ExchangeForm::Iso
                                                                 : ExchangeForm::Text;
}

ExchangeFileReader::ExchangeFileReader(ExchangeInput& input, const ExchangeFormat& format)
    : format_(format) {
  if (format.form == ExchangeForm::Iso) {
    iso_.emplace(input);
  } else {
    text_.emplace(input);
  }
}

ExchangeFileReader::Status ExchangeFileReader::Next(StringList& record) {
  if (text_) {
    if (!text_->Next(record)) {
      if (!text_->failed()) return Status::End;
      issues_.push_back("ошибка чтения файла");
      return Status::Malformed;
    }
  } else {
    switch (iso_->Next(record, format_.isoMarks)) {
      case IsoReader::Status::Record:
        break;
      case IsoReader::Status::End:
        return Status::End;
      case IsoReader::Status::Malformed:
        issues_.push_back(iso_->error());
        return Status::Malformed;
    }
  }
  if (format_.isoMarks) ReplaceInFields(record, kIsoSubfieldDelimiter, '^');
  RecodeForImport(record, format_.code);
  return Status::Record;
}

std::vector<std::string> ExchangeFileReader::TakeIssues() {
  if (text_) {
    const std::vector<TextExchangeIssue>& all = text_->issues();
    for (; issuesTaken_ < all.size(); ++issuesTaken_) {
      const TextExchangeIssue& issue = all[issuesTaken_];
      issues_.push_back("строка " + std::to_string(issue.line) + ": " + issue.message);
    }
  }
  return std::exchange(issues_, {});
}

ExchangeFileWriter::Status ExchangeFileWriter::Write(StringList& record, size_t* missing) {
  bytes_.clear();
  std::optional<std::string> leader;
  if (format_.isoMarks) ReplaceInFields(record, '^', kIsoSubfieldDelimiter);
  *missing = RecodeForExport(record, format_.code);
  if (format_.isoMarks) leader = TakeLeaderSource(record);
  if (format_.form == ExchangeForm::Text) {
    WriteTextRecord(record, bytes_);
  } else if (!WriteIsoRecord(record, bytes_, leader)) {
    return Status::TooLong;
  }
  if (std::fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size()) {
    return Status::WriteFailed;
  }
  return Status::Written;
}

}  // namespace talor
