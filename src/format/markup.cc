#include "format/markup.h"

#include <array>
#include <optional>

#include "text/number_text.h"

namespace talor {
namespace {

constexpr std::array<std::string_view, 17> kHtmlColours{
    "#000000", "#000000", "#0000FF", "#00FFFF", "#00FF00", "#FF00FF",
    "#FF0000", "#FFFF00", "#FFFFFF", "#000080", "#008080", "#008000",
    "#800080", "#800000", "#808000", "#808080", "#C0C0C0",
};

constexpr std::string_view kRtfColourTable =
    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;"
    "\\red0\\green255\\blue0;\\red255\\green0\\blue255;\\red255\\green0\\blue0;"
    "\\red255\\green255\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue128;"
    "\\red0\\green128\\blue128;\\red0\\green128\\blue0;\\red128\\green0\\blue128;"
    "\\red128\\green0\\blue0;\\red128\\green128\\blue0;\\red128\\green128\\blue128;"
    "\\red192\\green192\\blue192;}";

struct SimpleTag {
  std::string_view tag;
  std::string_view html;
  std::string_view rtf;
};

constexpr std::array<SimpleTag, 12> kSimpleTags{{
    {"b", "<b>", "\\b "},
    {"/b", "</b>", "\\b0 "},
    {"i", "<i>", "\\i "},
    {"/i", "</i>", "\\i0 "},
    {"u", "<u>", "\\ul "},
    {"/u", "</u>", "\\ul0 "},
    {"p", "<sup>", "\\up "},
    {"/p", "</sup>", "\\up0 "},
    {"d", "<sub>", "\\dn "},
    {"/d", "</sub>", "\\dn0 "},
    {"/c", "</font>", "\\cf0 "},
    {"/s", "</font>", "\\fs16 "},
}};

size_t MarkerEnd(std::string_view text) {
  const size_t marker = text.find(kOutputMarker);
  return marker == std::string_view::npos ? 0 : marker + kOutputMarker.size();
}

// The replacement of the bracket whose content is `content`; nullopt when
// its tag is not known.
std::optional<std::string> ConvertTag(std::string_view content, OutputKind kind, bool& usedColour) {
  if (content.empty()) return std::nullopt;
  const bool closing = content[0] == '/';
  const std::string_view tag = content.substr(0, closing ? 2 : 1);
  const std::string_view parameter = content.substr(tag.size());
  for (const SimpleTag& simple : kSimpleTags) {
    if (simple.tag == tag) return std::string(kind == OutputKind::kHtml ? simple.html : simple.rtf);
  }
  const int32_t number = DecimalToInt(parameter);
  if (tag == "c") {
    const int32_t colour = number >= 0 && number <= 16 ? number : 0;
    if (kind == OutputKind::kHtml) {
      return "<font style=\"color: " + std::string(kHtmlColours[static_cast<size_t>(colour)]) +
             "\">";
    }
    usedColour = true;
    return "\\cf" + std::to_string(colour) + " ";
  }
  if (tag == "s") {
    if (kind == OutputKind::kHtml) {
      return "<font style=\"font-size: " + std::to_string(number) + "pt\">";
    }
    return "\\fs" + std::to_string(static_cast<int64_t>(number) * 2) + " ";
  }
  return std::nullopt;
}

}  // namespace

OutputKind DetectOutputKind(std::string_view output) {
  const std::string_view tail = output.substr(MarkerEnd(output));
  if (tail.size() < 5) return OutputKind::kNone;
  if (tail[0] == '{') return OutputKind::kRtf;
  if (tail.substr(0, 3) == "</>") return OutputKind::kHtml;
  return OutputKind::kNone;
}

bool ConvertMarkup(std::string& output) {
  const OutputKind kind = DetectOutputKind(output);
  const size_t begin = MarkerEnd(output);
  if (kind == OutputKind::kNone || output.find("[[", begin) == std::string::npos) return false;
  const std::string_view tail = std::string_view(output).substr(begin);
  std::string converted;
  converted.reserve(tail.size() + tail.size() / 4);
  bool usedColour = false;
  size_t i = 0;
  while (i < tail.size()) {
    const size_t open = tail.find("[[", i);
    const size_t close = open == std::string_view::npos ? open : tail.find("]]", open + 2);
    if (close == std::string_view::npos) break;
    converted += tail.substr(i, open - i);
    const std::optional<std::string> replacement =
        ConvertTag(tail.substr(open + 2, close - open - 2), kind, usedColour);
    if (replacement) {
      converted += *replacement;
    } else {
      converted += tail.substr(open, close + 2 - open);
    }
    i = close + 2;
  }
  if (i < tail.size()) converted += tail.substr(i);
  if (usedColour && !converted.empty() && converted[0] == '{') {
    converted.insert(1, kRtfColourTable);
  }
  output = std::move(converted);
  return true;
}

void LinkRecordNumbers(std::string& output, int32_t mfn) {
  const OutputKind kind = DetectOutputKind(output);
  if (kind == OutputKind::kNone) return;
  size_t i = MarkerEnd(output);
  while (true) {
    const size_t open = output.find("[[", i);
    if (open == std::string::npos) return;
    const size_t close = output.find("]]", open + 2);
    if (close == std::string::npos) return;
    const int32_t number =
        DecimalToInt(std::string_view(output).substr(open + 2, close - open - 2));
    if (number <= 0) {
      i = open + 2;
      continue;
    }
    std::string link = kind == OutputKind::kHtml
                           ? "<TALOR TYPE=\"1\" VALUE=\"," + std::to_string(mfn) + "," +
                                 std::to_string(number) + "\">&nbsp;"
                           : std::string(" ... ");
    output.replace(open, close + 2 - open, link);
    i = open + link.size();
  }
}

std::string RemoveRtf(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '{' || c == '}') {
      ++i;
    } else if (c != '\\') {
      plain += c;
      ++i;
    } else if (i + 1 < text.size() &&
               (text[i + 1] == '\\' || text[i + 1] == '{' || text[i + 1] == '}')) {
      plain += text[i + 1];
      i += 2;
    } else {
      size_t j = i + 1;
      while (j < text.size() && text[j] != '\\' && text[j] != ' ') ++j;
      if (j < text.size() && text[j] == ' ') ++j;
      i = j;
    }
  }
  if (!plain.empty()) plain.pop_back();
  return plain;
}

