#include "platform/html_tree.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/valid.h>
#include <libxml/xmlerror.h>

#include <cctype>
#include <climits>
#include <cstdint>

namespace talor {

namespace {

// Recover from anything, never touch the network, report nothing, keep no
// default DOCTYPE the page did not have, and lift the parser's nesting limit
// (without it a page with a few hundred unclosed tags loses its whole tail).
constexpr int kParseOptions =
    static_cast<int>(HTML_PARSE_RECOVER) | static_cast<int>(HTML_PARSE_NONET) |
    static_cast<int>(HTML_PARSE_NOERROR) | static_cast<int>(HTML_PARSE_NOWARNING) |
    static_cast<int>(HTML_PARSE_NODEFDTD) | static_cast<int>(XML_PARSE_HUGE);

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

void IgnoreGenericError(void*, const char*, ...) {}
void IgnoreStructuredError(void*, xmlErrorPtr) {}

// Some libxml2 reports (encoding and I/O errors) bypass the parser's options
// and go to the thread's generic error handler, which prints to stderr. The
// view silences both handlers while it parses and restores them afterwards.
class QuietErrors {
 public:
  QuietErrors()
      : generic_(xmlGenericError),
        genericContext_(xmlGenericErrorContext),
        structured_(xmlStructuredError),
        structuredContext_(xmlStructuredErrorContext) {
    xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
    xmlSetStructuredErrorFunc(nullptr, IgnoreStructuredError);
  }
  ~QuietErrors() {
    xmlSetGenericErrorFunc(genericContext_, generic_);
    xmlSetStructuredErrorFunc(structuredContext_, structured_);
  }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  xmlGenericErrorFunc generic_;
  void* genericContext_;
  xmlStructuredErrorFunc structured_;
  void* structuredContext_;
};

XmlDocPtr ReadHtml(const std::string& text) {
  if (text.empty() || text.size() > INT_MAX) return nullptr;
  xmlInitParser();
  QuietErrors quiet;
  return XmlDocPtr(
      htmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, "UTF-8", kParseOptions));
}

const xmlChar* Xml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

xmlNode* ChildElement(xmlNode* parent, std::string_view name) {
  for (xmlNode* child = parent->children; child != nullptr; child = child->next) {
    if (IsElement(child, name)) return child;
  }
  return nullptr;
}

void AppendChild(xmlNode* parent, xmlNode* child) {
  child->parent = parent;
  child->prev = parent->last;
  if (parent->last != nullptr) {
    parent->last->next = child;
  } else {
    parent->children = child;
  }
  parent->last = child;
}

// Gives the document an html root with a head and a body (or frameset), as
// every browser document has; the parser leaves out what the text lacked.
void EnsureSkeleton(xmlDoc* doc) {
  xmlNode* html = nullptr;
  for (xmlNode* node = doc->children; node != nullptr; node = node->next) {
    if (node->type == XML_ELEMENT_NODE) {
      html = node;
      break;
    }
  }
  if (html == nullptr) {
    html = xmlNewDocNode(doc, nullptr, Xml("html"), nullptr);
    AppendChild(reinterpret_cast<xmlNode*>(doc), html);
  }
  if (ChildElement(html, "head") == nullptr) {
    xmlNode* head = xmlNewDocNode(doc, nullptr, Xml("head"), nullptr);
    if (html->children != nullptr) {
      xmlAddPrevSibling(html->children, head);
    } else {
      AppendChild(html, head);
    }
  }
  if (ChildElement(html, "body") == nullptr && ChildElement(html, "frameset") == nullptr) {
    AppendChild(html, xmlNewDocNode(doc, nullptr, Xml("body"), nullptr));
  }
}

bool IsAsciiBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Puts the children of `node` where it stands and frees it.
void Unwrap(xmlNode* node) {
  while (xmlNode* child = node->children) {
    xmlUnlinkNode(child);
    xmlAddPrevSibling(node, child);
  }
  xmlUnlinkNode(node);
  xmlFreeNode(node);
}

// Gives `into` the attributes of `from` that it lacks, as a browser does with
// a repeated html or body start tag.
void MergeAttributes(const xmlNode* from, xmlNode* into) {
  for (const xmlAttr* attribute = from->properties; attribute != nullptr;
       attribute = attribute->next) {
    std::string_view name(reinterpret_cast<const char*>(attribute->name));
    if (FindAttribute(into, name) == nullptr)
      SetAttributeValue(into, name, AttributeText(attribute));
  }
}

bool StaysBesideBody(const xmlNode* node) {
  if (node->type == XML_ELEMENT_NODE) return IsElement(node, "head");
  if (node->type != XML_TEXT_NODE) return true;
  for (const xmlChar* c = node->content; c != nullptr && *c != 0; ++c)
    if (!IsAsciiBlank(static_cast<char>(*c))) return false;
  return true;
}

// libxml2 keeps an html, head or body start tag met out of place as an
// element where it stands (a body inside head, an html inside an element).
// HTML cannot write such a tree: each reading of the written text would
// move it again, so the core's document, a saved page and the window's
// mirror would disagree. The tree is put in the shape a browser builds: the
// misplaced tags' contents stay where they stood, and what stands beside
// head and body moves into body.
void RepairSkeleton(xmlDoc* doc) {
  xmlNode* html = xmlDocGetRootElement(doc);
  if (!IsElement(html, "html")) return;
  xmlNode* head = ChildElement(html, "head");
  xmlNode* body = ChildElement(html, "body");
  std::vector<xmlNode*> misplaced;
  for (xmlNode* node = NextInOrder(html, html); node != nullptr; node = NextInOrder(node, html)) {
    bool document = IsElement(node, "html") || IsElement(node, "head") || IsElement(node, "body");
    if (document && node != head && node != body) misplaced.push_back(node);
  }
  for (xmlNode* node : misplaced) {
    if (IsElement(node, "html")) MergeAttributes(node, html);
    if (IsElement(node, "body") && body != nullptr) MergeAttributes(node, body);
    Unwrap(node);
  }
  if (body == nullptr) return;  // a frameset document
  xmlNode* bodyStart = body->children;
  bool pastBody = false;
  for (xmlNode *node = html->children, *next; node != nullptr; node = next) {
    next = node->next;
    pastBody = pastBody || node == body;
    if (node == body || StaysBesideBody(node)) continue;
    xmlUnlinkNode(node);
    if (!pastBody && bodyStart != nullptr) {
      xmlAddPrevSibling(bodyStart, node);
    } else {
      xmlAddChild(body, node);
    }
  }
}

// The length of the valid UTF-8 sequence at text[at], 0 when it is invalid.
size_t SequenceLength(std::string_view text, size_t at) {
  static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
  uint32_t code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (code < kSmallest[length] || code > 0x10FFFF || surrogate) return 0;
  return length;
}

// A copy of one node without its children; null for kinds that are not kept.
xmlNode* CopyShallow(xmlDoc* doc, xmlNode* node) {
  switch (node->type) {
    case XML_ELEMENT_NODE: {
      xmlNode* copy = xmlNewDocNode(doc, nullptr, node->name, nullptr);
      for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
        if (attribute->children == nullptr) {
          xmlNewProp(copy, attribute->name, nullptr);
        } else {
          std::string value = AttributeText(attribute);
          xmlNewProp(copy, attribute->name, Xml(value.c_str()));
        }
      }
      return copy;
    }
    case XML_TEXT_NODE:
      return xmlNewDocText(doc, node->content);
    case XML_CDATA_SECTION_NODE:
      return xmlNewCDataBlock(doc, node->content, xmlStrlen(node->content));
    case XML_COMMENT_NODE:
      return xmlNewDocComment(doc, node->content);
    case XML_PI_NODE:
      return xmlNewDocPI(doc, node->name, node->content);
    case XML_ENTITY_REF_NODE:
      return xmlNewReference(doc, node->name);
    default:
      return nullptr;
  }
}

