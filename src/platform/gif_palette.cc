#include "platform/gif_palette.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace talor {
namespace {

using UseCounts = std::array<uint64_t, kMaxGifColours>;

UseCounts CountUses(const GifPicture& picture) {
  UseCounts uses{};
  for (uint8_t index : picture.indices) ++uses[index];
  return uses;
}

uint64_t Distance(GifColour a, GifColour b) {
  auto square = [](int d) { return static_cast<uint64_t>(d * d); };
  return square(a.red - b.red) + square(a.green - b.green) + square(a.blue - b.blue);
}

// The entry other than `entry` and the transparent one whose colour is
// nearest to `entry`'s; -1 when there is none.
int NearestOther(const GifPicture& picture, int entry) {
  int nearest = -1;
  uint64_t best = std::numeric_limits<uint64_t>::max();
  for (int i = 0; i < static_cast<int>(picture.palette.size()); ++i) {
    if (i == entry || i == picture.TransparentIndex()) continue;
    uint64_t distance = Distance(picture.palette[i], picture.palette[entry]);
    if (distance < best) {
      best = distance;
      nearest = i;
    }
  }
  return nearest;
}

// Repaints the pixels of the entry that costs least to give up with their
// nearest other colour and returns that entry; -1 when none can be freed.
int FreeCheapestEntry(GifPicture& picture, const UseCounts& uses) {
  int cheapest = -1;
  int replacement = -1;
  uint64_t bestCost = std::numeric_limits<uint64_t>::max();
  for (int entry = 0; entry < static_cast<int>(picture.palette.size()); ++entry) {
    if (entry == picture.TransparentIndex()) continue;
    int nearest = NearestOther(picture, entry);
    if (nearest < 0) continue;
    uint64_t cost = uses[entry] * Distance(picture.palette[entry], picture.palette[nearest]);
    if (cost < bestCost) {
      bestCost = cost;
      cheapest = entry;
      replacement = nearest;
    }
  }
  if (cheapest < 0) return -1;
  std::replace(picture.indices.begin(), picture.indices.end(), static_cast<uint8_t>(cheapest),
               static_cast<uint8_t>(replacement));
  return cheapest;
}

int ChooseEntry(GifPicture& picture, GifColour colour, const UseCounts& uses) {
  const int size = static_cast<int>(picture.palette.size());
  const int transparent = picture.TransparentIndex();
  for (int i = 0; i < size; ++i) {
    if (i != transparent && picture.palette[i] == colour) return i;
  }
  for (int i = 0; i < size; ++i) {
    if (i != transparent && uses[i] == 0) return i;
  }
  if (size < kMaxGifColours) {
    picture.palette.push_back(colour);
    return size;
  }
  return FreeCheapestEntry(picture, uses);
}

}  // namespace

int MakePaletteEntry(GifPicture& picture, GifColour colour) {
  UseCounts uses = CountUses(picture);
  size_t used = 0;
  for (size_t i = 0; i < uses.size(); ++i) {
    if (uses[i] != 0) used = i + 1;
  }
  if (picture.palette.size() < used) picture.palette.resize(used, GifColour{});
  int entry = ChooseEntry(picture, colour, uses);
  if (entry >= 0) picture.palette[entry] = colour;
  return entry;
}

}  // namespace talor
