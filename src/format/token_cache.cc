#include "format/token_cache.h"

namespace talor {

void TokenCache::Assign(std::string_view text, const CaseTable& upperCase) {
  text_.assign(text);
  upperCase_ = upperCase;
  // The reader's position runs up to two past the end of the text.
  tokenAt_.assign(text.size() + 3, -1);
  tokens_.clear();
}

void TokenCache::Store(int32_t readPos, const LexerState& after) {
  if (readPos < 0 || static_cast<size_t>(readPos) >= tokenAt_.size()) return;
  tokenAt_[static_cast<size_t>(readPos)] = static_cast<int32_t>(tokens_.size());
  tokens_.push_back(after);
}

TokenCache* TokenCaches::Select(std::string_view text, const CaseTable& upperCase) {
  if (text.size() > kMaxCachedFormat) return nullptr;
  Entry* chosen = &entries_[0];
  for (Entry& entry : entries_) {
    if (entry.cache.Holds(text, upperCase)) {
      entry.lastUse = ++uses_;
      return &entry.cache;
    }
    if (entry.lastUse < chosen->lastUse) chosen = &entry;
  }
  chosen->cache.Assign(text, upperCase);
  chosen->lastUse = ++uses_;
  return &chosen->cache;
}

}  // namespace talor