std::string TidyPunctuation(std::string_view text) {
  std::string tidy(text);
  // A point doubled across a closing bold tag.
  for (std::string_view pattern : {std::string_view(".\\b0 ."), std::string_view(".</b>.")}) {
    for (size_t at = tidy.find(pattern); at != std::string::npos; at = tidy.find(pattern, at)) {
      tidy.erase(at + pattern.size() - 1, 1);
    }
  }
  // A ". - " separator with nothing after it.
  constexpr std::string_view kSeparator = ". - ";
  for (size_t at = tidy.find(kSeparator); at != std::string::npos;) {
    const std::string_view rest = std::string_view(tidy).substr(at + kSeparator.size());
    if (rest.starts_with(kSeparator) || rest.starts_with("\\par") || rest.starts_with("<br>") ||
        rest.starts_with("\r")) {
      tidy.erase(at, kSeparator.size());
      at = at >= kSeparator.size() ? at - kSeparator.size() : 0;
      at = tidy.find(kSeparator, at);
    } else {
      at = tidy.find(kSeparator, at + 1);
    }
  }
  std::string result;
  result.reserve(tidy.size());
  for (size_t i = 0; i < tidy.size();) {
    if (tidy.compare(i, 3, "...") == 0) {
      result += "...";
      i += 3;
    } else if (tidy.compare(i, 2, "..") == 0) {
      result += '.';
      i += 2;
    } else {
      result += tidy[i++];
    }
  }
  return result;
}

std::string RemoveDoubleBrackets(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const size_t open = text.find("[[", i);
    const size_t close = open == std::string_view::npos ? open : text.find("]]", open + 2);
    if (close == std::string_view::npos) break;
    result += text.substr(i, open - i);
    i = close + 2;
  }
  result += text.substr(std::min(i, text.size()));
  return result;
}

}  // namespace talor
