#include "client/command_set.h"

#include "client/decimal.h"
#include "client/record.h"

namespace talor {
namespace {

constexpr char kRegister = 'A';
constexpr char kUnregister = 'B';
constexpr char kNoOperation = 'N';
constexpr char kReadMaxMfn = 'O';
constexpr char kFormat = 'G';
constexpr char kTermsForward = 'H';
constexpr char kTermsBackward = 'P';
constexpr char kPostings = 'I';
constexpr char kWordPositions = 'V';
constexpr char kSearch = 'K';
constexpr char kFullText = 'R';

// Mode lines of the format command.
constexpr std::string_view kFormatRange = "0";
constexpr std::string_view kFormatOne = "1";
constexpr std::string_view kFormatList = "2";
constexpr std::string_view kFormatClientRecord = "-2";

constexpr int kFullTextLimitMax = 32000;
constexpr int kFullTextLimitDefault = 100;
constexpr char kSettingsSeparator = 31;
constexpr size_t kPostingParts = 4;

std::string Lines(std::initializer_list<std::string_view> parts) {
  std::string text;
  bool first = true;
  for (std::string_view part : parts) {
    if (!first) text += '\n';
    text += part;
    first = false;
  }
  return text;
}

StringList Unreadable() { return StringList{{std::to_string(kUnreadableAnswer), 0}}; }

}  // namespace

std::string ResourcePath(int pathNumber, std::string_view database, std::string_view fileName,
                         bool binary) {
  std::string path = std::to_string(pathNumber) + "." + std::string(database) + ".";
  if (binary) path += '@';
  path += fileName;
  return path;
}

bool ReadCountedLine(std::string_view text, ListLine& line) {
  const size_t hash = text.find('#');
  std::optional<int32_t> value = ParseDecimal(text.substr(0, hash));
  if (!value) return false;
  line.object = *value;
  line.text = hash == std::string_view::npos ? std::string() : std::string(text.substr(hash + 1));
  return true;
}

CommandSet::CommandSet(Transport& transport, UserInterface& ui) : transport_(transport), ui_(ui) {}

ExchangeResult CommandSet::ReadCountedLines(StringList& result, size_t from) {
  for (size_t i = from; i < result.size(); ++i) {
    ListLine line;
    if (!ReadCountedLine(result[i].text, line)) {
      result = Unreadable();
      return ExchangeResult::Failed;
    }
    result[i] = std::move(line);
  }
  return ExchangeResult::Good;
}

ExchangeResult CommandSet::Register(std::string_view user, std::string_view password,
                                    std::string_view workstationCode, StringList& result) {
  SessionIdentity& identity = transport_.identity();
  if (transport_.exchangeRunning()) return ExchangeResult::Busy;
  identity.workstationCode = std::string(workstationCode.substr(0, 1));
  identity.user = std::string(user);
  identity.password = std::string(password);
  return transport_.RunCommand(kRegister, Lines({user, password}), result,
                               Transport::CommandKind::Registration);
}

ExchangeResult CommandSet::RegisterAt(std::string_view host, std::string_view port,
                                      std::string_view workstationCode, StringList& result,
                                      std::string_view password, std::string_view user) {
  if (transport_.exchangeRunning()) return ExchangeResult::Busy;
  transport_.SetServer(host, port, workstationCode);
  ExchangeResult outcome = Register(user, password, workstationCode, result);
  if (outcome == ExchangeResult::Good && result.size() > 1 && ParseDecimal(result[0].text) == 0) {
    result.Delete(1);
  }
  return outcome;
}

ExchangeResult CommandSet::Unregister(std::string_view user, StringList& result) {
  return Run(kUnregister, user, result);
}

ExchangeResult CommandSet::NoOperation(StringList& result) { return Run(kNoOperation, "", result); }

ExchangeResult CommandSet::ReadMaxMfn(std::string_view database, StringList& result) {
  return Run(kReadMaxMfn, database, result);
}

ExchangeResult CommandSet::FormatRecords(std::string_view database, const StringList& mfnList,
                                         std::string_view format, StringList& result) {
  if (mfnList.empty()) return ExchangeResult::Failed;
  std::string parameters = Lines({database, format});
  if (mfnList[0].text == "0") {
    if (mfnList.size() < 3) return ExchangeResult::Failed;
    parameters += "\n" + Lines({kFormatRange, mfnList[1].text, mfnList[2].text});
  } else {
    parameters += "\n";
    parameters += kFormatList;
    for (size_t i = 1; i < mfnList.size(); ++i) parameters += "\n" + mfnList[i].text;
  }
  ExchangeResult outcome = Run(kFormat, parameters, result);
  if (outcome != ExchangeResult::Good) return outcome;
  return ReadCountedLines(result, 1);
}

ExchangeResult CommandSet::FormatRecord(std::string_view database, int32_t mfn,
                                        std::string_view format, StringList& result) {
  return Run(kFormat, Lines({database, format, kFormatOne, std::to_string(mfn)}), result);
}

ExchangeResult CommandSet::FormatClientRecord(std::string_view database, std::string_view format,
                                              const StringList& record, StringList& result) {
  return Run(kFormat, Lines({database, format, kFormatClientRecord, RecordToLine(record)}), result);
}

ExchangeResult CommandSet::ReadTerms(std::string_view database, std::string_view startTerm,
                                     int count, StringList& result, std::string_view format) {
  ExchangeResult outcome =
      Run(kTermsForward, Lines({database, startTerm, std::to_string(count), format}), result);
  return outcome == ExchangeResult::Good ? ReadCountedLines(result, 1) : outcome;
}

ExchangeResult CommandSet::ReadTermsForward(std::string_view database, std::string_view startTerm,
                                            int count, StringList& result) {
  ExchangeResult outcome =
      Run(kTermsForward, Lines({database, startTerm, std::to_string(count)}), result);
  return outcome == ExchangeResult::Good ? ReadCountedLines(result, 1) : outcome;
}

ExchangeResult CommandSet::ReadTermsBackward(std::string_view database, std::string_view startTerm,
                                             int count, StringList& result) {
  ExchangeResult outcome =
      Run(kTermsBackward, Lines({database, startTerm, std::to_string(count)}), result);
  return outcome == ExchangeResult::Good ? ReadCountedLines(result, 1) : outcome;
}

ExchangeResult CommandSet::ReadPostings(std::string_view database, std::string_view term, int first,
                                        StringList& result, int count) {
  ExchangeResult outcome = Run(
      kPostings, Lines({database, std::to_string(first), std::to_string(count), "", term}), result);
  if (outcome != ExchangeResult::Good || count != 0) return outcome;
  for (size_t i = 1; i < result.size(); ++i) {
    std::string& text = result[i].text;
    const size_t hash = text.find('#');
    text = hash == std::string::npos ? "0" : text.substr(0, hash);
  }
  return outcome;
}

ExchangeResult CommandSet::ReadFormattedPostings(std::string_view database, std::string_view term,
                                                 int first, StringList& result,
                                                 StringList& textList, std::string_view format,
                                                 int count) {
  textList.Clear();
  ExchangeResult outcome =
      Run(kPostings, Lines({database, std::to_string(first), std::to_string(count), format, term}),
          result);
  if (outcome != ExchangeResult::Good) return outcome;
  for (size_t i = 1; i < result.size(); ++i) {
    const std::string line = result[i].text;
    size_t at = std::string::npos;
    size_t from = 0;
    for (size_t part = 0; part < kPostingParts; ++part) {
      at = line.find('#', from);
      if (at == std::string::npos) break;
      from = at + 1;
    }
    if (at == std::string::npos) {
      textList.Clear();
      result = Unreadable();
      return ExchangeResult::Failed;
    }
    result[i].text = line.substr(0, at);
    textList.Add(line.substr(at + 1), DecimalOrZero(line.substr(0, line.find('#'))));
  }
  return outcome;
}

ExchangeResult CommandSet::ReadWordPositions(std::string_view database, int32_t mfn,
                                             const StringList& words, StringList& result) {
  std::string parameters = Lines({database, std::to_string(mfn)});
  for (const ListLine& word : words) parameters += "\n" + word.text;
  return Run(kWordPositions, parameters, result);
}

ExchangeResult CommandSet::Search(std::string_view database, std::string_view expression, int count,
                                  StringList& result, std::string_view format, int first) {
  ExchangeResult outcome = Run(
      kSearch, Lines({database, expression, std::to_string(count), std::to_string(first), format}),
      result);
  return outcome == ExchangeResult::Good ? ReadCountedLines(result, 2) : outcome;
}

ExchangeResult CommandSet::FullTextSearch(std::string_view database, std::string_view query,
                                          std::string_view secondQuery, StringList& result,
                                          std::string_view optionalText, std::string_view format,
                                          int first, int portion, std::string_view expression) {
  const FullTextSettings& settings = transport_.fullText();
  const std::optional<int32_t> distance = ParseDecimal(settings.distance);
  const int limit = settings.limit >= 1 && settings.limit <= kFullTextLimitMax
                        ? settings.limit
                        : kFullTextLimitDefault;
  std::string settingsLine;
  for (std::string_view part :
       {query, secondQuery, std::string_view(settings.morphology ? "1" : "0"),
        std::string_view(settings.prefix)}) {
    settingsLine.append(part);
    settingsLine += kSettingsSeparator;
  }
  settingsLine += std::to_string(distance.value_or(-1));
  settingsLine += kSettingsSeparator;
  settingsLine += settings.extra;
  settingsLine += kSettingsSeparator;
  settingsLine += std::to_string(limit);
  ExchangeResult outcome =
      Run(kFullText,
          Lines({database, expression, std::to_string(portion), std::to_string(first), format, "0",
                 "0", optionalText, settingsLine}),
          result);
  return outcome == ExchangeResult::Good ? ReadCountedLines(result, 2) : outcome;
}

void CommandSet::SetFullTextDefaults(bool morphology, std::string_view prefix,
                                     std::string_view distance, int limit, std::string_view extra) {
  FullTextSettings& settings = transport_.fullText();
  settings.morphology = morphology;
  settings.prefix = std::string(prefix);
  settings.distance = std::string(distance);
  settings.limit = limit;
  settings.extra = std::string(extra);
}

}  // namespace talor
