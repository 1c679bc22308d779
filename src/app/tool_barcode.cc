// talor-tool barcode: draws one barcode into a .bmp or .png file.

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/tool_commands.h"
#include "barcode/barcode_image.h"
#include "barcode/barcode_types.h"
#include "barcode/fbarcode.h"
#include "barcode/image_file.h"

namespace talor {
namespace {

constexpr int kDefaultHeight = 40;
constexpr int kMaxHeight = 10000;
constexpr int kUsageError = 2;
constexpr int kWorkError = 1;

void PrintBarcodeHelp(std::FILE* out) {
  std::fprintf(
      out,
      "Использование: talor-tool barcode --type N [ПАРАМЕТРЫ] ТЕКСТ -o ФАЙЛ.bmp|ФАЙЛ.png\n"
      "Рисует штрихкод текста ТЕКСТ и сохраняет его как рисунок BMP или PNG\n"
      "(формат выбирается по расширению файла).\n\n"
      "Параметры:\n"
      "  --type N          вид штрихкода, номер от 0 до 22 (список ниже)\n"
      "  --height H        высота штрихов в пикселях, от 1 до %d (по умолчанию %d)\n"
      "  --modul M         ширина самого узкого элемента в пикселях, от 1 до 49\n"
      "                    (по умолчанию 1)\n"
      "  --ratio R         отношение широкого элемента к узкому (по умолчанию 2;\n"
      "                    для большинства видов приводится к пределам 2..3)\n"
      "  --checksum        добавить необязательную контрольную цифру вида\n"
      "  --angle A         повернуть на A градусов против часовой стрелки;\n"
      "                    рисунок увеличивается так, чтобы штрихкод был виден целиком\n"
      "  --text-option O   подпись: none, code (текст), typ (вид), both (и то и другое)\n"
      "                    или номер 0..3\n"
      "  -o ФАЙЛ           куда сохранить рисунок\n"
      "  --                всё дальнейшее считать текстом (для текста, начинающегося с -)\n\n"
      "Виды штрихкодов:\n",
      kMaxHeight, kDefaultHeight);
  for (int number = 0; number < kBarcodeTypeCount; ++number) {
    const TBCdata data = *SymbologyData(*BarcodeTypeFromNumber(number));
    std::fprintf(out, "  %2d  %.*s%s\n", number, static_cast<int>(data.name.size()),
                 data.name.data(), data.numeric ? " (только цифры)" : "");
  }
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "talor-tool barcode: %s\n(talor-tool barcode --help описывает параметры)\n",
               message.c_str());
  return kUsageError;
}

std::optional<long> ParseInteger(std::string_view text) {
  const std::string copy(text);
  if (copy.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(copy.c_str(), &end, 10);
  if (errno != 0 || *end != '\0') return std::nullopt;
  return value;
}

std::optional<double> ParseNumber(std::string_view text) {
  const std::string copy(text);
  if (copy.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(copy.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<TBarcodeOption> ParseTextOption(std::string_view text) {
  constexpr std::string_view kNames[] = {"none", "code", "typ", "both"};
  for (int i = 0; i < 4; ++i) {
    if (text == kNames[i] || text == std::to_string(i)) return static_cast<TBarcodeOption>(i);
  }
  return std::nullopt;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(tail[i])) != suffix[i]) return false;
  }
  return true;
}

struct BarcodeOptions {
  std::optional<TBarcodeType> type;
  int height = kDefaultHeight;
  std::optional<std::string> text;
  std::optional<std::string> output;
};

// Applies one option; returns an error text, empty on success. `i` moves past
// the option's value.
std::string ApplyOption(int argc, char** argv, int& i, BarcodeOptions& options,
                        TFBarcode& barcode) {
  const std::string_view name = argv[i];
  if (name == "--checksum") {
    barcode.SetChecksum(true);
    return {};
  }
  if (i + 1 >= argc) return "после " + std::string(name) + " нужно значение";
  const std::string_view value = argv[++i];
  if (name == "--type") {
    const std::optional<long> number = ParseInteger(value);
    if (number && *number >= 0 && *number < kBarcodeTypeCount) {
      options.type = static_cast<TBarcodeType>(*number);
      return {};
    }
    return "вид штрихкода должен быть числом от 0 до 22, а не «" + std::string(value) + "»";
  }
  if (name == "--height") {
    const std::optional<long> number = ParseInteger(value);
    if (number && *number >= 1 && *number <= kMaxHeight) {
      options.height = static_cast<int>(*number);
      return {};
    }
    return "высота должна быть числом от 1 до " + std::to_string(kMaxHeight);
  }
  if (name == "--modul") {
    const std::optional<long> number = ParseInteger(value);
    if (number && *number >= TFBarcode::kMinModul && *number <= TFBarcode::kMaxModul) {
      barcode.SetModul(static_cast<int>(*number));
      return {};
    }
    return "ширина модуля должна быть числом от 1 до 49";
  }
  if (name == "--ratio" || name == "--angle") {
    const std::optional<double> number = ParseNumber(value);
    if (!number) return "значение " + std::string(name) + " должно быть числом";
    if (name == "--ratio") {
      barcode.SetRatio(*number);
    } else {
      barcode.SetAngle(*number);
    }
    return {};
  }
  if (name == "--text-option") {
    const std::optional<TBarcodeOption> option = ParseTextOption(value);
    if (!option) return "подпись: none, code, typ, both или номер 0..3";
    barcode.SetShowText(*option);
    return {};
  }
  if (name == "-o") {
    options.output = std::string(value);
    return {};
  }
  --i;
  return "неизвестный параметр «" + std::string(name) + "»";
}

}  // namespace

int RunBarcodeCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      PrintBarcodeHelp(stdout);
      return 0;
    }
  }
  if (argc < 2) {
    PrintBarcodeHelp(stderr);
    return kUsageError;
  }
  TFBarcode barcode;
  BarcodeOptions options;
  bool onlyText = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!onlyText && arg == "--") {
      onlyText = true;
    } else if (!onlyText && arg.size() > 1 && arg[0] == '-') {
      const std::string error = ApplyOption(argc, argv, i, options, barcode);
      if (!error.empty()) return UsageError(error);
    } else if (options.text) {
      return UsageError("нужен ровно один текст штрихкода; лишний: «" + std::string(arg) + "»");
    } else {
      options.text = std::string(arg);
    }
  }
  if (!options.type) return UsageError("не задан вид штрихкода (--type N)");
  if (!options.text) return UsageError("не задан текст штрихкода");
  if (!options.output) return UsageError("не задан файл рисунка (-o ФАЙЛ.bmp или ФАЙЛ.png)");
  const bool png = EndsWith(*options.output, ".png");
  if (!png && !EndsWith(*options.output, ".bmp")) {
    return UsageError("файл рисунка должен иметь расширение .bmp или .png");
  }

  barcode.SetTyp(*options.type);
  barcode.SetHeight(options.height);
  barcode.SetText(*options.text);
  std::optional<Canvas> image;
  Status status = RenderBarcodeImage(barcode, image);
  if (!status.ok()) {
    std::fprintf(stderr, "talor-tool barcode: штрихкод не построен: %s\n",
                 status.message().c_str());
    return kWorkError;
  }
  status = png ? SavePngFile(*image, *options.output) : SaveBitmapFile(*image, *options.output);
  if (!status.ok()) {
    std::fprintf(stderr, "talor-tool barcode: %s\n", status.message().c_str());
    return kWorkError;
  }
  return 0;
}

}  // namespace talor
