#include "shell/navigator_start.h"

#include <gtest/gtest.h>

#include "shell/temp_dir.h"
#include "text/encoding.h"

namespace talor {
namespace {

TEST(NavigatorStartTest, HandedOverPageIsTakenOnceWithItsReturnWindow) {
  TempDir dir;
  const std::string file = dir.path() + "Talor_Navigator.ini";
  LocalConfig config = IniFile::Open(file);
  config.WriteString("CONTEXT", "InitURL", "TALOR:1,,DEMO,full,@5");
  config.WriteString("CONTEXT", "ReturnHandle", "4711");
  ASSERT_TRUE(config.UpdateFile());
  const ServerSettings server =
      IniFile::FromText("[Navigator]\nInitURL=TALOR:3,1,DEMO,index.html\n");

  FirstPage first = TakeFirstPage(config, server);
  EXPECT_EQ(first.url, "TALOR:1,,DEMO,full,@5");
  EXPECT_EQ(first.returnHandle, 4711);
  // Emptied in the file, so that the next start opens the server's page.
  LocalConfig reread = IniFile::Open(file);
  EXPECT_EQ(reread.ReadString("CONTEXT", "InitURL", "missing"), "");
  FirstPage next = TakeFirstPage(reread, server);
  EXPECT_EQ(next.url, "TALOR:3,1,DEMO,index.html");
  EXPECT_EQ(next.returnHandle, 0) << "ReturnHandle counts only with a handed-over page";
}

TEST(NavigatorStartTest, ServerStartPageFallsBackToHelp) {
  LocalConfig config;
  EXPECT_EQ(TakeFirstPage(config, ServerSettings()).url, "TALOR:3,0,,Talor_Navigator_Help0.html");
  EXPECT_EQ(
      TakeFirstPage(config, IniFile::FromText("[Navigator]\nHelpURL=TALOR:3,0,,h.html\n")).url,
      "TALOR:3,0,,h.html");
  // Server texts are ANSI.
  const std::string ansi = Utf8ToAnsi("TALOR:3,1,DEMO,начало.html");
  EXPECT_EQ(TakeFirstPage(config, IniFile::FromText("[Navigator]\nInitURL=" + ansi + "\n")).url,
            "TALOR:3,1,DEMO,начало.html");
  // Both set to empty texts leave the view blank.
  EXPECT_EQ(TakeFirstPage(config, IniFile::FromText("[Navigator]\nHelpURL=\nInitURL=\n")).url, "");
}

}  // namespace
}  // namespace talor
