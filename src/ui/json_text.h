// Writing JSON text for the window: the page reads directory listings and
// core events as JSON.

#ifndef TALOR_UI_JSON_TEXT_H_
#define TALOR_UI_JSON_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talor {

// Appends `text` to `out` as a quoted JSON string. `text` is UTF-8; control
// characters, quotes and backslashes are escaped, and every byte that is not
// part of a well-formed UTF-8 sequence becomes U+FFFD, so the result is
// always valid JSON whatever the input.
void AppendJsonString(std::string& out, std::string_view text);

// `text` as a quoted JSON string.
std::string JsonString(std::string_view text);

// Builds one JSON object member by member:
//   JsonObject().String("name", n).Number("count", 2).Text()
class JsonObject {
 public:
  JsonObject& String(std::string_view key, std::string_view text);
  JsonObject& Number(std::string_view key, int64_t number);
  JsonObject& Bool(std::string_view key, bool value);
  // `json` must be a JSON value already.
  JsonObject& Raw(std::string_view key, std::string_view json);
  std::string Text() const { return text_ + '}'; }

 private:
  void Key(std::string_view key);
  std::string text_ = "{";
};

// `[item,item,...]` of JSON values.
std::string JsonArray(const std::vector<std::string>& items);

}  // namespace talor

#endif  // TALOR_UI_JSON_TEXT_H_
