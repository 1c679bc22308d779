// Writes a libxml2 HTML tree back as HTML text, in UTF-8.
//
// libxml2's own HTML output percent-escapes some attribute values (href,
// src, action, name), which would change the search keys that pseudo-URLs
// carry. This writer changes nothing: attribute values come out byte for
// byte, with only `&` written `&amp;` and `"` written `&quot;`, so that
// parsing the output gives the same values again.
//
// Rules: elements and attributes in their parsed (lower) case and order;
// every attribute value in double quotes, an attribute that has no value at
// all as its bare name; text with `&`, `<` and `>` escaped; the content of
// SCRIPT and STYLE raw; void elements (br, img, input, meta, link, hr, area,
// base, col, embed, param, source, track, wbr) without an end tag (should
// the parser have put anything inside one, it follows the start tag);
// comments, processing instructions and the DOCTYPE kept.

#ifndef TALOR_PLATFORM_HTML_SERIALIZER_H_
#define TALOR_PLATFORM_HTML_SERIALIZER_H_

#include <libxml/tree.h>

#include <string>
#include <string_view>

namespace talor {

// Every node of the document, DOCTYPE included.
std::string SerializeDocument(xmlDoc* doc);

// Changes a copy of the document as it is written, leaving the tree alone:
// the browser window's mirror of a page carries ids and served addresses
// that the core's own document must never see.
class SerializeEditor {
 public:
  virtual ~SerializeEditor() = default;
  // May change `value`, the text of the attribute `name` (lower case) of
  // `element`, before it is written.
  virtual void EditAttribute(const xmlNode* element, std::string_view name, std::string& value) {
    (void)element, (void)name, (void)value;
  }
  // Appends whole attributes (" name=\"value\"") after those of `element`.
  virtual void AppendAttributes(const xmlNode* element, std::string& out) {
    (void)element, (void)out;
  }
  // Appends markup right after the start tag of `element`.
  virtual void AfterStartTag(const xmlNode* element, std::string& out) { (void)element, (void)out; }
};

// The document as SerializeDocument writes it, changed by `editor`.
std::string SerializeDocument(xmlDoc* doc, SerializeEditor& editor);
// The node and its subtree (an element's outer HTML).
std::string SerializeOuter(xmlNode* node);
// The node's children (an element's inner HTML).
std::string SerializeInner(xmlNode* node);

}  // namespace talor

#endif  // TALOR_PLATFORM_HTML_SERIALIZER_H_
