#include "text/encoding.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <array>
#include <cstdint>
#include <memory>

namespace talor {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// A single-byte code page as two lookup tables built once from ICU, so that
// the hot conversions neither lock nor allocate a converter.
class SingleByteCodePage {
 public:
  explicit SingleByteCodePage(const char* icuName) {
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open(icuName, &status));
    toWide_.fill(0xFFFD);
    fromWide_.fill(0);
    if (U_FAILURE(status)) return;
    for (int b = 0; b < 256; ++b) {
      char byte = static_cast<char>(b);
      UChar unit[4];
      status = U_ZERO_ERROR;
      ucnv_reset(converter.get());
      int32_t n = ucnv_toUChars(converter.get(), unit, 4, &byte, 1, &status);
      if (U_SUCCESS(status) && n == 1) toWide_[b] = unit[0];
    }
    // Fill the reverse table from high to low so that the lowest byte wins
    // for a character that two bytes map to.
    for (int b = 255; b >= 0; --b) {
      if (toWide_[b] != 0xFFFD) fromWide_[toWide_[b]] = static_cast<uint8_t>(b);
    }
    fromWide_[0] = 0;
  }

  char16_t ToWide(unsigned char byte) const { return toWide_[byte]; }

  // '?' for a character the page lacks.
  char FromWide(char16_t unit) const {
    if (unit == 0) return 0;
    uint8_t b = fromWide_[unit];
    return static_cast<char>(b == 0 ? '?' : b);
  }

 private:
  std::array<char16_t, 256> toWide_;
  std::array<uint8_t, 65536> fromWide_;
};

const SingleByteCodePage& Ansi() {
  static const auto* page = new SingleByteCodePage("windows-1251");
  return *page;
}

const SingleByteCodePage& Oem() {
  static const auto* page = new SingleByteCodePage("ibm-866");
  return *page;
}

std::u16string PageToWide(const SingleByteCodePage& page, std::string_view bytes) {
  std::u16string wide(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    wide[i] = page.ToWide(static_cast<unsigned char>(bytes[i]));
  }
  return wide;
}

// `*missing`, when given, grows by the characters the page lacks.
std::string WideToPage(const SingleByteCodePage& page, std::u16string_view wide,
                       size_t* missing = nullptr) {
  std::string bytes;
  bytes.reserve(wide.size());
  size_t lacked = 0;
  for (size_t i = 0; i < wide.size(); ++i) {
    char16_t unit = wide[i];
    // A surrogate pair is one character outside every single-byte page.
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      ++i;
      bytes += '?';
      ++lacked;
      continue;
    }
    char byte = page.FromWide(unit);
    if (byte == '?' && unit != u'?') ++lacked;
    bytes += byte;
  }
  if (missing != nullptr) *missing += lacked;
  return bytes;
}

// Maps case through ICU; `upper` selects the direction.
std::u16string MapCase(std::u16string_view wide, bool upper) {
  if (wide.empty()) return {};
  std::u16string result(wide.size() + wide.size() / 2 + 4, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode status = U_ZERO_ERROR;
    auto capacity = static_cast<int32_t>(result.size());
    auto length = static_cast<int32_t>(wide.size());
    int32_t n = upper ? u_strToUpper(result.data(), capacity, wide.data(), length, "", &status)
                      : u_strToLower(result.data(), capacity, wide.data(), length, "", &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      result.assign(static_cast<size_t>(n), u'\0');
      continue;
    }
    if (U_FAILURE(status)) return std::u16string(wide);
    result.resize(static_cast<size_t>(n));
    return result;
  }
  return std::u16string(wide);
}

struct CaseTables {
  std::array<char, 256> upper;
  std::array<char, 256> lower;
};

const CaseTables& AnsiCase() {
  static const CaseTables tables = [] {
    CaseTables t;
    for (int b = 0; b < 256; ++b) {
      char byte = static_cast<char>(b);
      t.upper[b] = byte;
      t.lower[b] = byte;
      char16_t unit = Ansi().ToWide(static_cast<unsigned char>(b));
      std::u16string up = MapCase(std::u16string_view(&unit, 1), true);
      std::u16string low = MapCase(std::u16string_view(&unit, 1), false);
      // Only one-to-one pairs inside the code page count.
      if (up.size() == 1 && up[0] != unit && up[0] != 0xFFFD) {
        char mapped = Ansi().FromWide(up[0]);
        if (mapped != '?') t.upper[b] = mapped;
      }
      if (low.size() == 1 && low[0] != unit && low[0] != 0xFFFD) {
        char mapped = Ansi().FromWide(low[0]);
        if (mapped != '?') t.lower[b] = mapped;
      }
    }
    return t;
  }();
  return tables;
}

}  // namespace

