// The libxml2 side of the HTML page view: owning pointers to documents and
// nodes, the parsing of whole documents and of fragments, and the few tree
// operations the view needs. Nothing here recurses over the tree, so a
// deeply nested page cannot exhaust the stack.
//
// Element and attribute names of a parsed document are lower case (the
// parser folds them); every lookup here compares names without regard to
// ASCII case all the same, so names set by hand match too.

#ifndef TALOR_PLATFORM_HTML_TREE_H_
#define TALOR_PLATFORM_HTML_TREE_H_

#include <libxml/tree.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talor {

struct XmlDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocFree>;

// A node that is not linked into any tree (xmlFreeNode frees its subtree).
struct XmlNodeFree {
  void operator()(xmlNode* node) const { xmlFreeNode(node); }
};
using XmlNodePtr = std::unique_ptr<xmlNode, XmlNodeFree>;

// Parses UTF-8 HTML text into a document. Invalid UTF-8 sequences read as
// U+FFFD; a charset named inside the text is ignored. The parser recovers
// from any markup, reads nothing from the network and reports nothing. The
// result always has an HTML root element with a HEAD and, unless it holds a
// FRAMESET, a BODY; text that parses to nothing gives that empty skeleton.
XmlDocPtr ParseHtmlDocument(std::string_view utf8Html);

// The empty document: html, head and body.
XmlDocPtr NewBlankDocument();

// Parses UTF-8 HTML as the content of a BODY (text stays bare text, not a
// paragraph) and returns the resulting top-level nodes, created in `doc`
// but not linked into it, in order. Empty text gives no nodes.
std::vector<XmlNodePtr> ParseHtmlFragment(xmlDoc* doc, std::string_view utf8Html);

// Replaces each invalid UTF-8 sequence (bad lead byte, missing or extra
// continuation byte, overlong form, surrogate, above U+10FFFF) by U+FFFD.
std::string RepairUtf8(std::string_view text);
bool IsValidUtf8(std::string_view text);

// ---- traversal
// The node that follows `node` in document order (its first child first)
// without leaving the subtree of `root`; null after the subtree's last node.
// `root` may be the document itself (cast to xmlNode*).
xmlNode* NextInOrder(xmlNode* node, xmlNode* root);
// Like NextInOrder but skips the children of `node`.
xmlNode* NextSkippingChildren(xmlNode* node, xmlNode* root);
// The first element below `root` (not `root` itself) named `name`; null when
// there is none.
xmlNode* FirstElementNamed(xmlNode* root, std::string_view name);
// The nearest ancestor (not `node` itself) named `name`; null when none.
xmlNode* AncestorNamed(xmlNode* node, std::string_view name);

// ---- names and attributes
// True when `node` is an element whose name equals `name` without regard to
// ASCII case.
bool IsElement(const xmlNode* node, std::string_view name);
bool SameName(const xmlChar* name, std::string_view other);
std::string LowerAscii(std::string_view text);
xmlAttr* FindAttribute(xmlNode* element, std::string_view name);
// The value of an attribute; "" for one written without a value.
std::string AttributeText(const xmlAttr* attribute);
// nullopt when the element has no such attribute.
std::optional<std::string> AttributeValue(xmlNode* element, std::string_view name);
// Sets the value byte for byte (no entity is interpreted); a new attribute
// gets `name` in lower case.
void SetAttributeValue(xmlNode* element, std::string_view name, std::string_view value);
void RemoveAttribute(xmlNode* element, std::string_view name);
// True for a name the serialiser can write back: not empty, no blank,
// control character, quote, `<`, `>`, `/` or `=`.
bool IsValidAttributeName(std::string_view name);

// ---- text
// The concatenated text of every text node below `node` (or of `node` itself
// when it is text).
std::string TextContent(xmlNode* node);
// Trims ASCII whitespace and collapses each inner run to one blank.
std::string CollapseWhitespace(std::string_view text);

// ---- copying
// A deep copy of `node` made in `doc` (element, text, CDATA, comment,
// processing instruction, entity reference; null for other kinds).
XmlNodePtr CopyNodeInto(xmlDoc* doc, xmlNode* node);

}  // namespace talor

#endif  // TALOR_PLATFORM_HTML_TREE_H_
