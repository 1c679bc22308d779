// The window page as the browser receives it: its captions and hints resolved
// from the message file and the configured font put on its text controls.
//
// The page (src/ui/web/index.html) writes its texts as message references
// (`@1249`); ApplyMessageTexts walks the page's control tree, depth first,
// and replaces every attribute value and text that is a reference by the
// message's line, keeping it when the message file has no such line. The
// page frame (an IFRAME) is skipped with everything inside it, as the page
// shown in it is the catalogue's, not the window's.

#ifndef TALOR_UI_WINDOW_TEXTS_H_
#define TALOR_UI_WINDOW_TEXTS_H_

#include <libxml/tree.h>

#include <string>
#include <string_view>

#include "shell/locations.h"
#include "shell/messages.h"

namespace talor {

// Resolves the references below `root`. Returns the number replaced.
int ApplyMessageTexts(xmlNode* root, const Messages& messages);

// Puts the font face on the text controls as a style rule of the page. The
// Windows character set has no counterpart in a browser: the page is UTF-8,
// so every character of the message file shows whatever the set.
void ApplyFormFont(xmlDoc* doc, const FormFont& font);

// `html` (the window page, UTF-8) with both applied.
std::string PrepareWindowPage(std::string_view html, const Messages& messages,
                              const FormFont& font);

}  // namespace talor

#endif  // TALOR_UI_WINDOW_TEXTS_H_
