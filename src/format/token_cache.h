// The tokens of a format text, read once and replayed. The engine runs the
// same format over many records, and a repeat group reads its body again for
// every iteration; both would otherwise read the same tokens again.
//
// Reading a token is a function of the reading position, the format text and
// the upper-case table (the reader's look-ahead characters follow from the
// position), so the cache keeps, for every position a token was read from,
// the reader's state after that token. Replaying it gives exactly the state
// that reading would give. A token whose reading set an error is never kept:
// it is read again, and fails again, every time.
//
// Field commands, the most frequent statements, are kept the same way: the
// reader's state after a command's tail, with the command and its prefix
// items, by the state where the command began.

#ifndef TALOR_FORMAT_TOKEN_CACHE_H_
#define TALOR_FORMAT_TOKEN_CACHE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "format/char_tables.h"
#include "format/field_command.h"
#include "format/tokens.h"

namespace talor {

// A field command as read from `start`. Reading it is a function of that
// state, of whether it stands in an expression (where a `+` after it is the
// expression's) and of the line width (which bounds its indentation).
struct FieldReading {
  LexerState start;
  bool inExpression = false;
  int32_t lineWidth = 0;
  // prefixBegin and prefixEnd index the cache's prefix items.
  FieldCommand command;
  LexerState after;  // the reader's state after the command
};

// Longer format texts are read without a cache, so that a single huge
// format does not leave large buffers behind.
inline constexpr size_t kMaxCachedFormat = 64u << 10;

class TokenCache {
 public:
  // True when the cache holds the tokens of `text` read with `upperCase`.
  bool Holds(std::string_view text, const CaseTable& upperCase) const {
    return text_ == text && upperCase_ == upperCase;
  }
  // Forgets the tokens and starts over for `text`; keeps the buffers.
  void Assign(std::string_view text, const CaseTable& upperCase);

  // The reader's state after the token read from `readPos`; nullptr when
  // that token has not been kept.
  const LexerState* Find(int32_t readPos) const {
    if (readPos < 0 || static_cast<size_t>(readPos) >= tokenAt_.size()) return nullptr;
    const int32_t index = tokenAt_[static_cast<size_t>(readPos)];
    return index < 0 ? nullptr : &tokens_[static_cast<size_t>(index)];
  }
  // Keeps `after`, the state after the token read from `readPos`.
  void Store(int32_t readPos, const LexerState& after);

  // The field command read from `start` in this context; nullptr when it
  // has not been kept.
  const FieldReading* FindField(const LexerState& start, bool inExpression,
                                int32_t lineWidth) const {
    const size_t at = static_cast<size_t>(start.readPos);
    if (at >= fieldAt_.size() || fieldAt_[at] < 0) return nullptr;
    const FieldReading& reading = fields_[static_cast<size_t>(fieldAt_[at])];
    if (reading.inExpression != inExpression || reading.lineWidth != lineWidth ||
        reading.start != start) {
      return nullptr;
    }
    return &reading;
  }
  // The prefix items of a kept field command.
  std::span<const PrefixItem> PrefixItems(const FieldReading& reading) const {
    return std::span(prefixItems_)
        .subspan(reading.command.prefixBegin,
                 reading.command.prefixEnd - reading.command.prefixBegin);
  }
  // Keeps `reading` with its prefix items `items`. Only the first command
  // read from a position is kept.
  void StoreField(const FieldReading& reading, std::span<const PrefixItem> items);

 private:
  std::string text_;
  CaseTable upperCase_{};
  // By reading position: the index in tokens_, -1 when not read yet.
  std::vector<int32_t> tokenAt_;
  std::vector<LexerState> tokens_;
  // By the reading position of a command's start state: the index in
  // fields_, -1 when none is kept.
  std::vector<int32_t> fieldAt_;
  std::vector<FieldReading> fields_;
  std::vector<PrefixItem> prefixItems_;
};

// The token caches of one nesting level of format calls: a few format texts,
// the least recently used one giving way to a new text.
class TokenCaches {
 public:
  // The cache for `text` (emptied if it held another text); nullptr for a
  // text too long to cache. Valid until the next call.
  TokenCache* Select(std::string_view text, const CaseTable& upperCase);

 private:
  struct Entry {
    TokenCache cache;
    uint64_t lastUse = 0;  // the value of uses_ when last selected
  };
  std::array<Entry, 4> entries_;
  uint64_t uses_ = 0;
};

}  // namespace talor

#endif  // TALOR_FORMAT_TOKEN_CACHE_H_
