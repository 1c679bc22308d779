#include "navigator/page_writer.h"

#include <filesystem>
#include <system_error>

#include "barcode/barcode_image.h"
#include "barcode/barcode_types.h"
#include "barcode/fbarcode.h"
#include "navigator/answer_lines.h"
#include "navigator/work_files.h"
#include "platform/file_io.h"
#include "platform/image_underline.h"
#include "text/encoding.h"
#include "text/file_names.h"
#include "text/hex_coding.h"
#include "text/html_coding.h"
#include "text/line_breaks.h"
#include "text/number_text.h"
#include "text/subfields.h"
#include "text/url_coding.h"

namespace talor {
namespace {

constexpr std::string_view kBarcodeMark = "!!";
constexpr int kMarkedCopyRange = 999999;

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// The comma-separated fields of an image source or a marker value.
std::vector<std::string> SplitCommas(std::string_view text) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    fields.emplace_back(text.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return fields;
}

std::string Field(const std::vector<std::string>& fields, size_t index) {
  return index < fields.size() ? fields[index] : std::string();
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Extensions of record images that a page shows as pictures.
bool IsPictureExtension(std::string_view path) {
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string extension = AsciiUpperCase(path.substr(dot));
  for (std::string_view known : {".BMP", ".JPG", ".JPEG", ".GIF", ".GIFF"}) {
    if (extension == known) return true;
  }
  return false;
}

}  // namespace

PageWriter::PageWriter(EventLoop& loop, CommandSet& commands, const NavigatorSettings& settings,
                       NavigationState& state, std::string workDirectory)
    : loop_(loop),
      commands_(commands),
      settings_(settings),
      state_(state),
      workDirectory_(std::move(workDirectory)),
      random_(std::random_device{}()) {}

bool PageWriter::ShowPage(PageView& view, std::string_view page, std::string_view markWords) {
  if (view.DocumentType().find("HTML") == std::string::npos) {
    view.Navigate("about:blank");
    loop_.WaitUntil([&view] { return !view.Busy(); });
    if (view.DocumentType().find("HTML") == std::string::npos) return false;
  }
  view.Stop();
  if (page != kRewriteOnlyPage && !WriteDocument(view, page)) {
    view.Navigate("about:blank");
    loop_.WaitUntil([&view] { return !view.Busy(); });
    if (!WriteDocument(view, page)) return false;
  }
  RewriteImages(view, MarkWordTerms(markWords));
  ReplaceMarkers(view);
  return true;
}

bool PageWriter::WriteDocument(PageView& view, std::string_view page) {
  if (!view.Write(page)) return false;
  view.Close();
  return true;
}

// Each mark word becomes a dictionary term: the page's PREFIX, the word, and
// the truncation mark for a full-text page or a truncated search.
StringList PageWriter::MarkWordTerms(std::string_view markWords) const {
  StringList terms;
  const std::string prefix = state_.params.Get(settings_, Param::PREFIX);
  const bool truncate = state_.params.Get(settings_, Param::COMMAND) == "10" ||
                        state_.params.Get(settings_, Param::TRUNCATE) == "1";
  for (std::string_view word : SplitMarkWords(markWords)) {
    terms.Add(prefix + std::string(word) + (truncate ? "$" : ""));
  }
  return terms;
}

void PageWriter::RewriteImages(PageView& view, const StringList& words) {
  for (ElementHandle image : view.ElementsByTag("IMG")) {
    std::optional<std::string> source = view.Attribute(image, "src");
    if (!source || !IsPseudoUrl(*source)) continue;
    std::string file = ImageFile(*source, words);
    if (!file.empty()) view.SetAttribute(image, "src", file);
  }
}

// The file that an image source `TALOR:...` stands for; empty when the
// source is none of the known forms and stays as it is.
std::string PageWriter::ImageFile(std::string_view source, const StringList& words) {
  std::string rest = ReplaceAll(Utf8UpperCase(source.substr(kPseudoScheme.size())), "%20", " ");
  if (rest.size() > 2 * kBarcodeMark.size() && rest.starts_with(kBarcodeMark)) {
    size_t end = rest.find(kBarcodeMark, kBarcodeMark.size());
    if (end == std::string::npos) return {};
    return BarcodeFile(
        std::string_view(rest).substr(kBarcodeMark.size(), end - kBarcodeMark.size()));
  }
  std::vector<std::string> fields = SplitCommas(rest);
  std::optional<int64_t> path = ParseDecimal64(Field(fields, 0));
  if (!path) return {};
  switch (*path) {
    case 0:
    case 1:
      return FetchResource(static_cast<int>(*path), "", Field(fields, 2));
    case 2:
    case 3:
    case 10:
      return FetchResource(static_cast<int>(*path), DatabaseOr(Field(fields, 1)), Field(fields, 2));
    case 11: {
      const std::string database = DatabaseOr(Field(fields, 1));
      const std::string name = Field(fields, 2);
      std::string file = FetchResource(11, database, name);
      const int32_t mfn = DecimalToInt(Field(fields, 3), 0);
      if (!words.empty() && IsImageFileName(name) && mfn > 0) {
        std::string marked = MarkedImageCopy(file, database, words, mfn);
        if (!marked.empty()) return marked;
      }
      return file;
    }
    case 12: {
      const std::string occurrence = Field(fields, 3);
      return RecordImage(DatabaseOr(Field(fields, 1)), DecimalToInt(Field(fields, 2), 0),
                         occurrence.empty() ? 1 : DecimalToInt(occurrence, 1))
          .path;
    }
    default:
      return {};
  }
}

std::string PageWriter::DatabaseOr(std::string_view database) const {
  if (!database.empty()) return std::string(database);
  std::string named = state_.params.Get(settings_, Param::DBNAME);
  return named.empty() ? state_.CurrentDbName : named;
}

std::string PageWriter::FetchResource(int pathNumber, std::string_view database,
                                      std::string_view fileName) {
  const std::string file = workDirectory_ + ResourceFileName(pathNumber, database, fileName);
  if (FileExists(file)) return file;
  StringList answer;
  std::string block;
  if (commands_.ReadCachedBinary(pathNumber, database, fileName, answer, block) ==
      ExchangeResult::Good) {
    ReplaceFileContents(file, block);
  }
  return file;
}

std::string PageWriter::BarcodeFile(std::string_view text) {
  const std::string file = workDirectory_ + BarcodeFileName(text);
  if (FileExists(file)) return file;
  TFBarcode barcode;
  barcode.SetHeight(settings_.barcodeHeight);
  if (std::optional<TBarcodeType> type = BarcodeTypeFromNumber(settings_.barcodeType)) {
    barcode.SetTyp(*type);
  }
  barcode.SetText(std::string(text));
  // A text the symbology cannot encode leaves no file; the image then shows
  // as missing rather than as a wrong barcode.
  (void)SaveBarcodeBitmap(barcode, file);
  return file;
}

PageWriter::RecordImageFile PageWriter::RecordImage(std::string_view database, int32_t mfn,
                                                    int occurrence) {
  const std::string stem = RecordImageStem(database, mfn, occurrence);
  if (std::optional<std::string> found = FindWorkFile(workDirectory_, stem)) {
    std::string name = std::filesystem::path(*found).stem().string();
    return {*found, AnsiToUtf8(HexDecode(std::string_view(name).substr(stem.size())))};
  }
  const std::string format = "&uf('AV" + std::to_string(settings_.tagInternalResource) + "#" +
                             std::to_string(occurrence) + "')";
  StringList answer;
  if (commands_.FormatRecord(database, mfn, format, answer) != ExchangeResult::Good ||
      answer.size() < 2) {
    return {};
  }
  std::string field = answer[1].text;
  DecodeLineBreaks(field);
  std::string type = GetSubfield(field, 'A');
  if (type.empty()) type = "BMP";
  const std::string title = GetSubfield(field, 'T');
  // The title names the file: kept in ANSI, hex-encoded, so that any text
  // makes a valid file name and comes back unchanged.
  const std::string data = UrlDecodeForm(GetSubfield(field, 'B'));
  if (data.empty()) return {};
  const std::string file =
      workDirectory_ + stem + HexEncode(Utf8ToAnsi(title)) + "." + SafeFileName(type);
  if (!ReplaceFileContents(file, data)) return {};
  return {file, title};
}

std::string PageWriter::MarkedImageCopy(const std::string& sourcePath, std::string_view database,
                                        const StringList& words, int32_t mfn) {
  StringList answer;
  if (commands_.ReadWordPositions(database, mfn, words, answer) != ExchangeResult::Good ||
      answer.Count() < words.Count() + 1) {
    return {};
  }
  answer.Delete(0);
  std::string boxesText = answer.Text();
  DecodeLineBreaks(boxesText);
  StringList boxLines;
  boxLines.SetText(boxesText);
  std::uniform_int_distribution<int> pick(0, kMarkedCopyRange);
  const std::string target =
      workDirectory_ + MarkedImageFileName(database, pick(random_), sourcePath);
  return UnderlineWords(sourcePath, target, ParseWordBoxes(boxLines)) ? target : std::string();
}

void PageWriter::ReplaceMarkers(PageView& view) {
  const std::string from = state_.params.Get(settings_, Param::SEARCHFROM);
  int32_t number = from.empty() ? 1 : DecimalToInt(from, 0);
  for (ElementHandle marker : view.ElementsByTag(kMarkerTag)) {
    const std::string type = view.Type(marker);
    if (type.starts_with('0')) {
      view.SetOuterHtml(marker, std::to_string(number++));
    } else if (type.starts_with('1')) {
      view.SetOuterHtml(marker, MarkerHtml(view.Value(marker)));
    } else {
      view.SetOuterHtml(marker, "");
    }
  }
}

// A record-image marker: a picture, a link to any other file, or nothing.
std::string PageWriter::MarkerHtml(std::string_view value) {
  std::vector<std::string> fields = SplitCommas(value);
  const int32_t mfn = DecimalToInt(Field(fields, 1), 0);
  if (mfn == 0) return {};
  const std::string occurrence = Field(fields, 2);
  RecordImageFile image = RecordImage(DatabaseOr(Field(fields, 0)), mfn,
                                      occurrence.empty() ? 1 : DecimalToInt(occurrence, 1));
  // The title comes from a record: escaped, so that it cannot add markup.
  const std::string path = HtmlEscape(image.path);
  if (IsPictureExtension(image.path)) return "<IMG SRC=\"" + path + "\">";
  const std::string title = image.title.empty() ? "Link..." : HtmlEscape(image.title);
  return "<A HREF=\"" + std::string(kTalorFileScheme) + path + "\">" + title + "</A>";
}

}  // namespace talor
