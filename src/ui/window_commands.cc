#include "ui/window_commands.h"

#include <filesystem>
#include <utility>

#include "navigator/work_files.h"
#include "platform/file_io.h"
#include "shell/message_numbers.h"

namespace talor {
namespace {

constexpr std::string_view kUtf8 = "utf-8";
constexpr std::string_view kCharsetMeta = "<meta charset=\"utf-8\">";
constexpr std::string_view kErrorCaptionFallback = "Ошибка";

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `text` at `pos` starts with the lower-case `word`, ignoring case.
bool StartsWithAt(std::string_view text, size_t pos, std::string_view word) {
  if (text.size() - pos < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (Lower(text[pos + i]) != word[i]) return false;
  }
  return true;
}

bool EndsName(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '/' || c == '>';
}

// Whether the tag at `pos` (its `<`) is named `name`.
bool IsTag(std::string_view html, size_t pos, std::string_view name) {
  size_t end = pos + 1 + name.size();
  return StartsWithAt(html, pos + 1, name) && end < html.size() && EndsName(html[end]);
}

// The position just past the `>` that ends the tag starting at `pos`, quotes
// respected; the end of the text when the tag is not closed.
size_t TagEnd(std::string_view html, size_t pos) {
  char quote = 0;
  for (size_t i = pos + 1; i < html.size(); ++i) {
    char c = html[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return html.size();
}

// Rewrites the values after every `charset=` of one META tag to utf-8.
// Returns whether the tag named a character set.
bool RewriteCharsets(std::string_view tag, std::string& out) {
  constexpr std::string_view kCharset = "charset";
  bool found = false;
  size_t copied = 0;
  for (size_t i = 0; i < tag.size(); ++i) {
    if (!StartsWithAt(tag, i, kCharset)) continue;
    size_t at = i + kCharset.size();
    while (at < tag.size() && (tag[at] == ' ' || tag[at] == '\t')) ++at;
    if (at >= tag.size() || tag[at] != '=') continue;
    ++at;
    while (at < tag.size() && (tag[at] == ' ' || tag[at] == '\t')) ++at;
    char quote = 0;
    if (at < tag.size() && (tag[at] == '"' || tag[at] == '\'')) quote = tag[at++];
    size_t valueEnd = at;
    while (valueEnd < tag.size()) {
      char c = tag[valueEnd];
      if (quote != 0 ? c == quote : (c == '"' || c == '\'' || c == ';' || EndsName(c))) break;
      ++valueEnd;
    }
    out.append(tag.substr(copied, at - copied));
    out.append(kUtf8);
    copied = valueEnd;
    i = valueEnd;
    found = true;
  }
  out.append(tag.substr(copied));
  return found;
}

}  // namespace

FileDialogRequest OpenFileDialogRequest(const std::string& workDirectory) {
  FileDialogRequest request;
  request.kind = FileDialogKind::Open;
  request.title = kOpenDialogTitle;
  request.filter = kHtmlFileFilter;
  request.initialDirectory = workDirectory;
  return request;
}

FileDialogRequest SaveFileDialogRequest(const std::string& workDirectory) {
  FileDialogRequest request;
  request.kind = FileDialogKind::Save;
  request.title = kSaveDialogTitle;
  request.filter = kHtmlFileFilter;
  request.initialDirectory = workDirectory;
  request.fileName = kSaveFileName;
  request.defaultExtension = kSaveExtension;
  return request;
}

std::string DeclareUtf8(std::string_view html) {
  std::string out;
  out.reserve(html.size() + kCharsetMeta.size());
  bool declared = false;
  std::optional<size_t> afterHead;  // in `out`
  size_t copied = 0;
  size_t pos = html.find('<');
  while (pos != std::string_view::npos) {
    if (StartsWithAt(html, pos, "<!--")) {
      size_t close = html.find("-->", pos + 4);
      if (close == std::string_view::npos) break;
      pos = html.find('<', close + 3);
      continue;
    }
    bool meta = IsTag(html, pos, "meta");
    bool head = !afterHead && IsTag(html, pos, "head");
    if (!meta && !head) {
      pos = html.find('<', pos + 1);
      continue;
    }
    size_t end = TagEnd(html, pos);
    out.append(html.substr(copied, pos - copied));
    if (meta) {
      declared = RewriteCharsets(html.substr(pos, end - pos), out) || declared;
    } else {
      out.append(html.substr(pos, end - pos));
      afterHead = out.size();
    }
    copied = end;
    pos = html.find('<', end);
  }
  out.append(html.substr(copied));
  if (declared) return out;
  if (afterHead) return out.insert(*afterHead, kCharsetMeta);
  return "<head>" + std::string(kCharsetMeta) + "</head>" + out;
}

std::optional<WindowCommand> CommandForKey(int key, uint8_t modifiers) {
  for (const Shortcut& shortcut : kShortcuts) {
    if (shortcut.key == key && (modifiers & shortcut.modifiers) == shortcut.modifiers) {
      return shortcut.command;
    }
  }
  return std::nullopt;
}

WindowCommands::WindowCommands(WindowCommandParts parts)
    : ui_(parts.ui),
      messages_(parts.messages),
      navigator_(parts.navigator),
      view_(parts.view),
      chrome_(parts.chrome),
      workDirectory_(std::move(parts.workDirectory)) {}

bool WindowCommands::Enabled(WindowCommand command) const {
  switch (command) {
    case WindowCommand::FileOpen:
      return switches_.fileOpen;
    case WindowCommand::FileSaveAs:
      return switches_.fileSaveAs;
    case WindowCommand::FilePrint:
      return switches_.filePrint;
    case WindowCommand::Back:
      return navigator_.CanGoBack();
    case WindowCommand::Forward:
      return navigator_.CanGoForward();
    case WindowCommand::Home:
    case WindowCommand::Stop:
    case WindowCommand::Refresh:
      return true;
  }
  return false;
}

bool WindowCommands::Run(WindowCommand command) {
  if (!Enabled(command)) return false;
  switch (command) {
    case WindowCommand::FileOpen:
      FileOpenToolButtonClick();
      break;
    case WindowCommand::FileSaveAs:
      FileSaveAsToolButtonClick();
      break;
    case WindowCommand::FilePrint:
      FilePrintToolButtonClick();
      break;
    case WindowCommand::Back:
      navigator_.Back();
      break;
    case WindowCommand::Forward:
      navigator_.Forward();
      break;
    case WindowCommand::Home:
      navigator_.Home();
      break;
    case WindowCommand::Stop:
      navigator_.Stop();
      break;
    case WindowCommand::Refresh:
      navigator_.Refresh();
      break;
  }
  return true;
}

bool WindowCommands::KeyDown(int key, uint8_t modifiers) {
  std::optional<WindowCommand> command = CommandForKey(key, modifiers);
  return command && Run(*command);
}

void WindowCommands::FileOpenToolButtonClick() {
  std::optional<std::string> path = ui_.AskFileName(OpenFileDialogRequest(workDirectory_));
  if (path) OpenLocalFile(*path);
}

void WindowCommands::OpenLocalFile(const std::string& path) {
  if (path.empty()) return;
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  navigator_.NavigateWithPost(FileUrl(error ? path : absolute.string()), "");
}

void WindowCommands::FileSaveAsToolButtonClick() {
  std::optional<std::string> path = ui_.AskFileName(SaveFileDialogRequest(workDirectory_));
  if (path && !path->empty()) SavePage(*path);
}

bool WindowCommands::SavePage(const std::string& path) {
  if (ReplaceFileContents(path, DeclareUtf8(view_.DocumentHtml()))) return true;
  std::string caption = messages_.Text(message::kErrorCaption);
  if (caption.empty()) caption = kErrorCaptionFallback;
  ShowErrorBox(ui_, caption, "Не удалось сохранить страницу в файл \"" + path + "\".");
  return false;
}

void WindowCommands::FilePrintToolButtonClick() { chrome_.PrintPreview(view_); }

}  // namespace talor
