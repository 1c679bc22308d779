#include "platform/html_serializer.h"

#include <libxml/tree.h>

#include <array>
#include <string_view>

#include "platform/html_tree.h"

namespace talor {

namespace {

constexpr std::array<std::string_view, 14> kVoidElements = {
    "area",  "base", "br",   "col",   "embed",  "hr",    "img",
    "input", "link", "meta", "param", "source", "track", "wbr"};

constexpr std::array<std::string_view, 2> kRawTextElements = {"script", "style"};

template <size_t N>
bool NamedOneOf(const xmlNode* node, const std::array<std::string_view, N>& names) {
  for (std::string_view name : names) {
    if (IsElement(node, name)) return true;
  }
  return false;
}

std::string_view Text(const xmlChar* text) {
  return text == nullptr ? std::string_view() : reinterpret_cast<const char*>(text);
}

void AppendEscaped(std::string& out, std::string_view text, bool inAttribute) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += inAttribute ? "&quot;" : "\"";
        break;
      case '<':
        out += inAttribute ? "<" : "&lt;";
        break;
      case '>':
        out += inAttribute ? ">" : "&gt;";
        break;
      default:
        out += c;
    }
  }
}

void AppendDoctype(std::string& out, const xmlDtd* dtd) {
  out += "<!DOCTYPE ";
  out += Text(dtd->name);
  if (dtd->ExternalID != nullptr) {
    out += " PUBLIC \"";
    out += Text(dtd->ExternalID);
    out += '"';
    if (dtd->SystemID != nullptr) {
      out += " \"";
      out += Text(dtd->SystemID);
      out += '"';
    }
  } else if (dtd->SystemID != nullptr) {
    out += " SYSTEM \"";
    out += Text(dtd->SystemID);
    out += '"';
  }
  out += '>';
}

// A name as written in the page: the parser keeps a prefix such as the `o`
// of `<o:p>` apart from the name, and dropping it would turn the element
// into another one.
void AppendName(std::string& out, const xmlNs* ns, const xmlChar* name) {
  if (ns != nullptr && ns->prefix != nullptr) {
    out += Text(ns->prefix);
    out += ':';
  }
  out += Text(name);
}

// The editor that changes nothing.
SerializeEditor& PlainEditor() {
  static SerializeEditor editor;
  return editor;
}

void AppendStartTag(std::string& out, const xmlNode* element, SerializeEditor& editor) {
  out += '<';
  AppendName(out, element->ns, element->name);
  for (const xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
    out += ' ';
    AppendName(out, attribute->ns, attribute->name);
    if (attribute->children == nullptr) continue;
    out += "=\"";
    std::string value = AttributeText(attribute);
    if (attribute->ns == nullptr) editor.EditAttribute(element, Text(attribute->name), value);
    AppendEscaped(out, value, true);
    out += '"';
  }
  editor.AppendAttributes(element, out);
  out += '>';
  editor.AfterStartTag(element, out);
}

// What is written when the walk enters a node.
void AppendOpening(std::string& out, const xmlNode* node, SerializeEditor& editor) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
      AppendStartTag(out, node, editor);
      break;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
      if (NamedOneOf(node->parent, kRawTextElements)) {
        out += Text(node->content);
      } else {
        AppendEscaped(out, Text(node->content), false);
      }
      break;
    case XML_COMMENT_NODE:
      out += "<!--";
      out += Text(node->content);
      out += "-->";
      break;
    case XML_PI_NODE:
      out += "<?";
      out += Text(node->name);
      if (node->content != nullptr) {
        out += ' ';
        out += Text(node->content);
      }
      out += '>';
      break;
    case XML_ENTITY_REF_NODE:
      out += '&';
      out += Text(node->name);
      out += ';';
      break;
    case XML_DTD_NODE:
      AppendDoctype(out, reinterpret_cast<const xmlDtd*>(node));
      break;
    default:
      break;
  }
}

// What is written when the walk leaves a node.
void AppendClosing(std::string& out, const xmlNode* node) {
  if (node->type != XML_ELEMENT_NODE || NamedOneOf(node, kVoidElements)) return;
  out += "</";
  AppendName(out, node->ns, node->name);
  out += '>';
}

// Writes `top` and its subtree without recursion: down to the first child,
// else close the node and move to its next sibling, climbing as needed.
void AppendSubtree(std::string& out, xmlNode* top, SerializeEditor& editor = PlainEditor()) {
  xmlNode* node = top;
  while (true) {
    AppendOpening(out, node, editor);
    if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
      node = node->children;
      continue;
    }
    while (true) {
      AppendClosing(out, node);
      if (node == top) return;
      if (node->next != nullptr) {
        node = node->next;
        break;
      }
      node = node->parent;
    }
  }
}

}  // namespace

std::string SerializeDocument(xmlDoc* doc) {
  if (doc == nullptr) return {};
  return SerializeInner(reinterpret_cast<xmlNode*>(doc));
}

std::string SerializeDocument(xmlDoc* doc, SerializeEditor& editor) {
  std::string out;
  if (doc == nullptr) return out;
  for (xmlNode* child = doc->children; child != nullptr; child = child->next) {
    AppendSubtree(out, child, editor);
  }
  return out;
}

std::string SerializeOuter(xmlNode* node) {
  std::string out;
  if (node != nullptr) AppendSubtree(out, node);
  return out;
}

std::string SerializeInner(xmlNode* node) {
  std::string out;
  if (node == nullptr) return out;
  for (xmlNode* child = node->children; child != nullptr; child = child->next) {
    AppendSubtree(out, child);
  }
  return out;
}

}  // namespace talor
