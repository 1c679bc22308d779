// The keyed library behind `&uf(...)` / `&unifor(...)` and `&umarci(...)`:
// the key tables, the one signature every key function has, and the argument
// helpers the key functions share. Private to the format module; the public
// entry points are UniforFunction and UmarciFunction, registered in
// builtins.cc. docs/format-language.md lists the keys.
//
// Every key function receives the parameter string after its key (or keys)
// and writes its result into `result` (empty on entry). It returns 0, 999
// when only the server can evaluate the call, or the error number of a
// nested format call. No key function throws.

#ifndef TALOR_FORMAT_UF_LIBRARY_H_
#define TALOR_FORMAT_UF_LIBRARY_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/builtins.h"
#include "format/format_engine.h"
#include "format/interpreter.h"
#include "text/string_list.h"
#include "text/utf8_text.h"

namespace talor {

// The result code of a key that only the server can evaluate.
inline constexpr int32_t kServerOnly = 999;
// The longest argument text a built-in function is given.
inline constexpr size_t kMaxArgument = 32000;
// Keys built from words stop at this many characters.
inline constexpr size_t kMaxWordKey = 64;

struct UfCall {
  BuiltinCall& call;
  std::string_view p;  // the parameter string after the key(s)

  FormatEngine& engine() const { return call.interpreter.engine(); }
  // The record, to read.
  const StringList& record() const { return std::as_const(call.interpreter).record(); }
  // The record, for a function that changes it.
  StringList& mutableRecord() const { return call.interpreter.record(); }
  std::string_view database() const { return call.interpreter.database(); }
  int32_t iteration() const { return call.iteration; }
  UfCall With(std::string_view rest) const { return UfCall{call, rest}; }
};

using UfFunction = int32_t (*)(UfCall& call, std::string& result);

struct UfKey {
  char key;
  UfFunction function;
};

// The key tables (uf_dispatch.cc): first level, `+` second level, `+9`
// utilities. Letters are matched without regard to ASCII case.
std::span<const UfKey> UniforKeys();
std::span<const UfKey> UniforPlusKeys();
std::span<const UfKey> UniforPlusNineKeys();

// Runs `text[0]` of `table` with the rest of `text`; an unknown key or an
// empty text gives an empty result and 0.
int32_t DispatchKey(std::span<const UfKey> table, UfCall& call, std::string_view text,
                    std::string& result);

// ---- Argument helpers (uf_helpers.cc) ----

// ASCII letters upper-cased through the engine's upper-case table; bytes from
// 128 up are kept, so UTF-8 text stays intact.
std::string UpperAscii(const CharTables& tables, std::string_view text);
char UpperAsciiChar(char c);
// Characters [offset, offset + count) of a UTF-8 text; `count` < 0 means to
// the end. Offsets past the end give the empty text.
std::string_view Utf8Slice(std::string_view text, int64_t offset, int64_t count = -1);
// The decimal digits at the start of `text` (no sign) as a number, capped at
// kMaxParsedNumber; nullopt when `text` does not start with a digit.
// `used` receives the number of bytes read.
inline constexpr int64_t kMaxParsedNumber = 1'000'000'000;
std::optional<int64_t> LeadingNumber(std::string_view text, size_t* used = nullptr);
// The whole text as a signed decimal integer (surrounding blanks allowed).
std::optional<int64_t> WholeNumber(std::string_view text);
// Lines of a text split at CR LF, CR or LF.
std::vector<std::string> TextLines(std::string_view text);
// A file of the current database's directory, as stored (ANSI); nullopt when
// there is no file reader or the file cannot be read.
std::optional<std::string> ReadDatabaseFile(const UfCall& call, std::string_view name);
// A menu: pairs of lines, code then value, up to a line that starts with
// "*****" (the menu end mark). Texts stay ANSI.
std::vector<std::pair<std::string, std::string>> MenuPairs(std::string_view fileText);
// The lines of the global variables `first`..`first + count - 1` (clipped to
// the list; nothing for a negative index).
std::vector<std::string> GlobalLines(const FormatEngine& engine, int64_t first, int64_t count);
// Sets variable `index` (>= 0) to `text`, extending the list with empty
// variables as needed. Indexes beyond kMaxGlobalVariable are ignored.
inline constexpr int64_t kMaxGlobalVariable = 100000;
void SetGlobal(FormatEngine& engine, int64_t index, std::string text);
// The selector that keys `A`, `P` and `1` share: tag (or variable number),
// `^` code, `*` offset, `.` length, `#` occurrence.
struct FieldSelector {
  int32_t tag = 0;
  char code = 0;  // 0 = whole value
  int64_t offset = 0;
  int64_t length = -1;                // -1 = to the end
  std::optional<int64_t> occurrence;  // nullopt = the iteration number
  bool last = false;                  // `#*`
};
FieldSelector ParseFieldSelector(std::string_view text);
// Offset and length of the selector applied to a value.
std::string ApplyOffsetLength(const FieldSelector& selector, std::string_view value);
// The value of a field or of one of its subfields.
std::string FieldPart(std::string_view value, char code);
// Joins texts with `separator`.
std::string JoinTexts(const std::vector<std::string>& texts, std::string_view separator);
// Compares two UTF-8 texts by the Unicode collation order (root locale).
int CollateUtf8(std::string_view a, std::string_view b);

// ---- Key functions, by theme ----

// uf_text.cc
int32_t UfRemoveQuotes(UfCall& call, std::string& result);     // 9
int32_t UfMaskMatch(UfCall& call, std::string& result);        // =
int32_t UfWordKey(UfCall& call, std::string& result);          // B
int32_t UfCheckDigits(UfCall& call, std::string& result);      // C
int32_t UfBeforeBlank(UfCall& call, std::string& result);      // E
int32_t UfAfterBlank(UfCall& call, std::string& result);       // F
int32_t UfFindPart(UfCall& call, std::string& result);         // G
int32_t UfLowerCase(UfCall& call, std::string& result);        // Q
int32_t UfRandom(UfCall& call, std::string& result);           // R
int32_t UfInList(UfCall& call, std::string& result);           // W
int32_t UfStripTags(UfCall& call, std::string& result);        // X
int32_t UfInitials(UfCall& call, std::string& result);         // ,
int32_t UfTidyPoints(UfCall& call, std::string& result);       // .
int32_t UfFlagTidy(UfCall& call, std::string& result);         // !
int32_t UfFlagBrackets(UfCall& call, std::string& result);     // [
int32_t UfFlagRtf(UfCall& call, std::string& result);          // +F
int32_t UfByteSum(UfCall& call, std::string& result);          // +B
int32_t UfBeforeLastPoint(UfCall& call, std::string& result);  // +R
int32_t UfCollapseBlanks(UfCall& call, std::string& result);   // ++
int32_t UfServerOnly(UfCall& call, std::string& result);       // 2 4 7 D J L +P +X ...

// uf_codes.cc
int32_t UfBracketParts(UfCall& call, std::string& result);   // H
int32_t UfTransliterate(UfCall& call, std::string& result);  // T
int32_t UfGroupsOfThree(UfCall& call, std::string& result);  // +H
int32_t UfAlternatives(UfCall& call, std::string& result);   // +S
int32_t UfRtfLink(UfCall& call, std::string& result);        // +I
int32_t UfBackslashes(UfCall& call, std::string& result);    // +backslash
int32_t UfNextCode(UfCall& call, std::string& result);       // +C
int32_t UfCodePage(UfCall& call, std::string& result);       // +Z
int32_t UfUrlCoding(UfCall& call, std::string& result);      // +3
std::string RomanFromInt(int64_t value);
int64_t IntFromRoman(std::string_view text);

// uf_fields.cc
int32_t UfRtfDump(UfCall& call, std::string& result);          // 0
int32_t UfExtract(UfCall& call, std::string& result);          // A
int32_t UfDistinct(UfCall& call, std::string& result);         // P
int32_t UfSortField(UfCall& call, std::string& result);        // M
int32_t UfRecordText(UfCall& call, std::string& result);       // +0
int32_t UfFieldByPos(UfCall& call, std::string& result);       // +4
int32_t UfNotDeleted(UfCall& call, std::string& result);       // +6
int32_t UfDatabase(UfCall& call, std::string& result);         // +D
int32_t UfFieldNumber(UfCall& call, std::string& result);      // +E
int32_t UfReplace991(UfCall& call, std::string& result);       // +M
int32_t UfCountContaining(UfCall& call, std::string& result);  // +N
int32_t UfPlace(UfCall& call, std::string& result);            // 1
std::string SelectValue(const UfCall& call, char source, const FieldSelector& selector);

// uf_dates.cc
int32_t UfDates(UfCall& call, std::string& result);  // 3

// uf_menus.cc
int32_t UfMenuFirst(UfCall& call, std::string& result);       // K
int32_t UfMenuAll(UfCall& call, std::string& result);         // +O
int32_t UfMenuRange(UfCall& call, std::string& result);       // +K
int32_t UfMenuPrefixes(UfCall& call, std::string& result);    // +L
int32_t UfIssuesCumulate(UfCall& call, std::string& result);  // U
int32_t UfIssuesExpand(UfCall& call, std::string& result);    // V
int32_t UfFileEntries(UfCall& call, std::string& result);     // +5
int32_t UfConfiguration(UfCall& call, std::string& result);   // I
// Values of the menu pairs whose code equals `key` (ANSI), upper-cased first
// when `ignoreCase`; at most one when `firstOnly`. Texts stay ANSI.
std::vector<std::string> MenuLookup(const std::vector<std::pair<std::string, std::string>>& menu,
                                    std::string_view ansiKey, bool ignoreCase, bool firstOnly);

// uf_globals.cc
int32_t UfGlobals(UfCall& call, std::string& result);          // +1
int32_t UfGlobalsByNumber(UfCall& call, std::string& result);  // +7
int32_t UfCounter(UfCall& call, std::string& result);          // S
int32_t UfAppendGlobals(UfCall& call, std::string& result);    // +9 9

// uf_utilities.cc (`+9` sub-keys)
int32_t UfUtilities(UfCall& call, std::string& result);  // +9

// uf_files.cc
int32_t UfNestedFormat(UfCall& call, std::string& result);   // 6
int32_t UfStartProgram(UfCall& call, std::string& result);   // +2
int32_t UfLibraryCall(UfCall& call, std::string& result);    // +8
int32_t UfResource(UfCall& call, std::string& result);       // +9 C
int32_t UfWriteResource(UfCall& call, std::string& result);  // +9 D
int32_t UfFileToUrl(UfCall& call, std::string& result);      // +9 J
int32_t UfDeleteFiles(UfCall& call, std::string& result);    // +9 K

// uf_holdings.cc
int32_t UfHoldings(UfCall& call, std::string& result);      // O
int32_t UfAvailable(UfCall& call, std::string& result);     // Y
int32_t UfExpandCopies(UfCall& call, std::string& result);  // Z

// uf_marc.cc
int32_t UmarciFunction(BuiltinCall& call, std::string& result);

// uf_dispatch.cc
int32_t UniforFunction(BuiltinCall& call, std::string& result);

}  // namespace talor

#endif  // TALOR_FORMAT_UF_LIBRARY_H_
