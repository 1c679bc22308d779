// The committed message file must be what tools/make_talormsg.sh writes from
// data/messages.txt, and must hold a text for every number the program uses.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "shell/message_numbers.h"
#include "shell/messages.h"
#include "text/encoding.h"

namespace talor {
namespace {

std::string ReadSourceFile(const std::string& relative) {
  std::ifstream in(std::string(TALOR_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The "N<TAB>text" lines of the readable source, by number.
std::map<int, std::string> SourceTexts() {
  std::map<int, std::string> texts;
  std::istringstream source(ReadSourceFile("data/messages.txt"));
  std::string line;
  while (std::getline(source, line)) {
    if (line.empty() || line.front() == '#') continue;
    size_t tab = line.find('\t');
    EXPECT_NE(std::string::npos, tab) << line;
    if (tab == std::string::npos) continue;
    int number = std::stoi(line.substr(0, tab));
    EXPECT_TRUE(texts.emplace(number, line.substr(tab + 1)).second) << "twice: " << number;
  }
  return texts;
}

TEST(MessageFileDataTest, CommittedFileMatchesItsSource) {
  std::map<int, std::string> texts = SourceTexts();
  ASSERT_FALSE(texts.empty());
  std::string expected;
  for (int number = 0; number <= texts.rbegin()->first; ++number) {
    auto found = texts.find(number);
    if (found != texts.end()) expected += Utf8ToAnsi(found->second);
    expected += "\r\n";
  }
  EXPECT_EQ(expected, ReadSourceFile("data/TALORMSG.TXT"))
      << "run tools/make_talormsg.sh after editing data/messages.txt";
}

TEST(MessageFileDataTest, EveryTextFitsTheAnsiCodePage) {
  for (const auto& [number, text] : SourceTexts()) {
    EXPECT_EQ(text, AnsiToUtf8(Utf8ToAnsi(text))) << number;
  }
}

TEST(MessageFileDataTest, EveryNumberInUseHasAText) {
  Messages messages;
  messages.SetAnsiText(ReadSourceFile("data/TALORMSG.TXT"));
  const int used[] = {
      message::kCancel,           message::kErrorCaption,
      message::kRetryQuestion,    message::kUserRefused,
      message::kUserNameLabel,    message::kPasswordLabel,
      message::kLoginCaption,     message::kWorkstationRefused,
      message::kLoginFailed,      message::kFileMenu,
      message::kViewMenu,         message::kFavoritesMenu,
      message::kServiceMenu,      message::kHelpMenu,
      message::kFileOpen,         message::kFileSaveAs,
      message::kFilePrint,        message::kFileExit,
      message::kViewBack,         message::kViewForward,
      message::kViewHome,         message::kViewStop,
      message::kViewRefresh,      message::kViewGoto,
      message::kFavoritesAdd,     message::kServisToolBars,
      message::kViewToolItem,     message::kFileToolItem,
      message::kURLToolItem,      message::kDefaultToolItem,
      message::kHelpFull,         message::kHelpAbout,
      message::kHistory,          message::kFileReturn,
      message::kBackHint,         message::kForwardHint,
      message::kStopHint,         message::kRefreshHint,
      message::kHomeHint,         message::kFavoritesHint,
      message::kHistoryHint,      message::kFileOpenHint,
      message::kFileSaveAsHint,   message::kFilePrintHint,
      message::kFileReturnHint,   message::kAddressLabel,
      message::kGoHint,           message::kDeleteEntryHint,
      message::kClosePanelHint,   message::kControlBarHint,
      message::kSplashTitle,      message::kSplashSubtitle,
      message::kSplashConnecting, message::kSplashCloseHint,
  };
  for (int number : used) {
    std::string reference = "@" + std::to_string(number);
    std::string text = ResolveMessageText(reference, messages);
    EXPECT_NE(reference, text) << number;
    EXPECT_FALSE(text.empty()) << number;
  }
  // The retry question follows the login failure directly, so it brings its
  // own separating blank.
  EXPECT_EQ(' ', messages.Text(message::kRetryQuestion).front());
}

}  // namespace
}  // namespace talor
