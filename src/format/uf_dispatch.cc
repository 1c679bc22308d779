#include <array>

#include "format/uf_library.h"
#include "text/encoding.h"

namespace talor {
namespace {

// The first and last characters that can select a first-level key.
constexpr char kFirstKey = '!';
constexpr char kLastKey = '[';

int32_t UfPlusKeys(UfCall& call, std::string& result) {
  return DispatchKey(UniforPlusKeys(), call, call.p, result);
}

constexpr std::array kKeys{
    UfKey{'0', UfRtfDump},       UfKey{'1', UfPlace},          UfKey{'2', UfServerOnly},
    UfKey{'3', UfDates},         UfKey{'4', UfServerOnly},     UfKey{'6', UfNestedFormat},
    UfKey{'7', UfServerOnly},    UfKey{'9', UfRemoveQuotes},   UfKey{'=', UfMaskMatch},
    UfKey{'A', UfExtract},       UfKey{'B', UfWordKey},        UfKey{'C', UfCheckDigits},
    UfKey{'D', UfServerOnly},    UfKey{'E', UfBeforeBlank},    UfKey{'F', UfAfterBlank},
    UfKey{'G', UfFindPart},      UfKey{'H', UfBracketParts},   UfKey{'I', UfConfiguration},
    UfKey{'J', UfServerOnly},    UfKey{'K', UfMenuFirst},      UfKey{'L', UfServerOnly},
    UfKey{'M', UfSortField},     UfKey{'O', UfHoldings},       UfKey{'P', UfDistinct},
    UfKey{'Q', UfLowerCase},     UfKey{'R', UfRandom},         UfKey{'S', UfCounter},
    UfKey{'T', UfTransliterate}, UfKey{'U', UfIssuesCumulate}, UfKey{'V', UfIssuesExpand},
    UfKey{'W', UfInList},        UfKey{'X', UfStripTags},      UfKey{'Y', UfAvailable},
    UfKey{'Z', UfExpandCopies},  UfKey{',', UfInitials},       UfKey{'.', UfTidyPoints},
    UfKey{'!', UfFlagTidy},      UfKey{'[', UfFlagBrackets},   UfKey{'+', UfPlusKeys},
};

constexpr std::array kPlusKeys{
    UfKey{'0', UfRecordText},      UfKey{'1', UfGlobals},         UfKey{'2', UfStartProgram},
    UfKey{'3', UfUrlCoding},       UfKey{'4', UfFieldByPos},      UfKey{'5', UfFileEntries},
    UfKey{'6', UfNotDeleted},      UfKey{'7', UfGlobalsByNumber}, UfKey{'8', UfLibraryCall},
    UfKey{'9', UfUtilities},       UfKey{'F', UfFlagRtf},         UfKey{'O', UfMenuAll},
    UfKey{'P', UfServerOnly},      UfKey{'B', UfByteSum},         UfKey{'D', UfDatabase},
    UfKey{'E', UfFieldNumber},     UfKey{'M', UfReplace991},      UfKey{'N', UfCountContaining},
    UfKey{'R', UfBeforeLastPoint}, UfKey{'H', UfGroupsOfThree},   UfKey{'S', UfAlternatives},
    UfKey{'I', UfRtfLink},         UfKey{'\\', UfBackslashes},    UfKey{'K', UfMenuRange},
    UfKey{'L', UfMenuPrefixes},    UfKey{'C', UfNextCode},        UfKey{'Z', UfCodePage},
    UfKey{'X', UfServerOnly},      UfKey{'+', UfCollapseBlanks},
};

}  // namespace

std::span<const UfKey> UniforKeys() { return kKeys; }
std::span<const UfKey> UniforPlusKeys() { return kPlusKeys; }

int32_t DispatchKey(std::span<const UfKey> table, UfCall& call, std::string_view text,
                    std::string& result) {
  if (text.empty()) return 0;
  const char key = UpperAsciiChar(text[0]);
  for (const UfKey& entry : table) {
    if (entry.key != key) continue;
    UfCall inner = call.With(text.substr(1));
    return entry.function(inner, result);
  }
  return 0;
}

int32_t UniforFunction(BuiltinCall& call, std::string& result) {
  std::string_view argument = call.argument.substr(0, kMaxArgument);
  while (!argument.empty() && (argument.back() == '\r' || argument.back() == '\n')) {
    argument.remove_suffix(1);
  }
  if (argument.empty()) return 0;
  const char key = AnsiUpperChar(argument[0]);
  if (key < kFirstKey || key > kLastKey) return 0;
  UfCall uf{call, argument};
  std::string text(argument);
  text[0] = key;
  return DispatchKey(kKeys, uf, text, result);
}

}  // namespace talor