bool HasWalkableChildren(const xmlNode* node) {
  return node->children != nullptr &&
         (node->type == XML_ELEMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE ||
          node->type == XML_DOCUMENT_NODE);
}

}  // namespace

XmlDocPtr ParseHtmlDocument(std::string_view utf8Html) {
  XmlDocPtr doc = ReadHtml(RepairUtf8(utf8Html));
  if (doc == nullptr) doc.reset(htmlNewDocNoDtD(nullptr, nullptr));
  EnsureSkeleton(doc.get());
  RepairSkeleton(doc.get());
  return doc;
}

XmlDocPtr NewBlankDocument() { return ParseHtmlDocument({}); }

std::vector<XmlNodePtr> ParseHtmlFragment(xmlDoc* doc, std::string_view utf8Html) {
  std::vector<XmlNodePtr> nodes;
  if (utf8Html.empty()) return nodes;
  // Inside an open body the parser keeps bare text bare; alone it would wrap
  // it in an implied paragraph.
  XmlDocPtr parsed = ReadHtml("<html><body>" + RepairUtf8(utf8Html));
  if (parsed == nullptr) return nodes;
  xmlNode* html = xmlDocGetRootElement(parsed.get());
  xmlNode* body = html != nullptr ? ChildElement(html, "body") : nullptr;
  if (body == nullptr) return nodes;
  auto take = [&](xmlNode* first) {
    for (xmlNode* node = first; node != nullptr; node = node->next) {
      if (XmlNodePtr copy = CopyNodeInto(doc, node)) nodes.push_back(std::move(copy));
    }
  };
  take(body->children);
  // Markup that closed the body early leaves the rest after it.
  take(body->next);
  return nodes;
}

std::string RepairUtf8(std::string_view text) {
  std::string repaired;
  repaired.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    size_t length = SequenceLength(text, at);
    if (length == 0) {
      repaired += kReplacementCharacter;
      ++at;
    } else {
      repaired.append(text.substr(at, length));
      at += length;
    }
  }
  return repaired;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    size_t length = SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

xmlNode* NextInOrder(xmlNode* node, xmlNode* root) {
  if (HasWalkableChildren(node)) return node->children;
  return NextSkippingChildren(node, root);
}

