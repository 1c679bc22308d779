#include "navigator/command_processor.h"

#include "client/record.h"
#include "format/format_engine.h"
#include "navigator/answer_lines.h"
#include "text/encoding.h"
#include "text/html_coding.h"
#include "text/line_breaks.h"
#include "text/number_text.h"
#include "text/term_marking.h"

namespace talor {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

enum Action { kHome = 0, kForward = 1, kBack = 2 };

// A server page is ANSI text unless it says it is UTF-8 by its byte order mark.
std::string ServerPageText(const StringList& lines) {
  std::string text = JoinLinesFrom(lines, 0);
  if (text.starts_with(kUtf8ByteOrderMark)) return text.substr(kUtf8ByteOrderMark.size());
  return AnsiToUtf8(text);
}

}  // namespace

const CommandProcessor::CommandEntry CommandProcessor::kCommands[] = {
    {1, &CommandProcessor::ShowRecord, Shows::kPage},
    {2, &CommandProcessor::Search, Shows::kPage},
    {3, &CommandProcessor::ServerPage, Shows::kPage},
    {4, &CommandProcessor::TermList, Shows::kPage},
    {5, &CommandProcessor::ListPage, Shows::kPage},
    {6, &CommandProcessor::EnterRecord, Shows::kNothing},
    {7, &CommandProcessor::ExportRecords, Shows::kNothing},
    {8, &CommandProcessor::ImportRecords, Shows::kNothing},
    {9, &CommandProcessor::PressButton, Shows::kNothing},
    {10, &CommandProcessor::FullTextSearch, Shows::kPage},
    {11, &CommandProcessor::CallExternal, Shows::kTextOnly},
};

CommandProcessor::CommandProcessor(UserInterface& ui, CommandSet& commands,
                                   const NavigatorSettings& settings, NavigationState& state,
                                   PageWriter& writer, PageView& view, PageView& printView,
                                   NavigatorChrome& chrome, CommandHost& host)
    : ui_(ui),
      commands_(commands),
      settings_(settings),
      state_(state),
      writer_(writer),
      view_(view),
      printView_(printView),
      chrome_(chrome),
      host_(host) {}

CommandValues CommandProcessor::ResolveValues() const {
  const ParameterSet& params = state_.params;
  auto get = [&](Param param) { return params.Get(settings_, param); };
  CommandValues values;
  values.command = IntegerOr(get(Param::COMMAND), -1);
  values.database = ResolvedDatabase(params, settings_, state_.CurrentDbName);
  values.formatName = get(Param::PFTNAME);
  if (values.formatName.empty()) values.formatName = state_.CurrentPftName;
  values.searchText = get(Param::SEARCH);
  values.searchExpression = HtmlUnescape(get(Param::SEXP));
  values.query = HtmlUnescape(get(Param::QUERY));
  values.hitCount = IntegerOr(get(Param::SEARCHRESULT), 0);
  values.portion = ResolvedPortion(params, settings_);
  values.markWords = HtmlUnescape(get(Param::MARKWORDS));
  values.termPrefix = Utf8UpperCase(get(Param::TRMPREFIX));
  values.freeParameters = ReadFreeParameters(params, settings_);
  values.formatSpec = FormatSpec(values.freeParameters, settings_, values.formatName);
  return values;
}

void CommandProcessor::RunCommand() {
  CommandValues values = ResolveValues();
  std::string page;
  for (const CommandEntry& entry : kCommands) {
    if (entry.number != values.command) continue;
    page = (this->*entry.run)(values);
    if (entry.shows == Shows::kNothing || (entry.shows == Shows::kTextOnly && page.empty())) {
      state_.SkipNextVisit = true;
      return;
    }
    break;
  }
  page = Frame(values, std::move(page));
  if (values.command == 2 || values.command == 10) page = MarkWords(values, std::move(page));
  Deliver(values, std::move(page));
}

// ---- context

int32_t CommandProcessor::TagFor(Tag tag, Param override) const {
  return IntegerOr(state_.params.Get(settings_, override), settings_.TagValue(tag));
}