std::u16string Utf8ToWide(std::string_view utf8) {
  if (utf8.empty()) return {};
  std::u16string wide(utf8.size(), u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &length, utf8.data(),
                       static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return {};
  wide.resize(static_cast<size_t>(length));
  return wide;
}

std::string WideToUtf8(std::u16string_view wide) {
  if (wide.empty()) return {};
  std::string utf8(wide.size() * 3, '\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strToUTF8WithSub(utf8.data(), static_cast<int32_t>(utf8.size()), &length, wide.data(),
                     static_cast<int32_t>(wide.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return {};
  utf8.resize(static_cast<size_t>(length));
  return utf8;
}

std::u16string AnsiToWide(std::string_view ansiText) { return PageToWide(Ansi(), ansiText); }
std::string WideToAnsi(std::u16string_view wide) { return WideToPage(Ansi(), wide); }
std::string AnsiToUtf8(std::string_view ansiText) { return WideToUtf8(AnsiToWide(ansiText)); }
std::string Utf8ToAnsi(std::string_view utf8, size_t* missing) {
  return WideToPage(Ansi(), Utf8ToWide(utf8), missing);
}

std::u16string OemToWide(std::string_view oemText) { return PageToWide(Oem(), oemText); }
std::string WideToOem(std::u16string_view wide) { return WideToPage(Oem(), wide); }
std::string OemToUtf8(std::string_view oemText) { return WideToUtf8(OemToWide(oemText)); }
std::string Utf8ToOem(std::string_view utf8, size_t* missing) {
  return WideToPage(Oem(), Utf8ToWide(utf8), missing);
}

std::string OemToAnsi(std::string_view oemText) {
  std::string result(oemText.size(), '\0');
  for (size_t i = 0; i < oemText.size(); ++i) {
    result[i] = Ansi().FromWide(Oem().ToWide(static_cast<unsigned char>(oemText[i])));
  }
  return result;
}

std::string AnsiToOem(std::string_view ansiText) {
  std::string result(ansiText.size(), '\0');
  for (size_t i = 0; i < ansiText.size(); ++i) {
    result[i] = Oem().FromWide(Ansi().ToWide(static_cast<unsigned char>(ansiText[i])));
  }
  return result;
}

std::u16string WideUpperCase(std::u16string_view wide) { return MapCase(wide, true); }
std::u16string WideLowerCase(std::u16string_view wide) { return MapCase(wide, false); }
std::string Utf8UpperCase(std::string_view utf8) {
  return WideToUtf8(WideUpperCase(Utf8ToWide(utf8)));
}
std::string Utf8LowerCase(std::string_view utf8) {
  return WideToUtf8(WideLowerCase(Utf8ToWide(utf8)));
}

char AnsiUpperChar(char c) { return AnsiCase().upper[static_cast<unsigned char>(c)]; }
char AnsiLowerChar(char c) { return AnsiCase().lower[static_cast<unsigned char>(c)]; }

std::string AnsiUpperCase(std::string_view ansiText) {
  std::string result(ansiText);
  for (char& c : result) c = AnsiUpperChar(c);
  return result;
}

std::string AnsiLowerCase(std::string_view ansiText) {
  std::string result(ansiText);
  for (char& c : result) c = AnsiLowerChar(c);
  return result;
}

std::optional<int> CodePageOfCharset(int charsetId) {
  // The font character sets of the Windows API and their code pages.
  struct Entry {
    int charset;
    int codePage;
  };
  static constexpr Entry kCharsets[] = {
      {0, 1252},   {1, 1251},   {2, 1252},   {77, 10000}, {128, 932},  {129, 949},  {130, 1361},
      {134, 936},  {136, 950},  {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256},
      {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}, {255, 437},
  };
  for (const Entry& entry : kCharsets) {
    if (entry.charset == charsetId) return entry.codePage;
  }
  return std::nullopt;
}

std::optional<std::u16string> CodePageToWide(int codePage, std::string_view bytes) {
  std::string name = codePage == 65001                      ? "UTF-8"
                     : codePage == 10000                    ? "macintosh"
                     : codePage == 1361                     ? "ibm-1361"
                     : codePage >= 1250 && codePage <= 1258 ? "windows-" + std::to_string(codePage)
                                                            : "ibm-" + std::to_string(codePage);
  if (codePage == 932) name = "windows-31j";
  if (codePage == 936) name = "windows-936";
  if (codePage == 949) name = "windows-949";
  if (codePage == 950) name = "windows-950";
  if (codePage == 874) name = "windows-874";
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(name.c_str(), &status));
  if (U_FAILURE(status)) return std::nullopt;
  std::u16string wide(bytes.size() * 2 + 2, u'\0');
  status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(converter.get(), wide.data(), static_cast<int32_t>(wide.size()),
                            bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) return std::nullopt;
  wide.resize(static_cast<size_t>(n));
  return wide;
}

}  // namespace talor
