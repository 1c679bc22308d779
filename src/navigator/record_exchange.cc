// Commands 7 (export) and 8 (import or copy) of the command processor:
// records of a database written to an exchange file on the reader's disk,
// and the records of such a file added to a database. Both handle one
// record at a time, so that neither the file nor the database has to fit in
// memory: the export asks the server for the records in portions and writes
// each at once, and the import stores what it read in batches of a fixed
// size.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "client/exchange_file.h"
#include "client/record.h"
#include "format/format_engine.h"
#include "navigator/answer_lines.h"
#include "navigator/command_processor.h"
#include "navigator/field_selection.h"
#include "navigator/record_entry.h"
#include "platform/download.h"
#include "platform/file_io.h"
#include "text/file_names.h"
#include "text/line_breaks.h"
#include "text/number_text.h"
#include "text/text_cleaning.h"

namespace talor {
namespace {

constexpr char kExportTitle[] = "Файл для экспорта данных";
constexpr char kImportTitle[] = "Открытие файла";
constexpr char kTextFilter[] = "(*.TXT)|*.TXT";
constexpr char kIsoExportFilter[] = "ISO-файлы|*.ISO";
constexpr char kIsoImportFilter[] = "ISO-Файлы|*.ISO";
constexpr char kAllFilesFilter[] = "|Все файлы|*.*";
constexpr char kTextExtension[] = "TXT";
constexpr char kIsoExtension[] = "ISO";
constexpr char kTextForm[] = "TXT";
constexpr char kCheckExtension[] = ".pft";

constexpr char kExported[] = "Экспортировано документов - ";
constexpr char kFailed[] = "Ошибка: ";
constexpr char kImportCaption[] = "Внимание";
constexpr char kLogicallyDeleted[] = "Запись логически удалена";

// Each record's full text with its MFN and status, as the server formats it.
constexpr char kRecordTextFormat[] = "mpl,&UNIFOR('+0')";
constexpr int32_t kFullTextTag = 951;

// Records asked for in one formatting request of the export.
constexpr size_t kExportPortion = 200;
// Records and bytes of one write request of the import.
constexpr size_t kImportBatchRecords = 1000;
constexpr size_t kImportBatchBytes = 8u << 20;
// Per-record remarks shown in a message; the rest are counted.
constexpr size_t kShownRemarks = 30;

// Remarks about single records for the closing message, of which only the
// first few are kept.
class Remarks {
 public:
  void Add(std::string remark) {
    if (shown_.size() < kShownRemarks) {
      shown_.push_back(std::move(remark));
    } else {
      ++more_;
    }
  }
  bool empty() const { return shown_.empty(); }

  // One remark a line; each line ends in a line break.
  std::string Text() const {
    std::string text;
    for (const std::string& remark : shown_) text += remark + "\n";
    if (more_ > 0) text += "… и ещё " + std::to_string(more_) + "\n";
    return text;
  }

 private:
  std::vector<std::string> shown_;
  size_t more_ = 0;
};

std::string MfnText(int32_t mfn) { return "MFN=" + std::to_string(mfn); }

// `path` with `extension` added when its file name has no point.
std::string WithExtension(const std::string& path, const char* extension) {
  const size_t slash = path.find_last_of('/');
  const size_t point = path.find('.', slash == std::string::npos ? 0 : slash + 1);
  return point == std::string::npos ? path + "." + extension : path;
}

// The folder of `path`, ending in `/`.
std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('/') + 1); }

// The last part of a URL's path or of a file path, without a query; empty
// when nothing usable is left.
std::string LastPathPart(std::string_view path) {
  path = path.substr(0, path.find('?'));
  const size_t slash = path.find_last_of("/\\");
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  if (path == "." || path == "..") return {};
  return SafeFileName(path);
}

// The export or the import of one command: what the page's parameters say.
class ExchangeJob {
 public:
  ExchangeJob(UserInterface& ui, CommandSet& commands, const NavigatorSettings& settings,
              const ParameterSet& params, const std::string& database)
      : ui_(ui), commands_(commands), settings_(settings), params_(params), database_(database) {}

 protected:
  std::string Get(Param param) const { return params_.Get(settings_, param); }

  // EXPORT_FMT names the text form by itself, IMPORT_FMT by containing it.
  bool TextForm(Param param) const {
    const std::string form = AsciiUpperCase(Get(param));
    return param == Param::EXPORT_FMT ? form == kTextForm
                                      : form.find(kTextForm) != std::string::npos;
  }

