// The main window's File and View commands without their drawing: opening a
// local HTML file, saving the shown page as a UTF-8 copy, print preview, the
// navigation buttons, and the keyboard shortcuts that click them.
//
// The file dialogs are asked for through the user interface, so the window
// shows its own dialog and the tests answer with a path. Everything runs on
// the core loop's thread.

#ifndef TALOR_UI_WINDOW_COMMANDS_H_
#define TALOR_UI_WINDOW_COMMANDS_H_

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "navigator/navigator.h"
#include "navigator/navigator_host.h"
#include "platform/page_view.h"
#include "platform/user_interface.h"
#include "shell/messages.h"
#include "ui/main_window_view.h"

namespace talor {

// The commands that a menu item, its tool button and a shortcut share.
enum class WindowCommand { FileOpen, FileSaveAs, FilePrint, Back, Forward, Home, Stop, Refresh };
inline constexpr int kWindowCommandCount = 8;

// ---- the file dialogs

inline constexpr std::string_view kHtmlFileFilter = "HTML-Файлы|*.html|Все файлы|*.*";
inline constexpr std::string_view kOpenDialogTitle = "Открытие файла";
inline constexpr std::string_view kSaveDialogTitle = "Сохранение файла";
// Not "@TALOR_temp.htm": files of the work directory with that prefix are
// deleted when the window closes, and the user's copy must stay.
inline constexpr std::string_view kSaveFileName = "temp.htm";
inline constexpr std::string_view kSaveExtension = "htm";

// The requests of FileOpenToolButtonClick and FileSaveAsToolButtonClick;
// `workDirectory` is the initial directory.
FileDialogRequest OpenFileDialogRequest(const std::string& workDirectory);
FileDialogRequest SaveFileDialogRequest(const std::string& workDirectory);

// `html` with every character set named by a META element (the `charset`
// attribute, and `charset=` inside the `content` of the http-equiv form)
// changed to "utf-8". Without such a META, `<meta charset="utf-8">` is added
// right after the opening HEAD tag; without a HEAD tag, the text is preceded
// by `<head><meta charset="utf-8"></head>`. Names in tags are compared
// without regard to case; comments are left alone. Everything else is kept
// byte for byte.
std::string DeclareUtf8(std::string_view html);

// ---- the keyboard shortcuts

// Key codes as the window reports them: the DOM's keyCode, the same as the
// virtual-key codes (letters as their upper-case character).
namespace key {
inline constexpr int kEscape = 0x1B;
inline constexpr int kHome = 0x24;
inline constexpr int kLeft = 0x25;
inline constexpr int kRight = 0x27;
inline constexpr int kF5 = 0x74;
}  // namespace key

// Bit flags of the modifier keys held down.
enum KeyModifier : uint8_t { kNoModifier = 0, kCtrl = 1, kAlt = 2, kShift = 4 };

struct Shortcut {
  int key;
  uint8_t modifiers;  // the ones that must be held; others are ignored
  WindowCommand command;
};

inline constexpr std::array<Shortcut, 10> kShortcuts{{
    {'O', kCtrl, WindowCommand::FileOpen},
    {'J', kCtrl, WindowCommand::FileOpen},
    {'S', kCtrl, WindowCommand::FileSaveAs},
    {'P', kCtrl, WindowCommand::FilePrint},
    {'H', kCtrl, WindowCommand::FilePrint},
    {key::kF5, kNoModifier, WindowCommand::Refresh},
    {key::kEscape, kNoModifier, WindowCommand::Stop},
    {key::kLeft, kAlt, WindowCommand::Back},
    {key::kRight, kAlt, WindowCommand::Forward},
    {key::kHome, kAlt, WindowCommand::Home},
}};

// The command of the first shortcut for `key` whose modifiers are all held
// in `modifiers`; nullopt when none is.
std::optional<WindowCommand> CommandForKey(int key, uint8_t modifiers);

// ---- the commands

struct WindowCommandParts {
  UserInterface& ui;
  const Messages& messages;
  Navigator& navigator;
  PageView& view;  // NavigatorWebBrowser
  NavigatorChrome& chrome;
  std::string workDirectory;  // ends in `/`
};

class WindowCommands {
 public:
  // The parts must outlive this object. All commands start enabled.
  explicit WindowCommands(WindowCommandParts parts);

  // The interface switches after the login: FileOpen, FileSaveAs and
  // FilePrint enable their commands.
  void SetSwitches(const MainWindowSwitches& switches) { switches_ = switches; }

  // Whether the command's menu item is enabled: the file commands by their
  // switches, back and forward when the stack has a step that way.
  bool Enabled(WindowCommand command) const;
  // Runs an enabled command; false (and nothing done) for a disabled one.
  bool Run(WindowCommand command);
  // A key press: runs the command of its shortcut when there is one and it
  // is enabled. True when the press was handled.
  bool KeyDown(int key, uint8_t modifiers);

  // Asks for a file and opens it in the view; nothing when cancelled.
  void FileOpenToolButtonClick();
  // Opens the local file at `path` (made absolute against the current
  // directory) through the navigator; nothing for an empty path.
  void OpenLocalFile(const std::string& path);
  // Asks for a file name and saves the page there; nothing when cancelled.
  void FileSaveAsToolButtonClick();
  // Writes the view's document, declared as UTF-8, to `path`. A failure shows
  // an error box naming the file and returns false; an existing file is then
  // left as it was.
  bool SavePage(const std::string& path);
  // The print preview of the page view.
  void FilePrintToolButtonClick();

 private:
  // Constant after construction.
  UserInterface& ui_;
  const Messages& messages_;
  Navigator& navigator_;
  PageView& view_;
  NavigatorChrome& chrome_;
  const std::string workDirectory_;

  // Set after the login.
  MainWindowSwitches switches_;
};

}  // namespace talor

#endif  // TALOR_UI_WINDOW_COMMANDS_H_
