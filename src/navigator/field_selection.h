// Field selection tables of the export and the import: lines
// "<tag> <method> <format>" that rebuild a record field by field. For every
// line with a tag above 0 the record is formatted on the client with the
// line's format, and each non-empty output line becomes a field with the
// line's tag. The method word is read and ignored. A line that begins with
// `@` stands for the lines of the table named by the rest of the line.

#ifndef TALOR_NAVIGATOR_FIELD_SELECTION_H_
#define TALOR_NAVIGATOR_FIELD_SELECTION_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/status.h"
#include "text/string_list.h"

namespace talor {

inline constexpr std::string_view kFieldSelectionExtension = ".FST";

class FieldSelectionTable {
 public:
  // Returns the lines of the table file `fileName`, or nullopt when it
  // cannot be read.
  using ReadTable = std::function<std::optional<StringList>(const std::string& fileName)>;

  // Reads the table `fileName` into `table` and, through `read`, every
  // table it includes (name + ".FST"), however deep. An error saying why in
  // Russian when a table cannot be read or includes itself.
  static Status Load(const std::string& fileName, const ReadTable& read,
                     FieldSelectionTable& table);

  // The table of `lines` as they stand; `@` lines are not followed.
  static FieldSelectionTable FromLines(const StringList& lines);

  // Replaces `rebuilt` by a new record holding the fields that the table
  // makes of `record` in `database`. Returns 0, or the error number of the
  // first format that failed (then `rebuilt` holds the fields made so far).
  int32_t Apply(StringList& record, std::string_view database, StringList& rebuilt) const;

  struct Line {
    int32_t tag = 0;
    std::string format;
    bool operator==(const Line&) const = default;
  };
  const std::vector<Line>& lines() const { return lines_; }

 private:
  Status Include(const std::string& fileName, const ReadTable& read,
                 std::vector<std::string>& open);
  void AddLine(std::string_view text);

  std::vector<Line> lines_;
};

}  // namespace talor

#endif  // TALOR_NAVIGATOR_FIELD_SELECTION_H_
