// Form controls as a browser's scripts see them, and the data that
// submitting a form sends: the successful controls collected in document
// order and written as application/x-www-form-urlencoded or as
// multipart/form-data, byte for byte as a browser writes them.

#ifndef TALOR_PLATFORM_HTML_FORM_H_
#define TALOR_PLATFORM_HTML_FORM_H_

#include <libxml/tree.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talor {

// ---- controls
// An INPUT's type in lower case; "text" when it has none or one that no
// browser knows.
std::string InputType(xmlNode* input);
// The value a script reads: a TEXTAREA's text, a SELECT's selected option's
// value, an OPTION's value (its text when it has no `value` attribute), any
// other element's `value` attribute ("" when it has none).
std::string ControlValue(xmlNode* element);
// The OPTION elements of a SELECT in document order.
std::vector<xmlNode*> SelectOptions(xmlNode* select);
// The option a single-choice SELECT shows: the last one marked `selected`,
// else the first that is not disabled; null when there is none.
xmlNode* ShownOption(xmlNode* select);
// The FORM the control belongs to (its nearest FORM ancestor); null when
// there is none.
xmlNode* FormOwner(xmlNode* control);

// ---- the form data set
struct FormField {
  std::string name;
  std::string value;
};

// The successful controls of `form` in document order when `submitter` (a
// submit button or image of the form, or null) submits it: named INPUTs
// (checkboxes and radio buttons only when checked, with "on" when they have
// no value; submit buttons and images only when they are the submitter, an
// image as `name.x` and `name.y` at 0; never reset, plain buttons or file
// choosers), the submitter BUTTON, each SELECT's selected options and each
// TEXTAREA's text. Disabled controls, also those inside a disabled FIELDSET,
// and controls without a name are left out.
std::vector<FormField> CollectFormFields(xmlNode* form, xmlNode* submitter);

// name=value pairs joined by `&`; UTF-8 bytes, a blank as `+`, ASCII
// letters, digits and `*-._` as they are, every other byte as `%XX` (upper
// case). Line breaks become CR LF first.
std::string EncodeFormUrlencoded(const std::vector<FormField>& fields);

// One part per field, `--boundary` CR LF, `Content-Disposition: form-data;
// name="NAME"` CR LF, CR LF, the value, CR LF; then `--boundary--` CR LF.
// Line breaks become CR LF; in a name `"`, CR and LF are written `%22`,
// `%0D` and `%0A`.
std::string EncodeFormMultipart(const std::vector<FormField>& fields, std::string_view boundary);

// A boundary of 27 dashes, `7e8` and ten hexadecimal digits taken from
// `random`, changed until it occurs in no name or value of `fields`.
std::string MakeFormBoundary(const std::vector<FormField>& fields, uint64_t random);

}  // namespace talor

#endif  // TALOR_PLATFORM_HTML_FORM_H_