  // The field selection table file `name` of the database, with the tables
  // it includes; nullopt after an error box.
  std::optional<FieldSelectionTable> LoadTable(const std::string& name) {
    FieldSelectionTable table;
    const Status status = FieldSelectionTable::Load(
        name,
        [this](const std::string& fileName) -> std::optional<StringList> {
          StringList lines;
          if (commands_.ReadCachedText(kDatabaseFilesPath, database_, fileName, lines) !=
              ExchangeResult::Good) {
            return std::nullopt;
          }
          if (AnswerErrorCode(lines)) return std::nullopt;
          return lines;
        },
        table);
    if (status.ok()) return table;
    ShowErrorBox(ui_, "", "Команда не выполнена: " + status.message() + ".");
    return std::nullopt;
  }

  UserInterface& ui_;
  CommandSet& commands_;
  const NavigatorSettings& settings_;
  const ParameterSet& params_;
  const std::string& database_;
};

class RecordExport : public ExchangeJob {
 public:
  RecordExport(UserInterface& ui, CommandSet& commands, const NavigatorSettings& settings,
               const ParameterSet& params, const std::string& database)
      : ExchangeJob(ui, commands, settings, params, database) {}

  // Writes the records to a file the user chooses. The number of records
  // written, a negative code, or kEntryRefused when there was nothing to
  // export or the user cancelled.
  int32_t Run(const std::string& expression, const StringList& selected,
              const std::string& workDirectory, Remarks& remarks) {
    from_ = IntegerOr(Get(Param::EXPORT_FROMMFN), 0);
    to_ = IntegerOr(Get(Param::EXPORT_TOMFN), 0);
    if (from_ == 0) from_ = to_;
    if (to_ == 0) to_ = from_;
    std::vector<int32_t> mfns;
    if (!expression.empty()) {
      if (const int32_t code = SearchHits(expression, mfns); code < 0) return code;
    } else if (from_ != 0) {
      if (const int32_t code = RangeMfns(mfns); code < 0) return code;
    } else if (!SelectedMfns(selected, mfns)) {
      return kEntryRefused;
    }
    const bool textForm = TextForm(Param::EXPORT_FMT);
    std::optional<std::string> path = AskPath(textForm, workDirectory);
    if (!path) return kEntryRefused;
    std::optional<FieldSelectionTable> table;
    if (std::string name = Get(Param::EXPORT_FST); !name.empty()) {
      if (name.find('.') == std::string::npos) name += kFieldSelectionExtension;
      table = LoadTable(name);
      if (!table) return kEntryRefused;
    }
    path_ = *path;
    FileReplacement file(path_);
    if (!file.Open()) return FileError(path_);
    ExchangeFileWriter writer(
        file.file(), {textForm ? ExchangeForm::Text : ExchangeForm::Iso,
                      ExchangeCodeFromParameter(Get(Param::EXPORT_CODE)), table.has_value()});
    copyFullTexts_ = IntegerOr(Get(Param::EXPORT_FULLTEXT), 0) != 0;
    folder_ = FolderOf(path_);
    int32_t written = 0;
    for (size_t at = 0; at < mfns.size(); at += kExportPortion) {
      const size_t end = std::min(mfns.size(), at + kExportPortion);
      const int32_t code =
          WritePortion({mfns.begin() + at, mfns.begin() + end}, table, writer, written, remarks);
      if (code < 0) return code;
    }
    if (!file.Commit()) return FileError(path_);
    return written;
  }

 private:
  bool InRange(int32_t mfn) const {
    return mfn > 0 && (from_ == 0 || (mfn >= from_ && mfn <= to_));
  }

  // The hits of `expression` in the range, in MFN order; 0 or the code.
  int32_t SearchHits(const std::string& expression, std::vector<int32_t>& mfns) {
    StringList answer;
    if (commands_.Search(database_, expression, 0, answer, "", 1) != ExchangeResult::Good) {
      return kEntryRefused;
    }
    if (std::optional<int32_t> code = AnswerErrorCode(answer)) return *code;
    for (size_t i = 2; i < answer.size(); ++i) {
      if (InRange(answer[i].object)) mfns.push_back(answer[i].object);
    }
    std::sort(mfns.begin(), mfns.end());
    return 0;
  }

  // The MFNs from..to that the database can hold; 0 or the code.
  int32_t RangeMfns(std::vector<int32_t>& mfns) {
    StringList answer;
    if (commands_.ReadMaxMfn(database_, answer) != ExchangeResult::Good || answer.empty()) {
      return kEntryRefused;
    }
    if (std::optional<int32_t> code = AnswerErrorCode(answer)) return *code;
    // The server answers with the MFN the next new record will get.
    const int32_t last = std::min(to_, DecimalToInt(answer[0].text, 1) - 1);
    for (int32_t mfn = std::max(from_, 1); mfn <= last; ++mfn) mfns.push_back(mfn);
    return 0;
  }

