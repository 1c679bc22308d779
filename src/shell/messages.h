// The numbered message file: the navigator's interface texts, one a line.
//
// The file is plain text in the ANSI code page (Windows-1251); it is read
// whole and each line is converted to UTF-8. Lines are numbered from 0. A
// caption, hint or text written `@` followed by a decimal number N is a
// reference to line N (see ResolveMessageText).

#ifndef TALOR_SHELL_MESSAGES_H_
#define TALOR_SHELL_MESSAGES_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talor {

// The largest message file that is read.
inline constexpr size_t kMaxMessageFileBytes = 4 * 1024 * 1024;

class Messages {
 public:
  // An empty list: no reference resolves.
  Messages() = default;

  // Replaces the list by the lines of `ansiText` (CR, LF or CR LF end a line).
  void SetAnsiText(std::string_view ansiText);
  // Replaces the list by the lines of the file at `path`. Returns false, with
  // the list emptied, when the file is missing or cannot be read.
  bool LoadFromFile(const std::string& path);

  int Count() const { return static_cast<int>(lines_.size()); }
  // Line `number` in UTF-8; the empty text for a number outside the list.
  const std::string& Text(int number) const;

 private:
  std::vector<std::string> lines_;
};

// The number N when `text` is `@` followed by a decimal integer (an optional
// sign and digits, nothing else); nullopt otherwise.
std::optional<int> MessageReference(std::string_view text);

// The text to show for `text`: line N of `messages` when `text` refers to N
// and N is above 0 and below the number of lines; otherwise `text` unchanged.
std::string ResolveMessageText(std::string_view text, const Messages& messages);

// Resolves `text` in place, as the control walks do for every caption, hint
// and item. Returns true when the text was replaced.
bool ResolveMessageTextInPlace(std::string* text, const Messages& messages);

// The error shown when the message file cannot be read: it names the file and
// cannot itself come from the message file.
std::string MissingMessageFileText(std::string_view path);

}  // namespace talor

#endif  // TALOR_SHELL_MESSAGES_H_
