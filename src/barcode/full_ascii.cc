#include "barcode/full_ascii.h"

namespace talor {
namespace {

std::string Pair(char shift, int letter) { return {shift, static_cast<char>(letter)}; }

}  // namespace

std::string FullAsciiPair(unsigned char c) {
  if (c >= 128) return {};
  if (c == 0) return "%U";
  if (c <= 26) return Pair('$', 'A' + c - 1);
  if (c <= 31) return Pair('%', 'A' + c - 27);
  if (c == ' ' || c == '-' || c == '.') return std::string(1, static_cast<char>(c));
  if (c >= '!' && c <= ',') return Pair('/', 'A' + c - '!');
  if (c == '/') return "/O";
  if (c >= '0' && c <= '9') return std::string(1, static_cast<char>(c));
  if (c == ':') return "/Z";
  if (c >= ';' && c <= '?') return Pair('%', 'F' + c - ';');
  if (c == '@') return "%V";
  if (c >= 'A' && c <= 'Z') return std::string(1, static_cast<char>(c));
  if (c >= '[' && c <= '_') return Pair('%', 'K' + c - '[');
  if (c == '`') return "%W";
  if (c >= 'a' && c <= 'z') return Pair('+', 'A' + c - 'a');
  return Pair('%', 'P' + c - '{');  // '{' to DEL
}

}  // namespace talor