  // The entries of the selection that read as MFNs; false when none do.
  bool SelectedMfns(const StringList& selected, std::vector<int32_t>& mfns) {
    for (const ListLine& entry : selected) {
      const int32_t mfn = DecimalToInt(entry.text, 0);
      if (mfn > 0) mfns.push_back(mfn);
    }
    return !mfns.empty();
  }

  std::optional<std::string> AskPath(bool textForm, const std::string& workDirectory) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.title = kExportTitle;
    request.filter = textForm ? kTextFilter : kIsoExportFilter;
    request.defaultExtension = textForm ? kTextExtension : kIsoExtension;
    request.initialDirectory = workDirectory;
    request.overwritePrompt = true;
    std::optional<std::string> path = ui_.AskFileName(request);
    if (!path || path->empty()) return std::nullopt;
    return WithExtension(*path, request.defaultExtension.c_str());
  }

  int32_t FileError(const std::string& path) {
    ShowErrorBox(
        ui_, "",
        "Файл " + path + " не записан: " + std::strerror(errno) + ". Экспорт не выполнен.");
    return kEntryRefused;
  }

  // Formats the records `mfns` into their texts and writes each. 0, or a
  // negative code that ends the export.
  int32_t WritePortion(const std::vector<int32_t>& mfns,
                       const std::optional<FieldSelectionTable>& table, ExchangeFileWriter& writer,
                       int32_t& written, Remarks& remarks) {
    StringList list;
    list.Add(std::to_string(mfns.size()));
    for (int32_t mfn : mfns) list.Add(std::to_string(mfn));
    StringList answer;
    if (commands_.FormatRecords(database_, list, kRecordTextFormat, answer) !=
        ExchangeResult::Good) {
      return kEntryRefused;
    }
    if (std::optional<int32_t> code = AnswerErrorCode(answer)) return *code;
    StringList record;
    for (size_t i = 1; i < answer.size(); ++i) {
      std::string text = answer[i].text;
      DecodeLineBreaks(text);
      RecordFromText(text, record);
      const int32_t mfn = answer[i].object;
      if (!InRange(mfn) || RecordMfn(record) != mfn || RecordIsDeleted(record)) continue;
      switch (WriteRecord(mfn, record, table, writer, remarks)) {
        case ExchangeFileWriter::Status::Written:
          ++written;
          break;
        case ExchangeFileWriter::Status::TooLong:
          break;
        case ExchangeFileWriter::Status::WriteFailed:
          return FileError(path_);
      }
    }
    return 0;
  }

  // Writes one record; TooLong also stands for a record left out for a
  // reason that is in `remarks`.
  ExchangeFileWriter::Status WriteRecord(int32_t mfn, StringList& record,
                                         const std::optional<FieldSelectionTable>& table,
                                         ExchangeFileWriter& writer, Remarks& remarks) {
    if (copyFullTexts_) CopyFullTexts(record, remarks);
    StringList rebuilt;
    if (table) {
      if (const int32_t error = table->Apply(record, database_, rebuilt); error != 0) {
        remarks.Add(MfnText(mfn) + ": таблица выбора полей не выполнена (ошибка " +
                    std::to_string(error) + "), запись не выгружена");
        return ExchangeFileWriter::Status::TooLong;
      }
    }
    size_t missing = 0;
    const ExchangeFileWriter::Status status = writer.Write(table ? rebuilt : record, &missing);
    if (status == ExchangeFileWriter::Status::TooLong) {
      remarks.Add(MfnText(mfn) +
                  ": запись не выгружена — в ISO 2709 поле должно быть короче 9999 байт, "
                  "запись — короче 99999 байт, метка — не больше 999");
    } else if (status == ExchangeFileWriter::Status::Written && missing > 0) {
      remarks.Add(MfnText(mfn) + ": символов, которых нет в выбранной кодировке, — " +
                  std::to_string(missing) + "; они заменены знаком «?»");
    }
    return status;
  }

  // Copies the files that the fields 951 of `record` name into the export
  // file's folder: a URL of subfield I is downloaded, a file of subfield A
  // is read from the server.
  void CopyFullTexts(const StringList& record, Remarks& remarks) {
    const int32_t mfn = RecordMfn(record);
    for (int occurrence = 1;; ++occurrence) {
      const int field = RecordFindField(record, kFullTextTag, occurrence);
      if (field < 1) return;
      const std::string url = RecordFieldText(record, field, "I");
      const std::string serverFile = RecordFieldText(record, field, "A");
      const std::string name = LastPathPart(url.empty() ? serverFile : url);
      if (name.empty()) continue;
      const std::string failure = url.empty() ? CopyServerFile(serverFile, folder_ + name)
                                              : DownloadToFile(url, folder_ + name);
      if (!failure.empty()) {
        remarks.Add(MfnText(mfn) + ": файл " + name + " не скопирован: " + failure);
      }
    }
  }

  std::string CopyServerFile(const std::string& fileName, const std::string& path) {
    StringList result;
    std::string block;
    if (commands_.ReadCachedBinary(kDatabaseFilesPath, database_, fileName, result, block) !=
        ExchangeResult::Good) {
      return "сервер его не выдал";
    }
    if (!ReplaceFileContents(path, block))
      return std::string("ошибка записи: ") + std::strerror(errno);
    return {};
  }

  int32_t from_ = 0;
  int32_t to_ = 0;
  bool copyFullTexts_ = false;
  std::string path_;    // the export file
  std::string folder_;  // its folder, ending in `/`
};

