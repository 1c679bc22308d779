// Post-processing of a finished output: the bracket markup ([[b]]...[[/b]])
// rewritten as HTML or RTF, bracketed record numbers turned into link tags,
// and the passes a format can ask for (RTF removal, punctuation tidying,
// removal of double-bracketed text). Each works on the output after its first
// "&&&&&" marker, or on the whole output when there is none.

#ifndef TALOR_FORMAT_MARKUP_H_
#define TALOR_FORMAT_MARKUP_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace talor {

inline constexpr std::string_view kOutputMarker = "&&&&&";

enum class OutputKind : uint8_t { kNone, kHtml, kRtf };

// The kind of document `output` holds after its first marker: `{` is RTF,
// "</>" is HTML, anything else (or fewer than five characters) none.
OutputKind DetectOutputKind(std::string_view output);

// Rewrites the bracket markup. When a conversion takes place the text up to
// and including the marker is dropped; in RTF with a colour the colour table
// is inserted after the first `{`. Returns true when it converted.
bool ConvertMarkup(std::string& output);

// Replaces "[[n]]" (n a positive number) after the marker by a record link
// of record `mfn` (HTML) or " ... " (RTF); other outputs are left alone.
void LinkRecordNumbers(std::string& output, int32_t mfn);

// RTF control words and braces removed (then the last character).
std::string RemoveRtf(std::string_view text);
// Doubled points and stray ". - " separators tidied.
std::string TidyPunctuation(std::string_view text);
// Every "[[...]]" removed; an unclosed "[[" stays.
std::string RemoveDoubleBrackets(std::string_view text);

}  // namespace talor

#endif  // TALOR_FORMAT_MARKUP_H_
