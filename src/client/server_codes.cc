#include "client/server_codes.h"

#include "client/decimal.h"
#include "client/result_codes.h"

namespace talor {
namespace {

struct CodeMeaning {
  int32_t code;
  std::string_view meaning;
};

constexpr CodeMeaning kMeanings[] = {
    {-140, "номер записи должен быть положительным числом"},
    {-202, "такого термина нет в словаре"},
    {-300, "поисковое выражение составлено неверно"},
    {-400, "сервер не смог выполнить формат"},
    {-602, "запись заблокирована другим пользователем"},
    {kRecordAbsent, "записи с таким номером нет"},
    {kVersionConflict, "запись изменена другим пользователем после чтения"},
    {-700, "такого файла нет на сервере"},
    {-701, "путь к файлу на сервере задан неверно"},
    {-1000, "такой базы данных нет"},
    {-1001, "сервер не выполняет такую команду"},
    {-1002, "запрос к серверу составлен неверно"},
    {-1003, "запрос прерван"},
    {-1005, "сервер не смог выполнить операцию с хранилищем"},
    {kCorruptAnswer, "ответ сервера повреждён"},
    {kUnreadableAnswer, "ответ сервера не удалось прочитать"},
    {-3335, "неверное имя пользователя или пароль"},
    {-3336, "нет прав на изменение записей"},
    {-3337, "неизвестный пользователь или неверный пароль"},
    {-3338, "нет свободного места для нового сеанса"},
    {-3339, "с этого рабочего места вход запрещён"},
};

}  // namespace

std::string_view ServerCodeMeaning(int32_t code) {
  for (const CodeMeaning& row : kMeanings) {
    if (row.code == code) return row.meaning;
  }
  return {};
}

std::optional<int32_t> AnswerErrorCode(const StringList& answer) {
  if (answer.empty()) return std::nullopt;
  std::optional<int32_t> code = ParseDecimal(answer[0].text);
  if (!code || *code >= 0) return std::nullopt;
  return code;
}

std::string DescribeServerCode(int32_t code) {
  std::string_view meaning = ServerCodeMeaning(code);
  if (meaning.empty()) return "код " + std::to_string(code);
  return std::string(meaning) + " (код " + std::to_string(code) + ")";
}

}  // namespace talor
