// Key `3`: today's date and its parts, month names, the time, and date
// arithmetic. "Now" comes from the engine's clock, the system clock when
// none was injected.

#include <array>
#include <cstdio>

#include "format/uf_library.h"
#include "text/encoding.h"
#include "text/number_text.h"

namespace talor {
namespace {

constexpr std::array<std::string_view, 12> kMonthsNominative{
    "январь", "февраль", "март",     "апрель",  "май",    "июнь",
    "июль",   "август",  "сентябрь", "октябрь", "ноябрь", "декабрь"};
constexpr std::array<std::string_view, 12> kMonthsGenitive{
    "января", "февраля", "марта",    "апреля",  "мая",    "июня",
    "июля",   "августа", "сентября", "октября", "ноября", "декабря"};
constexpr std::array<std::string_view, 12> kMonthsEnglish{
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};
constexpr std::string_view kUnknownMonth = "unknown month";
// Day counts are clamped so that dates stay within years 0..9999.
constexpr int64_t kMaxDayShift = 4'000'000;
constexpr int64_t kDaysOfYearLimit = 366;

// Days since 1970-01-01 of a civil date (proleptic Gregorian); days beyond
// the month's end simply run on into the next months.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

LocalTime CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return LocalTime{static_cast<int32_t>(y), static_cast<int32_t>(m), static_cast<int32_t>(d)};
}

// A part of YYYYMMDD; 1 when it is missing or not a number.
int64_t DatePart(std::string_view text, size_t from, size_t count) {
  if (text.size() < from + count) return 1;
  const std::optional<int64_t> value = WholeNumber(text.substr(from, count));
  return value && *value > 0 ? *value : 1;
}

int64_t DaysOf(std::string_view date) {
  const int64_t year = DatePart(date, 0, 4);
  const int64_t month = std::min<int64_t>(DatePart(date, 4, 2), 12);
  const int64_t day = std::min<int64_t>(DatePart(date, 6, 2), 31);
  return DaysFromCivil(year, month, day);
}

std::string DateText(const LocalTime& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
  return text;
}

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string MonthName(const std::array<std::string_view, 12>& names, std::string_view number) {
  const int64_t month = WholeNumber(number).value_or(0);
  if (month < 1 || month > 12) return std::string(kUnknownMonth);
  return std::string(names[static_cast<size_t>(month - 1)]);
}

// `3J`: YYYYDDD, a year and the day of that year, as YYYYMMDD.
std::string OrdinalDate(std::string_view text) {
  const int64_t year = DatePart(text, 0, 4);
  const int64_t day = std::min(DatePart(text, 4, 3), kDaysOfYearLimit);
  return DateText(CivilFromDays(DaysFromCivil(year, 1, 1) + day - 1));
}

}  // namespace

int32_t UfDates(UfCall& call, std::string& result) {
  const UniforState& state = call.engine().uniforState;
  const LocalTime now = state.clock ? state.clock() : SystemLocalTime();
  if (call.p.empty()) {
    result = DateText(now);
    return 0;
  }
  const std::string_view rest = call.p.substr(1);
  switch (UpperAsciiChar(call.p[0])) {
    case '0':
      result = DateText(now).substr(0, 4);
      break;
    case '1':
      result = TwoDigits(now.month);
      break;
    case '2':
      result = TwoDigits(now.day);
      break;
    case '3':
      result = TwoDigits(now.year % 100);
      break;
    case '4':
      result = std::to_string(now.month);
      break;
    case '5':
      result = std::to_string(now.day);
      break;
    case '6':
      result = MonthName(kMonthsNominative, rest);
      break;
    case '7':
      result = MonthName(kMonthsGenitive, rest);
      break;
    case '8':
      result = MonthName(kMonthsEnglish, rest);
      break;
    case '9':
      result = TwoDigits(now.hour) + ":" + TwoDigits(now.minute) + ":" + TwoDigits(now.second);
      break;
    case 'B': {
      const int64_t shift =
          std::clamp<int64_t>(rest.size() > 9 ? WholeNumber(rest.substr(9)).value_or(0) : 0,
                              -kMaxDayShift, kMaxDayShift);
      result =
          DateText(CivilFromDays(DaysOf(rest.substr(0, std::min<size_t>(8, rest.size()))) + shift));
      break;
    }
    case 'C': {
      const std::string_view first = rest.substr(0, std::min<size_t>(8, rest.size()));
      const std::string_view second = rest.size() > 9 ? rest.substr(9, 8) : std::string_view();
      result = std::to_string(DaysOf(first) - DaysOf(second));
      break;
    }
    case 'J':
      result = OrdinalDate(rest);
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace talor