void CommandProcessor::BuildContextRecord(const CommandValues& values, StringList& record) const {
  auto addIf = [&](Tag tag, Param override, const std::string& value) {
    if (!value.empty()) record.Add(value, TagFor(tag, override));
  };
  addIf(Tag::MODTAG_DBNAME, Param::MODTAG_DBNAME, values.database);
  addIf(Tag::MODTAG_PFTNAME, Param::MODTAG_PFTNAME, values.formatName);
  addIf(Tag::MODTAG_SEARCH, Param::MODTAG_SEARCH, values.searchText);
  addIf(Tag::MODTAG_SEXP, Param::MODTAG_SEXP, HtmlEscape(values.searchExpression));
  addIf(Tag::MODTAG_QUERY, Param::MODTAG_QUERY, HtmlEscape(values.query));
  addIf(Tag::MODTAG_TRMPREFIX, Param::MODTAG_TRMPREFIX, values.termPrefix);
  record.Add(std::to_string(values.hitCount),
             TagFor(Tag::MODTAG_SEARCHRESULT, Param::MODTAG_SEARCHRESULT));
  record.Add(std::to_string(state_.SelectedList.size()),
             TagFor(Tag::MODTAG_SELECTEDRESULT, Param::MODTAG_SELECTEDRESULT));
  addIf(Tag::MODTAG_COUNT_BEGIN, Param::MODTAG_COUNT_BEGIN, values.countBegin);
  addIf(Tag::MODTAG_COUNT_END, Param::MODTAG_COUNT_END, values.countEnd);
  record.Add(std::to_string(values.portion), TagFor(Tag::MODTAG_PORTION, Param::MODTAG_PORTION));
  addIf(Tag::MODTAG_MARKWORDS, Param::MODTAG_MARKWORDS, HtmlEscape(values.markWords));
  const int32_t listTag = TagFor(Tag::MODTAG_LIST, Param::MODTAG_LIST);
  if (RecordTagCount(record, listTag) == 0) {
    for (const ListLine& selected : state_.SelectedList) record.Add("^A" + selected.text, listTag);
  }
  for (const FreeParameter& free : values.freeParameters) {
    record.Add(free.value, settings_.TagValue(Tag::MODTAG_FREEPAR) + free.n);
  }
}

StringList CommandProcessor::GetSelection(const CommandValues& values) const {
  const std::string checkFormat = state_.params.Get(settings_, Param::CHECKPFT);
  if (checkFormat.empty()) return state_.SelectedList;
  StringList record;
  RecordNew(record);
  BuildContextRecord(values, record);
  StringList lines;
  FormatRecordByName(record, values.database, checkFormat, lines);
  return lines;
}

std::string CommandProcessor::FormatOnClient(StringList& record, const std::string& database,
                                             const std::string& formatName) const {
  StringList output;
  const int32_t error = FormatRecordByName(record, database, formatName, output);
  std::string text = JoinLinesFrom(output, 0);
  if (error != 0) {
    // The page author sees which format failed instead of a silently cut page.
    text += "<p class=\"talor-error\">Ошибка в формате «" + HtmlEscape(formatName) +
            "»: " + std::to_string(error) + "</p>";
  }
  return text;
}

std::string CommandProcessor::FormatContext(const CommandValues& values,
                                            const std::string& formatName) const {
  StringList record;
  RecordNew(record);
  BuildContextRecord(values, record);
  return FormatOnClient(record, values.database, formatName);
}

// ---- commands

std::string CommandProcessor::ShowRecord(CommandValues& values) {
  std::string key = state_.params.Get(settings_, Param::KEY);
  const std::string entryMfn = state_.params.Get(settings_, Param::ENTRY_MFN);
  if (key.empty() && !entryMfn.empty()) key = "@" + entryMfn;

  if (!key.empty() && key[0] != '@') {
    StringList postings, texts;
    if (commands_.ReadFormattedPostings(values.database, key, 1, postings, texts, values.formatSpec,
                                        1) == ExchangeResult::Good &&
        !texts.empty()) {
      std::string page = texts[0].text;
      DecodeLineBreaks(page);
      return page;
    }
    // Nothing found: the page format says so from the context.
    values.searchExpression = key;
    return FormatContext(values, values.formatName);
  }

  const int32_t mfn = key.empty() ? 0 : DecimalToInt(std::string_view(key).substr(1), 0);
  if (mfn != 0) {
    StringList answer;
    if (commands_.FormatRecord(values.database, mfn, values.formatSpec, answer) !=
        ExchangeResult::Good) {
      return {};
    }
    return answer.size() < 2 ? RequestFailureNotice(answer) : JoinLinesFrom(answer, 1);
  }
  StringList record;
  RecordNew(record);
  if (entryMfn.empty()) BuildContextRecord(values, record);
  return FormatOnClient(record, values.database, values.formatName);
}