// What an import stored, counted from the answers of its write requests.
struct ImportTally {
  int32_t stored = 0;
  int32_t firstMfn = 0;
  int32_t lastMfn = 0;
  int32_t failure = 0;  // the code of a refused write, which ends the import
};

class RecordImport : public ExchangeJob {
 public:
  RecordImport(UserInterface& ui, CommandSet& commands, const NavigatorSettings& settings,
               const ParameterSet& params, const std::string& database)
      : ExchangeJob(ui, commands, settings, params, database) {}

  // Adds the records of a file the user chooses to the database. False when
  // the user cancelled or nothing could start (after a message of its own).
  bool Run(const std::string& workDirectory, ImportTally& tally, Remarks& remarks) {
    if (database_.empty()) return false;
    const bool textForm = TextForm(Param::IMPORT_FMT);
    std::optional<std::string> path = AskPath(textForm, workDirectory);
    if (!path) return false;
    std::optional<FieldSelectionTable> table;
    if (const std::string name = Get(Param::IMPORT_FST); !name.empty()) {
      table = LoadTable(name + std::string(kFieldSelectionExtension));
      if (!table) return false;
    }
    if (!LoadCheck()) return false;
    std::FILE* file = std::fopen(path->c_str(), "rb");
    if (file == nullptr) {
      ShowErrorBox(ui_, "", "Файл " + *path + " не открывается: " + std::strerror(errno) + ".");
      return false;
    }
    ExchangeInput input(file);
    ExchangeFileReader reader(
        input, {textForm ? ExchangeForm::Text : ExchangeForm::Iso,
                ExchangeCodeFromParameter(Get(Param::IMPORT_CODE)), table.has_value()});
    ReadAndStore(reader, table, tally, remarks);
    std::fclose(file);
    return true;
  }

 private:
  std::optional<std::string> AskPath(bool textForm, const std::string& workDirectory) {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.title = kImportTitle;
    request.filter = std::string(textForm ? kTextFilter : kIsoImportFilter) + kAllFilesFilter;
    request.initialDirectory = workDirectory;
    std::optional<std::string> path = ui_.AskFileName(request);
    if (!path || path->empty()) return std::nullopt;
    return path;
  }

  // The logical check format ENTRY_DBNFLC, read once for all records.
  bool LoadCheck() {
    const std::string name = Get(Param::ENTRY_DBNFLC);
    if (name.empty()) return true;
    if (commands_.ReadCachedText(kDatabaseFilesPath, database_, name + kCheckExtension, check_) !=
            ExchangeResult::Good ||
        AnswerErrorCode(check_)) {
      ShowErrorBox(ui_, "", "Формат проверки «" + name + "» не прочитан. Импорт не выполнен.");
      return false;
    }
    return true;
  }

  void ReadAndStore(ExchangeFileReader& reader, const std::optional<FieldSelectionTable>& table,
                    ImportTally& tally, Remarks& remarks) {
    StringList record;
    ExchangeFileReader::Status status = ExchangeFileReader::Status::End;
    while (tally.failure == 0 &&
           (status = reader.Next(record)) == ExchangeFileReader::Status::Record) {
      ++recordNumber_;
      for (std::string& issue : reader.TakeIssues()) remarks.Add(std::move(issue));
      if (table) {
        StringList rebuilt;
        if (const int32_t error = table->Apply(record, database_, rebuilt); error != 0) {
          remarks.Add("Запись " + std::to_string(recordNumber_) +
                      " файла: таблица выбора полей не выполнена (ошибка " + std::to_string(error) +
                      "), запись не скопирована");
          continue;
        }
        record = std::move(rebuilt);
      }
      Hold(record);
      if (batch_.size() >= kImportBatchRecords || batchBytes_ >= kImportBatchBytes) {
        Store(tally, remarks);
      }
    }
    for (std::string& issue : reader.TakeIssues()) remarks.Add(std::move(issue));
    if (tally.failure == 0 && status == ExchangeFileReader::Status::Malformed) {
      remarks.Add("Файл прочитан не до конца: дальше записи не разобрать");
    }
    if (tally.failure == 0) Store(tally, remarks);
  }

