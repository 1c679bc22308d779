#include "ui/window_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/messages.h"
#include "text/encoding.h"

namespace talor {
namespace {

// Lines 1, 2 and 12 hold texts; the file has 13 lines.
Messages TestMessages() {
  std::string text;
  for (int line = 0; line < 13; ++line) {
    if (line == 1) text += "Файл";
    if (line == 2) text += "Назад (Alt+Стрелка влево)";
    if (line == 12) text += "Адрес:";
    text += "\r\n";
  }
  Messages messages;
  messages.SetAnsiText(Utf8ToAnsi(text));
  return messages;
}

TEST(WindowTextsTest, ReferencesInCaptionsAndHintsAreResolvedOutsideThePageFrame) {
  const std::string page = PrepareWindowPage(
      "<html><head><title>@1</title></head><body>"
      "<button id=b title=\"@2\" aria-label=\"@2\"> @1 </button>"
      "<label>@12</label><span>@99</span><span>@1a</span><span>@</span><span>x@1</span>"
      "<iframe id=NavigatorWebBrowser title=\"@1\">@2</iframe></body></html>",
      TestMessages(), FormFont{"", 204});
  EXPECT_NE(page.find("<title>Файл</title>"), std::string::npos);
  EXPECT_NE(page.find("title=\"Назад (Alt+Стрелка влево)\" aria-label=\"Назад (Alt+Стрелка "
                      "влево)\"> Файл </button>"),
            std::string::npos);
  EXPECT_NE(page.find("<label>Адрес:</label>"), std::string::npos);
  // No such line, no number, or more than a reference: the text stays.
  EXPECT_NE(page.find("<span>@99</span><span>@1a</span><span>@</span><span>x@1</span>"),
            std::string::npos);
  // The page frame belongs to the catalogue, not to the window.
  EXPECT_NE(page.find("<iframe id=\"NavigatorWebBrowser\" title=\"@1\">"), std::string::npos);
  EXPECT_EQ(page.find("id=\"FormFont\""), std::string::npos);
}

TEST(WindowTextsTest, TheConfiguredFontGoesOnTheTextControlsAsOneRule) {
  const std::string page =
      PrepareWindowPage("<html><head></head><body></body></html>", TestMessages(),
                        FormFont{"Times \"New\"</style>", 204});
  const size_t rule = page.find("<style id=\"FormFont\">");
  ASSERT_NE(rule, std::string::npos);
  EXPECT_NE(page.find("font-family: \"Times \\\"New\\\" /style>\", ", rule), std::string::npos);
  // The name cannot end the style element early.
  EXPECT_EQ(page.find("</style>", rule), page.rfind("</style>"));
}

}  // namespace
}  // namespace talor