std::string CommandProcessor::ServerPage(CommandValues& values) {
  StringList lines;
  const int path = IntegerOr(state_.params.Get(settings_, Param::PATH), 1);
  if (commands_.ReadCachedText(path, values.database, state_.params.Get(settings_, Param::FILENAME),
                               lines) != ExchangeResult::Good) {
    return RequestFailureNotice(lines);
  }
  return ServerPageText(lines);
}

std::string CommandProcessor::ListPage(CommandValues& values) {
  const std::string listName = state_.params.Get(settings_, Param::LISTNAME);
  StringList lines;
  if (!listName.empty()) {
    const int path = IntegerOr(state_.params.Get(settings_, Param::PATH), 0);
    commands_.ReadCachedText(path, values.database, listName, lines);
    for (ListLine& line : lines) line.text = AnsiToUtf8(line.text);
  } else {
    lines = GetSelection(values);
  }
  std::vector<std::string> fields;
  if (AsciiUpperCase(listName).find(".MNU") != std::string::npos) {
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
      fields.push_back("^A" + lines[i].text + "^B" + lines[i + 1].text);
    }
  } else {
    for (const ListLine& line : lines) fields.push_back("^A" + line.text);
  }
  StringList record;
  RecordNew(record);
  const int32_t listTag = TagFor(Tag::MODTAG_LIST, Param::MODTAG_LIST);
  for (const std::string& field : fields) record.Add(field, listTag);
  if (!fields.empty()) {
    values.countBegin = "^A" + fields.front();
    values.countEnd = "^A" + fields.back();
  }
  BuildContextRecord(values, record);
  return FormatOnClient(record, values.database, values.formatName);
}

std::string CommandProcessor::PressButton(CommandValues&) {
  state_.CommandBusy = false;
  switch (IntegerOr(state_.params.Get(settings_, Param::ACTION), -1)) {
    case kHome:
      host_.PressHome();
      break;
    case kForward:
      host_.PressForward();
      break;
    case kBack:
      host_.PressBack();
      break;
    default:
      break;
  }
  return {};
}

// ---- framing, marking, delivery

std::string CommandProcessor::Frame(const CommandValues& values, std::string page) const {
  const std::string top = state_.params.Get(settings_, Param::TOPPFTNAME);
  const std::string bottom = state_.params.Get(settings_, Param::BOTTOMPFTNAME);
  if (!top.empty()) page = FormatContext(values, top) + page;
  if (!bottom.empty()) page += FormatContext(values, bottom);
  return page;
}

std::string CommandProcessor::MarkWords(const CommandValues& values, std::string page) const {
  if (values.markWords.empty()) return page;
  StringList terms;
  for (std::string_view word : SplitMarkWords(values.markWords)) terms.Add(Utf8UpperCase(word));
  std::string copy;
  MarkTerms(page, terms, copy);
  return page;
}

void CommandProcessor::Deliver(const CommandValues& values, std::string page) {
  if (IsPseudoUrl(page)) {
    state_.CommandBusy = false;
    // A format's output may end with a line break; it is no part of the URL.
    while (!page.empty() && (page.back() == '\r' || page.back() == '\n' || page.back() == ' ')) {
      page.pop_back();
    }
    host_.FollowRedirect(page);
    state_.SkipNextVisit = true;
    return;
  }
  const int printCommand = IntegerOr(state_.params.Get(settings_, Param::PRINTCOM), 0);
  if (printCommand != 0) {
    writer_.ShowPage(printView_, page, values.markWords);
    if (printCommand == 1) chrome_.PrintPreview(printView_);
    if (printCommand == 2) chrome_.Print(printView_);
    // The main view keeps the page it shows, so the stack gets no entry for
    // a page the reader never saw there.
    state_.SkipNextVisit = true;
    return;
  }
  writer_.ShowPage(view_, page, values.markWords);
  const std::string checkName = state_.params.Get(settings_, Param::CHECKNAME);
  if (!checkName.empty() && checkName != state_.CheckNameMarker) {
    state_.CheckNameMarker = checkName;
    state_.SelectedList.Clear();
    host_.RestoreSelection();
  }
}

}  // namespace talor
