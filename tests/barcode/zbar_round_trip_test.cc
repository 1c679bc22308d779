// Round trip through an independent decoder: talor-tool draws each barcode,
// the test surrounds the image with a white quiet zone, and zbarimg reads it.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "barcode/canvas.h"
#include "barcode/image_file.h"
#include "barcode/run_program.h"

namespace talor {
namespace {

namespace fs = std::filesystem;
using testing::RunProgram;
using testing::ToolPath;

constexpr int kQuietZone = 30;

// Symbologies that zbarimg cannot read (industrial and matrix 2 of 5, MSI,
// PostNet, UPC-E with number system 1) are checked against worked examples in
// symbology_test.cc instead.

std::optional<std::string> FindZbarimg() {
  for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
    const std::string path = std::string(dir) + "/zbarimg";
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return std::nullopt;
}

class ZbarRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    zbarimg_ = FindZbarimg();
    if (!zbarimg_) GTEST_SKIP() << "zbarimg is not installed (scripts/deps installs zbar-tools)";
    ASSERT_TRUE(fs::exists(ToolPath())) << ToolPath();
    dir_ = fs::temp_directory_path() / ("talor_barcode_zbar_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }

  // Draws `text` with talor-tool and returns what zbarimg reads, as
  // "SYMBOLOGY:data" lines, or the tool's failure.
 public:
  std::string Decode(int type, const std::string& text, bool checksum, int modul,
                     const std::vector<std::string>& extra = {}) {
    const std::string bmp = (dir_ / "symbol.bmp").string();
    std::vector<std::string> args = {ToolPath(), "barcode", "--type",  std::to_string(type),
                                     "--height", "60",      "--modul", std::to_string(modul)};
    if (checksum) args.push_back("--checksum");
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), {"-o", bmp, "--", text});
    const testing::ProgramResult tool = RunProgram(args);
    if (tool.status != 0) return "tool failed: " + tool.err;
    const std::optional<Canvas> symbol = LoadBitmapFile(bmp);
    if (!symbol) return "unreadable bitmap";
    Canvas padded(symbol->width() + 2 * kQuietZone, symbol->height() + 2 * kQuietZone);
    for (int y = 0; y < symbol->height(); ++y) {
      for (int x = 0; x < symbol->width(); ++x) {
        padded.SetPixel(x + kQuietZone, y + kQuietZone, symbol->Pixel(x, y));
      }
    }
    const std::string png = (dir_ / "padded.png").string();
    if (!SavePngFile(padded, png).ok()) return "png not written";
    const testing::ProgramResult decoded =
        RunProgram({*zbarimg_, "--quiet", "--nodbus", "-Sean2.enable", "-Sean5.enable",
                    "-Supca.enable", "-Si25.enable", "-Si25.min-length=2", "-Scodabar.enable",
                    "-Scodabar.min-length=1", "-Scode93.enable", png});
    std::string result = decoded.out;
    while (!result.empty() && result.back() == '\n') result.pop_back();
    return result;
  }

 private:
  std::optional<std::string> zbarimg_;
  fs::path dir_;
};

struct RoundTripRow {
  int type;
  std::string text;
  bool checksum;
  int modul;
  std::string expected;  // zbarimg's "SYMBOLOGY:data"
};

void ExpectRoundTrips(ZbarRoundTrip& test, const std::vector<RoundTripRow>& rows) {
  for (const RoundTripRow& row : rows) {
    EXPECT_EQ(row.expected, test.Decode(row.type, row.text, row.checksum, row.modul))
        << "type " << row.type << ", text «" << row.text << "»"
        << (row.checksum ? ", --checksum" : "") << ", modul " << row.modul;
  }
}

std::string Characters(int first, int last) {
  std::string text;
  for (int c = first; c <= last; ++c) text.push_back(static_cast<char>(c));
  return text;
}

