#include "format/token_cache.h"

namespace talor {

void TokenCache::Assign(std::string_view text, const CaseTable& upperCase) {
  text_.assign(text);
  upperCase_ = upperCase;
  // The reader's position runs up to two past the end of the text.
  tokenAt_.assign(text.size() + 3, -1);
  tokens_.clear();
  fieldAt_.assign(text.size() + 3, -1);
  fields_.clear();
  prefixItems_.clear();
}

void TokenCache::Store(int32_t readPos, const LexerState& after) {
  if (readPos < 0 || static_cast<size_t>(readPos) >= tokenAt_.size()) return;
  tokenAt_[static_cast<size_t>(readPos)] = static_cast<int32_t>(tokens_.size());
  tokens_.push_back(after);
}

void TokenCache::StoreField(const FieldReading& reading, std::span<const PrefixItem> items) {
  const size_t at = static_cast<size_t>(reading.start.readPos);
  if (at >= fieldAt_.size() || fieldAt_[at] >= 0) return;
  fieldAt_[at] = static_cast<int32_t>(fields_.size());
  FieldReading& kept = fields_.emplace_back(reading);
  kept.command.prefixBegin = prefixItems_.size();
  prefixItems_.insert(prefixItems_.end(), items.begin(), items.end());
  kept.command.prefixEnd = prefixItems_.size();
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
