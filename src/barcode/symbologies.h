// The encoders of the symbologies. Each appends the element codes of one
// symbol (start and stop patterns included) to `elements`; see elements.h for
// the alphabet. Texts of the numeric symbologies have been checked to hold
// only digits before an encoder is called. An encoder that fails appends
// nothing and returns the component's error message.
//
// Encoders that pad or complete the text store the result in `text`, which is
// the component's Text; the others leave it unchanged.

#ifndef TALOR_BARCODE_SYMBOLOGIES_H_
#define TALOR_BARCODE_SYMBOLOGIES_H_

#include <string>

#include "barcode/barcode_types.h"
#include "text/status.h"

namespace talor {

// The optional check digit of a symbology: asked for (`Checksum`) and how it
// is computed.
struct CheckOption {
  bool wanted = false;
  TCheckSumMethod method = TCheckSumMethod::csmModulo10;
};

// Interleaved 2 of 5: pairs of digits; an odd last digit is not encoded.
void EncodeInterleaved2of5(const std::string& text, std::string& elements);
void EncodeIndustrial2of5(const std::string& text, std::string& elements);
void EncodeMatrix2of5(const std::string& text, std::string& elements);

// Code 39 of the characters of its table; others (and '*' inside the data)
// are skipped. `checksum` adds the modulo-43 check character.
void EncodeCode39(const std::string& text, bool checksum, std::string& elements);
// Full ASCII: characters below 128 as their Code 39 pairs, others dropped.
void EncodeCode39Extended(const std::string& text, bool checksum, std::string& elements);

// Code 128 in set A, B or C, and the EAN-128 variant (FNC1 after the start;
// with the check option, the check digit of the text is appended to the data).
// For set C an odd-length text gets a leading zero, stored in `text`; with an
// EAN-128 check digit only the encoded data is padded and `text` is unchanged.
void EncodeCode128(TBarcodeType type, std::string& text, CheckOption check, std::string& elements);

// Code 93; a character outside its set is an error naming `className`.
Status EncodeCode93(const std::string& text, std::string_view className, std::string& elements);
// Full ASCII: characters below 128 as their Code 93 pairs, others dropped.
void EncodeCode93Extended(const std::string& text, std::string& elements);

void EncodeMsi(const std::string& text, std::string& elements);
void EncodePostNet(const std::string& text, std::string& elements);
// Codabar framed by A and B; characters outside its set are skipped.
void EncodeCodabar(const std::string& text, std::string& elements);

// The EAN and UPC family.
Status EncodeEan8(const std::string& text, CheckOption check, std::string& elements);
Status EncodeEan13(const std::string& text, CheckOption check, std::string& elements);
Status EncodeUpcA(std::string& text, CheckOption check, std::string& elements);
Status EncodeUpcE(int numberSystem, std::string& text, CheckOption check, std::string& elements);
Status EncodeUpcSupplement2(const std::string& text, std::string& elements);
Status EncodeUpcSupplement5(const std::string& text, std::string& elements);

}  // namespace talor

#endif  // TALOR_BARCODE_SYMBOLOGIES_H_
