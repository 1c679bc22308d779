// Text and binary resources (command L) and their cache.

#include "client/command_set.h"
#include "client/decimal.h"
#include "text/line_breaks.h"

namespace talor {
namespace {

constexpr char kReadResource = 'L';
constexpr std::string_view kCaption = "Внимание!";

// The single line of an answer that is only a negative integer.
std::optional<int32_t> NegativeCode(const StringList& result) {
  if (result.size() != 1) return std::nullopt;
  std::optional<int32_t> code = ParseDecimal(result[0].text);
  if (!code || *code >= 0) return std::nullopt;
  return code;
}

}  // namespace

ExchangeResult CommandSet::ReadTextResource(int pathNumber, std::string_view database,
                                            std::string_view fileName, StringList& result) {
  ExchangeResult outcome = Run(kReadResource, ResourcePath(pathNumber, database, fileName), result);
  if (outcome != ExchangeResult::Good) return outcome;
  if (NegativeCode(result)) return ExchangeResult::Failed;
  std::string text = result.empty() ? std::string() : result[0].text;
  DecodeLineBreaks(text);
  result.SetText(text);
  return outcome;
}

ExchangeResult CommandSet::ReadBinaryResource(int pathNumber, std::string_view database,
                                              std::string_view fileName, StringList& result,
                                              std::string& block) {
  ExchangeResult outcome =
      Run(kReadResource, ResourcePath(pathNumber, database, fileName, true), result);
  if (outcome != ExchangeResult::Good) return outcome;
  if (!transport_.binaryArrived()) return ExchangeResult::Failed;
  block = transport_.binaryBlock();
  return outcome;
}

ExchangeResult CommandSet::ReadCachedText(int pathNumber, std::string_view database,
                                          std::string_view fileName, StringList& result) {
  const std::string path = ResourcePath(pathNumber, database, fileName);
  ResourceCache& cache = transport_.resourceCache();
  if (const StringList* cached = cache.FindText(path)) {
    result = *cached;
    return ExchangeResult::Good;
  }
  ExchangeResult outcome = ReadTextResource(pathNumber, database, fileName, result);
  while (outcome == ExchangeResult::Failed) {
    std::optional<int32_t> code = NegativeCode(result);
    if (!code) break;
    const std::string question =
        "Ошибка при получении ресурса (" + std::to_string(*code) + "). Повторить?";
    if (!AskYesNo(ui_, kCaption, question)) break;
    outcome = ReadTextResource(pathNumber, database, fileName, result);
  }
  if (outcome == ExchangeResult::Good) cache.StoreText(path, result);
  if (result.size() == 1 && result[0].text.empty()) result.Clear();
  return outcome;
}

ExchangeResult CommandSet::ReadCachedBinary(int pathNumber, std::string_view database,
                                            std::string_view fileName, StringList& result,
                                            std::string& block) {
  // Cached under the path without the `@`.
  const std::string key = ResourcePath(pathNumber, database, fileName);
  ResourceCache& cache = transport_.resourceCache();
  if (const std::string* cached = cache.FindBinary(key)) {
    block = *cached;
    return ExchangeResult::Good;
  }
  ExchangeResult outcome = ReadBinaryResource(pathNumber, database, fileName, result, block);
  if (outcome == ExchangeResult::Good) cache.StoreBinary(key, block);
  return outcome;
}

}  // namespace talor
