// Code 93: nine modules a character (three bars, three spaces), two check
// characters, and a termination bar after the stop character.

#include <array>
#include <string_view>
#include <vector>

#include "barcode/elements.h"
#include "barcode/full_ascii.h"
#include "barcode/symbologies.h"

namespace talor {
namespace {

// Module counts of the values 0 to 46; values 43 to 46 are the shift
// characters ($), (%), (/) and (+).
constexpr std::array<std::string_view, 47> kCode93 = {
    "131112", "111213", "111312", "111411", "121113", "121212", "121311", "111114",
    "131211", "141111", "211113", "211212", "211311", "221112", "221211", "231111",
    "112113", "112212", "112311", "122112", "132111", "111123", "111222", "111321",
    "121122", "131121", "212112", "212211", "211122", "211221", "221121", "222111",
    "112122", "112221", "122121", "123111", "121131", "311112", "311211", "321111",
    "112131", "113121", "211131", "121221", "312111", "311121", "122211",
};
constexpr std::string_view kCharacters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
constexpr std::string_view kShifts = "$%/+";
constexpr int kFirstShift = 43;
constexpr std::string_view kStartStop = "111141";
constexpr std::string_view kTermination = "1";
constexpr int kModulus = 47;
constexpr int kWeightLimitC = 20;
constexpr int kWeightLimitK = 15;

int WeightedCheck(const std::vector<int>& values, int weightLimit) {
  int sum = 0;
  int weight = 1;
  for (auto it = values.rbegin(); it != values.rend(); ++it) {
    sum += *it * weight;
    weight = weight == weightLimit ? 1 : weight + 1;
  }
  return sum % kModulus;
}

void AppendSymbol(const std::vector<int>& values, std::string& elements) {
  std::vector<int> all = values;
  all.push_back(WeightedCheck(all, kWeightLimitC));
  all.push_back(WeightedCheck(all, kWeightLimitK));
  AppendModules(elements, kStartStop);
  for (int value : all) AppendModules(elements, kCode93[static_cast<size_t>(value)]);
  AppendModules(elements, kStartStop);
  AppendModules(elements, kTermination);
}

Status BadData(std::string_view className, const std::string& text) {
  return Status::Error(std::string(className) + ":Code93 bad Data <" + text + ">");
}

}  // namespace

Status EncodeCode93(const std::string& text, std::string_view className, std::string& elements) {
  std::vector<int> values;
  values.reserve(text.size());
  for (char c : text) {
    const size_t position = kCharacters.find(c);
    if (c == '\0' || position == std::string_view::npos) return BadData(className, text);
    values.push_back(static_cast<int>(position));
  }
  AppendSymbol(values, elements);
  return Status::Ok();
}

void EncodeCode93Extended(const std::string& text, std::string& elements) {
  std::vector<int> values;
  values.reserve(text.size() * 2);
  for (char c : text) {
    const std::string pair = FullAsciiPair(static_cast<unsigned char>(c));
    if (pair.size() == 2) {
      values.push_back(kFirstShift + static_cast<int>(kShifts.find(pair[0])));
      values.push_back(static_cast<int>(kCharacters.find(pair[1])));
    } else if (pair.size() == 1) {
      values.push_back(static_cast<int>(kCharacters.find(pair[0])));
    }
  }
  AppendSymbol(values, elements);
}

}  // namespace talor
