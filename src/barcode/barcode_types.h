// The enumerations of the barcode component and the table of symbologies.
//
// The numbers of TBarcodeType are stored in settings (BARCODETYPE holds one of
// them), so the order of its values must never change.

#ifndef TALOR_BARCODE_BARCODE_TYPES_H_
#define TALOR_BARCODE_BARCODE_TYPES_H_

#include <optional>
#include <string_view>

namespace talor {

enum class TBarcodeType {
  bcCode_2_5_interleaved,
  bcCode_2_5_industrial,
  bcCode_2_5_matrix,
  bcCode39,
  bcCode39Extended,
  bcCode128A,
  bcCode128B,
  bcCode128C,
  bcCode93,
  bcCode93Extended,
  bcCodeMSI,
  bcCodePostNet,
  bcCodeCodabar,
  bcCodeEAN8,
  bcCodeEAN13,
  bcCodeUPC_A,
  bcCodeUPC_E0,
  bcCodeUPC_E1,
  bcCodeUPC_Supp2,
  bcCodeUPC_Supp5,
  bcCodeEAN128A,
  bcCodeEAN128B,
  bcCodeEAN128C,
};

// The number of symbologies; valid type numbers are 0 to kBarcodeTypeCount - 1.
inline constexpr int kBarcodeTypeCount = 23;

// What text DrawBarcode prints beside the bars.
enum class TBarcodeOption { bcoNone, bcoCode, bcoTyp, bcoBoth };

// How the optional check digit of a symbology is computed.
enum class TCheckSumMethod { csmNone, csmModulo10 };

// One row of the symbology table.
struct TBCdata {
  std::string_view name;  // the display name (printed for bcoTyp)
  bool numeric;           // the text must consist of the digits 0 to 9
};

// The row of `type`; nullopt when its number is outside 0..22.
std::optional<TBCdata> SymbologyData(TBarcodeType type);

// The type with number `number`, or nullopt when there is none.
std::optional<TBarcodeType> BarcodeTypeFromNumber(int number);

}  // namespace talor

#endif  // TALOR_BARCODE_BARCODE_TYPES_H_
