// talor-navigator render as a program: configuration file, login, pages in
// turn, the printed document and the exit code.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "barcode/run_program.h"
#include "integration/demo_server.h"

namespace talor::server {
namespace {

namespace fs = std::filesystem;
using talor::testing::ProgramResult;
using talor::testing::RunProgram;

class RenderCommandTest : public DemoServerTest {
 protected:
  void SetUp() override {
    DemoServerTest::SetUp();
    std::string pattern = (fs::temp_directory_path() / "talor-render-XXXXXX").string();
    dir_ = std::string(mkdtemp(pattern.data())) + "/";
    WriteConfig("librarian");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void WriteConfig(const std::string& password) {
    std::ofstream(dir_ + "nav.ini") << "[Main]\nServerIP=127.0.0.1\nServerPort=" << Port()
                                    << "\nUserName=librarian\nUserPassword=" << password
                                    << "\nTalorMsg=" TALOR_SOURCE_DIR "/data/TALORMSG.TXT\n"
                                    << "Workdir=" << dir_ << "work/\n";
  }

  ProgramResult Render(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {TALOR_BINARY_DIR "/src/app/talor-navigator", "render",
                                         "--config", dir_ + "nav.ini"});
    return RunProgram(arguments);
  }

  std::string dir_;
};

TEST_F(RenderCommandTest, OpensTheStartPageAndLaterAddressesSeeEarlierOnes) {
  ProgramResult start = Render({});
  ASSERT_EQ(start.status, 0) << start.err;
  EXPECT_NE(start.out.find("<title>Демонстрационный каталог"), std::string::npos);

  // The last document is printed; --back returns to the first page.
  ProgramResult walk =
      Render({"TALOR:3,1,DEMO,index.html", "TALOR:3,0,,Talor_Navigator_Help0.html", "--back"});
  ASSERT_EQ(walk.status, 0) << walk.err;
  EXPECT_NE(walk.out.find("<title>Демонстрационный каталог"), std::string::npos);
  ProgramResult all = Render({"--all", "TALOR:3,1,DEMO,index.html", "TALOR:1,,DEMO,full,@82"});
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_NE(all.out.find("</html>\n<"), std::string::npos) << "two documents";
  // The record page's barcodes are files of the work directory.
  EXPECT_TRUE(fs::exists(dir_ + "work/@TALOR_barcode_10000820.bmp"));
}

TEST_F(RenderCommandTest, FailuresExitWithAMessage) {
  WriteConfig("wrong");
  ProgramResult login = Render({"TALOR:3,1,DEMO,index.html"});
  EXPECT_EQ(login.status, 1);
  EXPECT_NE(login.err.find("не удалось войти на сервер"), std::string::npos) << login.err;
  EXPECT_TRUE(login.out.empty());

  ProgramResult usage = Render({"--nonsense"});
  EXPECT_EQ(usage.status, 2);
  EXPECT_NE(usage.err.find("Использование"), std::string::npos);
}

}  // namespace
}  // namespace talor::server
