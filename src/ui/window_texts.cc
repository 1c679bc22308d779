#include "ui/window_texts.h"

#include "platform/html_serializer.h"
#include "platform/html_tree.h"

namespace talor {

namespace {

int ResolveAttributes(xmlNode* element, const Messages& messages) {
  int replaced = 0;
  for (xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
    std::string value = AttributeText(attribute);
    if (!ResolveMessageTextInPlace(&value, messages)) continue;
    SetAttributeValue(element, reinterpret_cast<const char*>(attribute->name), value);
    ++replaced;
  }
  return replaced;
}

// Text nodes hold the captions; blanks around a reference are kept.
int ResolveText(xmlNode* node, const Messages& messages) {
  std::string text = node->content ? reinterpret_cast<const char*>(node->content) : "";
  const size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return 0;
  const size_t end = text.find_last_not_of(" \t\r\n") + 1;
  std::string core = text.substr(begin, end - begin);
  if (!ResolveMessageTextInPlace(&core, messages)) return 0;
  text = text.substr(0, begin) + core + text.substr(end);
  xmlNodeSetContentLen(node, reinterpret_cast<const xmlChar*>(text.data()),
                       static_cast<int>(text.size()));
  return 1;
}

// The font goes on the controls that show text of their own; the tool
// buttons' pictures and symbol fonts are left alone.
constexpr std::string_view kFontRuleSelector =
    "body, label, input, select, textarea, button, .menu, .panel, .status";

std::string CssString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n' || c == '\r' || c == '<') {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out + '"';
}

}  // namespace

int ApplyMessageTexts(xmlNode* root, const Messages& messages) {
  int replaced = 0;
  for (xmlNode* node = root; node != nullptr;) {
    if (IsElement(node, "iframe")) {
      node = NextSkippingChildren(node, root);
      continue;
    }
    if (node->type == XML_ELEMENT_NODE) {
      replaced += ResolveAttributes(node, messages);
    } else if (node->type == XML_TEXT_NODE) {
      replaced += ResolveText(node, messages);
    }
    node = NextInOrder(node, root);
  }
  return replaced;
}

void ApplyFormFont(xmlDoc* doc, const FormFont& font) {
  auto* root = reinterpret_cast<xmlNode*>(doc);
  xmlNode* head = FirstElementNamed(root, "head");
  if (head == nullptr || font.face.empty()) return;
  const std::string rule = std::string(kFontRuleSelector) +
                           " { font-family: " + CssString(font.face) +
                           ", \"Tahoma\", \"DejaVu Sans\", sans-serif; }";
  xmlNode* style = xmlNewDocNode(doc, nullptr, reinterpret_cast<const xmlChar*>("style"), nullptr);
  xmlAddChild(style, xmlNewDocTextLen(doc, reinterpret_cast<const xmlChar*>(rule.data()),
                                      static_cast<int>(rule.size())));
  SetAttributeValue(style, "id", "FormFont");
  xmlAddChild(head, style);
}

std::string PrepareWindowPage(std::string_view html, const Messages& messages,
                              const FormFont& font) {
  XmlDocPtr doc = ParseHtmlDocument(html);
  if (doc == nullptr) return std::string(html);
  ApplyMessageTexts(reinterpret_cast<xmlNode*>(doc.get()), messages);
  ApplyFormFont(doc.get(), font);
  return SerializeDocument(doc.get());
}

}  // namespace talor