TEST_F(ZbarRoundTrip, TwoOfFiveInterleaved) {
  ExpectRoundTrips(*this,
                   {
                       {0, "1234567890", false, 2, "I2/5:1234567890"},
                       {0, "1234", false, 1, "I2/5:1234"},
                       {0, "12345", false, 2, "I2/5:1234"},   // an odd last digit is not encoded
                       {0, " 0099 ", false, 2, "I2/5:0099"},  // surrounding blanks are trimmed
                       {0, "9081726354", false, 3, "I2/5:9081726354"},
                   });
}

TEST_F(ZbarRoundTrip, Code39) {
  ExpectRoundTrips(
      *this, {
                 {3, "A", false, 2, "CODE-39:A"},
                 {3, "CODE39", true, 2, "CODE-39:CODE39W"},  // modulo 43: 75 % 43 = 32 = W
                 {3, "0123456789", false, 1, "CODE-39:0123456789"},
                 {3, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", false, 2, "CODE-39:ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                 {3, "-. $/+%", false, 2, "CODE-39:-. $/+%"},
                 {3, "a1b2*3", false, 2, "CODE-39:123"},  // lower case and '*' are skipped
                 {3, "%", true, 2, "CODE-39:%%"},         // 42 is its own check character
             });
}

TEST_F(ZbarRoundTrip, Code39ExtendedAsItsFullAsciiPairs) {
  // The decoder reads the pairs of the basic set.
  ExpectRoundTrips(*this,
                   {
                       {4, "abc*+Z", false, 2, "CODE-39:+A+B+C/J/KZ"},
                       {4, "Hi!", false, 2, "CODE-39:H+I/A"},
                       {4, "@[`{\x7f", false, 2, "CODE-39:%V%K%W%P%T"},
                       {4, "\x01\x1a\x1b:;", false, 2, "CODE-39:$A$Z%A/Z%F"},
                       {4, "x\xd0\xb9", true, 2, "CODE-39:+XV"},  // bytes from 128 up are dropped
                   });
}

TEST_F(ZbarRoundTrip, Code128) {
  ExpectRoundTrips(
      *this, {
                 {5, "CODE 128 " + Characters('!', '_'), false, 2,
                  "CODE-128:CODE 128 " + Characters('!', '_')},
                 {5, "ab", false, 2, "CODE-128:  "},  // outside set A: blanks
                 {5, "A\tB", false, 2, "CODE-128:A\tB"},
                 {6, Characters(' ', 'O'), false, 1, "CODE-128:" + Characters(' ', 'O')},
                 {6, Characters('P', '~'), false, 2, "CODE-128:" + Characters('P', '~')},
                 {6, "Hello, World", true, 2, "CODE-128:Hello, World"},  // Checksum changes nothing
                 {7, "123", false, 2, "CODE-128:0123"},
                 {7, "0000", false, 2, "CODE-128:0000"},
                 {7, "99887766554433221100", false, 2, "CODE-128:99887766554433221100"},
             });
}

TEST_F(ZbarRoundTrip, Ean128) {
  ExpectRoundTrips(*this, {
                              {20, "ABC", false, 2, "CODE-128:ABC"},
                              {21, "Abc-123", false, 2, "CODE-128:Abc-123"},
                              {21, "0123", true, 2, "CODE-128:01236"},
                              {22, "12345", true, 2, "CODE-128:123457"},
                              {22, "1234", false, 2, "CODE-128:1234"},
                              {22, "123", false, 2, "CODE-128:0123"},
                          });
}

TEST_F(ZbarRoundTrip, Code93) {
  ExpectRoundTrips(*this, {
                              {8, "TEST93", false, 2, "CODE-93:TEST93"},
                              {8, "CODE 93-./+%$", false, 2, "CODE-93:CODE 93-./+%$"},
                              {8, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", false, 1,
                               "CODE-93:0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                              {8, "A", true, 2, "CODE-93:A"},
                              {9, "test93 $%+", false, 2, "CODE-93:test93 $%+"},
                              {9, Characters(1, 40), false, 2, "CODE-93:" + Characters(1, 40)},
                              {9, Characters(41, 90), false, 2, "CODE-93:" + Characters(41, 90)},
                              {9, Characters(91, 127), false, 2, "CODE-93:" + Characters(91, 127)},
                          });
}

TEST_F(ZbarRoundTrip, Codabar) {
  ExpectRoundTrips(*this,
                   {
                       {12, "123-456", false, 2, "Codabar:A123-456B"},
                       {12, "$:/.+0987", false, 2, "Codabar:A$:/.+0987B"},
                       {12, "A1B", false, 2, "Codabar:A1B"},  // frame letters inside are skipped
                       {12, "12ab34", false, 2, "Codabar:A1234B"},
                   });
}

TEST_F(ZbarRoundTrip, Ean) {
  ExpectRoundTrips(*this,
                   {
                       {13, "96385074", false, 2, "EAN-8:96385074"},
                       {13, "9638507", true, 2, "EAN-8:96385074"},
                       {13, "5", true, 1, "EAN-8:00000055"},
                       {14, "5901234123457", false, 2, "EAN-13:5901234123457"},
                       {14, "590123412345", true, 1, "EAN-13:5901234123457"},
                       {14, "4006381333931", false, 2, "EAN-13:4006381333931"},
                       {14, "", true, 2, "UPC-A:000000000000"},  // a leading 0 makes it UPC-A
                       {14, "978020137962", true, 2, "EAN-13:9780201379624"},
                   });
}

TEST_F(ZbarRoundTrip, UpcA) {
  ExpectRoundTrips(
      *this, {
                 {15, "03600029145", true, 2, "UPC-A:036000291452"},
                 {15, "036000291452", false, 2, "UPC-A:036000291452"},
                 {15, "12345678901", true, 2, "UPC-A:123456789012"},   // the last digit is kept
                 {15, "123456789019", true, 2, "UPC-A:123456789012"},  // a wrong one replaced
                 {15, "1", true, 1, "UPC-A:000000000017"},
             });
}

TEST_F(ZbarRoundTrip, UpcENumberSystemZero) {
  // The decoder reports UPC-E expanded to its UPC-A number.
  ExpectRoundTrips(
      *this, {
                 {16, "123456", true, 2, "UPC-A:012345000065"},
                 {16, "654321", true, 2, "UPC-A:065100004327"},
                 {16, "123453", true, 2, "UPC-A:012300000451"},
                 {16, "123454", true, 2, "UPC-A:012340000053"},
                 {16, "1234565", false, 2, "UPC-A:012345000065"},
                 {16, "1234560", false, 2, "UPC-A:012345000065"},  // parity follows the true digit
                 {16, "1234569", true, 1, "UPC-A:012345000065"},
             });
}

TEST_F(ZbarRoundTrip, UpcSupplements) {
  ExpectRoundTrips(*this, {
                              {18, "12", false, 2, "EAN-2:12"},
                              {18, "7", false, 2, "EAN-2:07"},
                              {18, "99", false, 2, "EAN-2:99"},
                              {18, "34", false, 1, "EAN-2:34"},
                              {19, "52495", false, 2, "EAN-5:52495"},
                              {19, "0", false, 2, "EAN-5:00000"},
                              {19, "90000", false, 2, "EAN-5:90000"},
                              {19, "12345", false, 3, "EAN-5:12345"},
                          });
}

TEST_F(ZbarRoundTrip, RotatedSymbolsAreWhollyInTheImage) {
  for (const char* angle : {"90", "180", "270", "-90"}) {
    EXPECT_EQ("CODE-128:Turned", Decode(6, "Turned", false, 2, {"--angle", angle}))
        << "angle " << angle;
  }
}

}  // namespace
}  // namespace talor
