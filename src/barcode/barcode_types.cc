#include "barcode/barcode_types.h"

#include <array>

namespace talor {
namespace {

constexpr std::array<TBCdata, kBarcodeTypeCount> kSymbologies = {{
    {"2_5_interleaved", true},
    {"2_5_industrial", true},
    {"2_5_matrix", true},
    {"Code39", false},
    {"Code39 Extended", false},
    {"Code128A", false},
    {"Code128B", false},
    {"Code128C", true},
    {"Code93", false},
    {"Code93 Extended", false},
    {"MSI", true},
    {"PostNet", true},
    {"Codebar", false},
    {"EAN8", true},
    {"EAN13", true},
    {"UPC_A", true},
    {"UPC_E0", true},
    {"UPC_E1", true},
    {"UPC Supp2", true},
    {"UPC Supp5", true},
    {"EAN128A", false},
    {"EAN128B", false},
    {"EAN128C", true},
}};
static_assert(static_cast<int>(TBarcodeType::bcCodeEAN128C) + 1 == kBarcodeTypeCount);

}  // namespace

std::optional<TBCdata> SymbologyData(TBarcodeType type) {
  const int number = static_cast<int>(type);
  if (number < 0 || number >= kBarcodeTypeCount) return std::nullopt;
  return kSymbologies[static_cast<size_t>(number)];
}

std::optional<TBarcodeType> BarcodeTypeFromNumber(int number) {
  if (number < 0 || number >= kBarcodeTypeCount) return std::nullopt;
  return static_cast<TBarcodeType>(number);
}

}  // namespace talor
