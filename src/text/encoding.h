// Code-page conversions and case mapping.
//
// The system's ANSI code page is Windows-1251 and its OEM code page is CP866.
// Byte strings are UTF-8 unless their name says otherwise (`ansiText`,
// `oemText`); wide text is UTF-16. Every conversion goes through UTF-16 and is
// total: bytes that cannot be decoded become U+FFFD, characters that a code
// page lacks become its default character `?`. All functions are safe to call
// from any thread.

#ifndef TALOR_TEXT_ENCODING_H_
#define TALOR_TEXT_ENCODING_H_

#include <optional>
#include <string>
#include <string_view>

namespace talor {

std::u16string Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::u16string_view wide);

std::u16string AnsiToWide(std::string_view ansiText);
std::string WideToAnsi(std::u16string_view wide);
std::string AnsiToUtf8(std::string_view ansiText);
// `*missing`, when given, grows by the number of characters that became `?`
// because the code page lacks them (also for Utf8ToOem).
std::string Utf8ToAnsi(std::string_view utf8, size_t* missing = nullptr);

std::u16string OemToWide(std::string_view oemText);
std::string WideToOem(std::u16string_view wide);
std::string OemToUtf8(std::string_view oemText);
std::string Utf8ToOem(std::string_view utf8, size_t* missing = nullptr);
// Byte for byte: each OEM byte becomes the ANSI byte of the same character
// (the ANSI default character where Windows-1251 lacks it). The length never
// changes.
std::string OemToAnsi(std::string_view oemText);
std::string AnsiToOem(std::string_view ansiText);

// Unicode case mapping through UTF-16 (full mappings, so a string may grow).
std::u16string WideUpperCase(std::u16string_view wide);
std::u16string WideLowerCase(std::u16string_view wide);
std::string Utf8UpperCase(std::string_view utf8);
std::string Utf8LowerCase(std::string_view utf8);

// Windows-1251 case rules, one byte at a time; bytes without a case pair are
// unchanged.
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
std::string AnsiUpperCase(std::string_view ansiText);
std::string AnsiLowerCase(std::string_view ansiText);

// The Windows code page of a font character-set identifier (0 ANSI, 161
// Greek, 204 Russian, ...); nullopt when the identifier is unknown.
std::optional<int> CodePageOfCharset(int charsetId);

// Decodes `bytes` in Windows code page `codePage` (1250-1258, 874, 866, 437,
// 932, 936, 949, 950, 65001). Returns nullopt when ICU has no such converter.
std::optional<std::u16string> CodePageToWide(int codePage, std::string_view bytes);

}  // namespace talor

#endif  // TALOR_TEXT_ENCODING_H_
