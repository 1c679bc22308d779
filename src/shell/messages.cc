#include "shell/messages.h"

#include "platform/file_io.h"
#include "shell/ini_value.h"
#include "text/encoding.h"
#include "text/string_list.h"

namespace talor {
namespace {

constexpr char kReferenceMark = '@';

// The line number that `text` is replaced by, if any. Line 0 is never a
// replacement: "@0" stays as written.
std::optional<int> ResolvableNumber(std::string_view text, const Messages& messages) {
  std::optional<int> number = MessageReference(text);
  if (!number || *number <= 0 || *number >= messages.Count()) return std::nullopt;
  return number;
}

}  // namespace

void Messages::SetAnsiText(std::string_view ansiText) {
  lines_.clear();
  for (std::string_view line : SplitLines(ansiText)) lines_.push_back(AnsiToUtf8(line));
}

bool Messages::LoadFromFile(const std::string& path) {
  FileContents contents = ReadWholeFile(path, kMaxMessageFileBytes);
  lines_.clear();
  if (contents.status != FileReadStatus::Read) return false;
  SetAnsiText(contents.bytes);
  return true;
}

const std::string& Messages::Text(int number) const {
  static const std::string kEmpty;
  if (number < 0 || number >= Count()) return kEmpty;
  return lines_[static_cast<size_t>(number)];
}

std::optional<int> MessageReference(std::string_view text) {
  if (text.empty() || text.front() != kReferenceMark) return std::nullopt;
  std::string_view digits = text.substr(1);
  // Blanks are no part of a reference, though the integer reader skips them.
  if (digits.empty() || TrimBlanks(digits).size() != digits.size()) return std::nullopt;
  return ParseIniInteger(digits);
}

std::string ResolveMessageText(std::string_view text, const Messages& messages) {
  std::optional<int> number = ResolvableNumber(text, messages);
  return number ? messages.Text(*number) : std::string(text);
}

bool ResolveMessageTextInPlace(std::string* text, const Messages& messages) {
  std::optional<int> number = ResolvableNumber(*text, messages);
  if (!number) return false;
  *text = messages.Text(*number);
  return true;
}

std::string MissingMessageFileText(std::string_view path) {
  return "Не удалось прочитать файл сообщений " + std::string(path) +
         ". Надписи окон будут показаны номерами сообщений.";
}

}  // namespace talor