xmlNode* NextSkippingChildren(xmlNode* node, xmlNode* root) {
  while (node != nullptr && node != root) {
    if (node->next != nullptr) return node->next;
    node = node->parent;
  }
  return nullptr;
}

xmlNode* FirstElementNamed(xmlNode* root, std::string_view name) {
  for (xmlNode* node = NextInOrder(root, root); node; node = NextInOrder(node, root)) {
    if (IsElement(node, name)) return node;
  }
  return nullptr;
}

xmlNode* AncestorNamed(xmlNode* node, std::string_view name) {
  for (xmlNode* up = node->parent; up != nullptr; up = up->parent) {
    if (IsElement(up, name)) return up;
  }
  return nullptr;
}

bool SameName(const xmlChar* name, std::string_view other) {
  if (name == nullptr) return false;
  size_t k = 0;
  for (; name[k] != 0; ++k) {
    if (k == other.size()) return false;
    auto a = static_cast<unsigned char>(name[k]);
    auto b = static_cast<unsigned char>(other[k]);
    if (a != b && std::tolower(a) != std::tolower(b)) return false;
  }
  return k == other.size();
}

bool IsElement(const xmlNode* node, std::string_view name) {
  return node != nullptr && node->type == XML_ELEMENT_NODE && SameName(node->name, name);
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

xmlAttr* FindAttribute(xmlNode* element, std::string_view name) {
  if (element == nullptr || element->type != XML_ELEMENT_NODE) return nullptr;
  for (xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
    if (SameName(attribute->name, name)) return attribute;
  }
  return nullptr;
}

std::string AttributeText(const xmlAttr* attribute) {
  std::string value;
  for (const xmlNode* part = attribute->children; part != nullptr; part = part->next) {
    if (part->content != nullptr) value += reinterpret_cast<const char*>(part->content);
  }
  return value;
}

std::optional<std::string> AttributeValue(xmlNode* element, std::string_view name) {
  const xmlAttr* attribute = FindAttribute(element, name);
  if (attribute == nullptr) return std::nullopt;
  return AttributeText(attribute);
}

void SetAttributeValue(xmlNode* element, std::string_view name, std::string_view value) {
  std::string text(value);
  xmlAttr* attribute = FindAttribute(element, name);
  if (attribute == nullptr) {
    // xmlNewProp stores the value as one text node, uninterpreted, and does
    // not read a colon in the name as a namespace prefix.
    xmlNewProp(element, Xml(LowerAscii(name).c_str()), Xml(text.c_str()));
    return;
  }
  // The document's ID table is keyed by the old value; drop the entry before
  // the value changes, so that freeing the attribute later finds no stale key.
  if (attribute->atype == XML_ATTRIBUTE_ID) xmlRemoveID(element->doc, attribute);
  xmlFreeNodeList(attribute->children);
  xmlNode* content = xmlNewDocText(element->doc, Xml(text.c_str()));
  content->parent = reinterpret_cast<xmlNode*>(attribute);
  attribute->children = content;
  attribute->last = content;
}

void RemoveAttribute(xmlNode* element, std::string_view name) {
  if (xmlAttr* attribute = FindAttribute(element, name)) xmlRemoveProp(attribute);
}

bool IsValidAttributeName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '/' ||
        c == '=') {
      return false;
    }
  }
  return true;
}

std::string TextContent(xmlNode* node) {
  std::string text;
  for (xmlNode* part = node; part != nullptr; part = NextInOrder(part, node)) {
    bool isText = part->type == XML_TEXT_NODE || part->type == XML_CDATA_SECTION_NODE;
    if (isText && part->content != nullptr) text += reinterpret_cast<const char*>(part->content);
  }
  return text;
}

std::string CollapseWhitespace(std::string_view text) {
  std::string collapsed;
  bool pendingBlank = false;
  for (char c : text) {
    if (IsAsciiBlank(c)) {
      pendingBlank = !collapsed.empty();
      continue;
    }
    if (pendingBlank) collapsed += ' ';
    pendingBlank = false;
    collapsed += c;
  }
  return collapsed;
}

XmlNodePtr CopyNodeInto(xmlDoc* doc, xmlNode* node) {
  XmlNodePtr top(CopyShallow(doc, node));
  if (top == nullptr || node->type != XML_ELEMENT_NODE) return top;
  // Walk the source subtree and mirror each step in the copy: `into` is the
  // copy of the source node whose children are being copied.
  xmlNode* into = top.get();
  xmlNode* source = node->children;
  while (source != nullptr) {
    xmlNode* copy = CopyShallow(doc, source);
    if (copy != nullptr) AppendChild(into, copy);
    if (copy != nullptr && source->type == XML_ELEMENT_NODE && source->children != nullptr) {
      into = copy;
      source = source->children;
      continue;
    }
    while (source != node && source->next == nullptr) {
      source = source->parent;
      into = into->parent;
    }
    source = source == node ? nullptr : source->next;
  }
  return top;
}

}  // namespace talor
