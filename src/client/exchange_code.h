// The code pages of exchange files. Records in memory are UTF-8; an exchange
// file holds them in UTF-8, in the ANSI code page (Windows-1251) or in the OEM
// code page (CP866).

#ifndef TALOR_CLIENT_EXCHANGE_CODE_H_
#define TALOR_CLIENT_EXCHANGE_CODE_H_

#include <optional>
#include <string_view>

#include "text/string_list.h"

namespace talor {

enum class ExchangeCode { Utf8, Ansi, Oem };

// The code of an export or import parameter: a text that contains "WIN" (any
// case) is ANSI, otherwise one that contains "DOS" is OEM, anything else
// UTF-8.
ExchangeCode ExchangeCodeFromParameter(std::string_view parameter);

// The code named exactly (any case) "utf8", "win" or "dos"; nullopt for any
// other name.
std::optional<ExchangeCode> ExchangeCodeFromName(std::string_view name);

// Converts every line of `record` from UTF-8 to `code`. Characters that the
// code page lacks become `?`; returns how many did.
size_t RecodeForExport(StringList& record, ExchangeCode code);

// Converts every line of `record` from `code` to UTF-8: OEM first to ANSI,
// except the two bytes after each `&&`, which name a character set and a
// character of it rather than OEM characters; ANSI text through the
// character-set escapes (`&&`, set, character) to UTF-8, or plainly when an
// escape names an unknown set.
void RecodeForImport(StringList& record, ExchangeCode code);

}  // namespace talor

#endif  // TALOR_CLIENT_EXCHANGE_CODE_H_