  // Checks, cleans and keeps `record` for the next write.
  void Hold(StringList& record) {
    std::string message;
    if (!check_.empty()) {
      StringList output;
      if (const int32_t error = FormatRecordByLines(record, database_, check_, output);
          error != 0) {
        message = "Формат проверки не выполнен (ошибка " + std::to_string(error) + ")";
      } else {
        const CheckVerdict verdict = ReadCheckVerdict(output);
        message = verdict.message;
        if (verdict.level == CheckLevel::kBlock) {
          RecordMarkDeleted(record);
          message += kLogicallyDeleted;
        }
      }
    }
    CleanRecord(record);
    std::string text = RecordToText(record);
    batchBytes_ += text.size();
    batch_.Add(std::move(text));
    messages_.push_back(std::move(message));
  }

  // Writes the kept records in one request and counts what the server
  // stored.
  void Store(ImportTally& tally, Remarks& remarks) {
    if (batch_.empty()) return;
    StringList answer;
    const bool actualize = UpdatesDictionaryAtOnce(params_, settings_);
    const ExchangeResult outcome =
        commands_.WriteRecords(database_, false, actualize, answer, batch_);
    const int32_t code = answer.empty() ? kEntryRefused : DecimalToInt(answer[0].text, 0);
    if (outcome != ExchangeResult::Good || code <= 0) {
      tally.failure = code < 0 ? code : kEntryRefused;
    } else {
      for (size_t k = 0; k < messages_.size() && k + 1 < answer.size(); ++k) {
        const std::string& reply = answer[k + 1].text;
        const int32_t mfn = reply.find('#') == std::string::npos ? 0 : HashPartToInt(reply, 0);
        if (mfn <= 0) continue;
        ++tally.stored;
        if (tally.firstMfn == 0) tally.firstMfn = mfn;
        tally.lastMfn = mfn;
        if (!messages_[k].empty()) remarks.Add(MfnText(mfn) + " " + messages_[k]);
      }
    }
    batch_.Clear();
    messages_.clear();
    batchBytes_ = 0;
  }

  StringList check_;                   // the lines of the check format; empty for none
  StringList batch_;                   // record texts waiting for the next write
  std::vector<std::string> messages_;  // the check's message of each
  size_t batchBytes_ = 0;
  int recordNumber_ = 0;
};

}  // namespace

std::string CommandProcessor::ExportRecords(CommandValues& values) {
  Remarks remarks;
  const int32_t result =
      RecordExport(ui_, commands_, settings_, state_.params, values.database)
          .Run(values.searchExpression, state_.SelectedList, writer_.workDirectory(), remarks);
  if (result == kEntryRefused) return {};
  if (result < 0) {
    ShowErrorBox(ui_, "", kFailed + std::to_string(result));
  } else {
    ShowInformationBox(
        ui_, "",
        kExported + std::to_string(result) + (remarks.empty() ? "" : "\n\n" + remarks.Text()));
  }
  return {};
}

std::string CommandProcessor::ImportRecords(CommandValues& values) {
  ImportTally tally;
  Remarks remarks;
  if (!RecordImport(ui_, commands_, settings_, state_.params, values.database)
           .Run(writer_.workDirectory(), tally, remarks)) {
    return {};
  }
  ShowInformationBox(ui_, kImportCaption,
                     remarks.Text() + "В БД " + values.database + " скопировано документов -" +
                         std::to_string(tally.stored) + " с номерами(MFN) " +
                         std::to_string(tally.firstMfn) + " - " + std::to_string(tally.lastMfn));
  const int32_t result = tally.firstMfn > 0 ? tally.firstMfn : tally.failure;
  if (result > 0) {
    host_.FollowRedirect(FollowUpSearchUrl(state_.params, settings_, values.database,
                                           values.formatName, result, values.freeParameters));
  } else if (result < 0) {
    ShowErrorBox(ui_, "", kFailed + std::to_string(result));
  }
  return {};
}

}  // namespace talor
