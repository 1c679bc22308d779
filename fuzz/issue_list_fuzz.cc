// NormalizeIssueList on arbitrary lists, with and without month names: it
// must never fail, and each mode must leave its own output unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/issue_list.h"

namespace {

const talor::StringList& Months() {
  static const talor::StringList months{{"Jan"}, {"Feb"}, {"Mar"}, {"Apr"}, {"May"}, {"Jun"},
                                        {"Jul"}, {"Aug"}, {"Sep"}, {"Oct"}, {"Nov"}, {"Dec"}};
  return months;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the mode and whether month names are given.
  bool cumulate = (data[0] & 1) != 0;
  const talor::StringList none;
  const talor::StringList& months = (data[0] & 2) != 0 ? Months() : none;
  std::string_view list(reinterpret_cast<const char*>(data + 1), size - 1);
  auto mode = cumulate ? talor::IssueListMode::Cumulate : talor::IssueListMode::Expand;
  std::string once = talor::NormalizeIssueList(months, list, mode);
  if (talor::NormalizeIssueList(months, once, mode) != once) std::abort();
  return 0;
}
