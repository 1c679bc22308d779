// The Content-Type the window's server sends for a file, chosen by the file
// name's extension.

#ifndef TALOR_UI_CONTENT_TYPES_H_
#define TALOR_UI_CONTENT_TYPES_H_

#include <string_view>

namespace talor {

// The media type for `fileName` by its extension, compared without regard to
// ASCII case ("PAGE.HTM" is HTML). Unknown or missing extensions give
// "application/octet-stream". Text types carry no charset: catalogue pages
// name their own in a meta element.
std::string_view ContentTypeFor(std::string_view fileName);

}  // namespace talor

#endif  // TALOR_UI_CONTENT_TYPES_H_
