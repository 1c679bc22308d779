// What the catalogue server's negative return codes (and the client's own
// codes for answers it cannot use) mean, in words a reader understands.

#ifndef TALOR_CLIENT_SERVER_CODES_H_
#define TALOR_CLIENT_SERVER_CODES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/string_list.h"

namespace talor {

// The Russian meaning of `code`; empty for a code the table does not know.
std::string_view ServerCodeMeaning(int32_t code);

// The negative return code in line 0 of `answer`; nullopt when the answer is
// empty or its line 0 is not a negative integer.
std::optional<int32_t> AnswerErrorCode(const StringList& answer);

// "<meaning> (код N)", or "код N" for an unknown code.
std::string DescribeServerCode(int32_t code);

}  // namespace talor

#endif  // TALOR_CLIENT_SERVER_CODES_H_
