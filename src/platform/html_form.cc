#include "platform/html_form.h"

#include <array>
#include <cstdio>

#include "platform/html_tree.h"

namespace talor {

namespace {

constexpr std::array<std::string_view, 22> kInputTypes = {
    "text",  "search", "tel",    "url",   "email", "password",       "date",   "month",
    "week",  "time",   "number", "range", "color", "datetime-local", "hidden", "checkbox",
    "radio", "file",   "submit", "image", "reset", "button"};

constexpr std::string_view kBoundaryPrefix = "---------------------------7e8";

bool Has(xmlNode* element, std::string_view attribute) {
  return FindAttribute(element, attribute) != nullptr;
}

std::string Attribute(xmlNode* element, std::string_view name) {
  return AttributeValue(element, name).value_or(std::string());
}

bool IsDisabled(xmlNode* control, xmlNode* form) {
  if (Has(control, "disabled")) return true;
  for (xmlNode* up = control->parent; up != nullptr && up != form; up = up->parent) {
    if (IsElement(up, "fieldset") && Has(up, "disabled")) return true;
  }
  return false;
}

bool IsOptionDisabled(xmlNode* option) {
  return Has(option, "disabled") ||
         (IsElement(option->parent, "optgroup") && Has(option->parent, "disabled"));
}

void AddInput(std::vector<FormField>& fields, xmlNode* input, xmlNode* submitter) {
  std::string type = InputType(input);
  std::string name = Attribute(input, "name");
  if (type == "image") {
    if (input != submitter) return;
    std::string prefix = name.empty() ? "" : name + ".";
    fields.push_back({prefix + "x", "0"});
    fields.push_back({prefix + "y", "0"});
    return;
  }
  if (name.empty() || type == "reset" || type == "button" || type == "file") return;
  if (type == "submit" && input != submitter) return;
  if (type == "checkbox" || type == "radio") {
    if (!Has(input, "checked")) return;
    fields.push_back({name, AttributeValue(input, "value").value_or("on")});
    return;
  }
  fields.push_back({name, Attribute(input, "value")});
}

void AddSelect(std::vector<FormField>& fields, xmlNode* select) {
  std::string name = Attribute(select, "name");
  if (name.empty()) return;
  if (!Has(select, "multiple")) {
    if (xmlNode* option = ShownOption(select)) fields.push_back({name, ControlValue(option)});
    return;
  }
  for (xmlNode* option : SelectOptions(select)) {
    if (Has(option, "selected") && !IsOptionDisabled(option)) {
      fields.push_back({name, ControlValue(option)});
    }
  }
}

void AddControl(std::vector<FormField>& fields, xmlNode* control, xmlNode* submitter) {
  if (IsElement(control, "input")) {
    AddInput(fields, control, submitter);
  } else if (IsElement(control, "select")) {
    AddSelect(fields, control);
  } else if (IsElement(control, "textarea")) {
    std::string name = Attribute(control, "name");
    if (!name.empty()) fields.push_back({name, TextContent(control)});
  } else if (IsElement(control, "button") && control == submitter) {
    std::string type = LowerAscii(Attribute(control, "type"));
    std::string name = Attribute(control, "name");
    bool submits = type.empty() || type == "submit";
    if (submits && !name.empty()) fields.push_back({name, Attribute(control, "value")});
  }
}

std::string NormalizeLineBreaks(std::string_view text) {
  std::string normalized;
  normalized.reserve(text.size());
  for (size_t k = 0; k < text.size(); ++k) {
    char c = text[k];
    if (c == '\r' || c == '\n') {
      normalized += "\r\n";
      if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
    } else {
      normalized += c;
    }
  }
  return normalized;
}

void AppendPercentByte(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

std::string UrlencodeText(std::string_view text) {
  std::string encoded;
  for (char c : NormalizeLineBreaks(text)) {
    auto byte = static_cast<unsigned char>(c);
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '*' || c == '-' || c == '.' || c == '_';
    if (plain) {
      encoded += c;
    } else if (c == ' ') {
      encoded += '+';
    } else {
      AppendPercentByte(encoded, byte);
    }
  }
  return encoded;
}

std::string MultipartName(std::string_view name) {
  std::string escaped;
  for (char c : NormalizeLineBreaks(name)) {
    if (c == '"' || c == '\r' || c == '\n') {
      AppendPercentByte(escaped, static_cast<unsigned char>(c));
    } else {
      escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::string InputType(xmlNode* input) {
  std::string type = LowerAscii(Attribute(input, "type"));
  for (std::string_view known : kInputTypes) {
    if (type == known) return type;
  }
  return "text";
}

std::string ControlValue(xmlNode* element) {
  if (IsElement(element, "textarea")) return TextContent(element);
  if (IsElement(element, "select")) {
    xmlNode* shown = nullptr;
    if (Has(element, "multiple")) {
      for (xmlNode* option : SelectOptions(element)) {
        if (Has(option, "selected")) {
          shown = option;
          break;
        }
      }
    } else {
      shown = ShownOption(element);
    }
    return shown != nullptr ? ControlValue(shown) : std::string();
  }
  std::optional<std::string> value = AttributeValue(element, "value");
  if (!value && IsElement(element, "option")) return CollapseWhitespace(TextContent(element));
  return value.value_or(std::string());
}

std::vector<xmlNode*> SelectOptions(xmlNode* select) {
  std::vector<xmlNode*> options;
  for (xmlNode* node = NextInOrder(select, select); node; node = NextInOrder(node, select)) {
    if (IsElement(node, "option")) options.push_back(node);
  }
  return options;
}

xmlNode* ShownOption(xmlNode* select) {
  std::vector<xmlNode*> options = SelectOptions(select);
  for (auto option = options.rbegin(); option != options.rend(); ++option) {
    if (Has(*option, "selected")) return *option;
  }
  for (xmlNode* option : options) {
    if (!IsOptionDisabled(option)) return option;
  }
  return nullptr;
}

xmlNode* FormOwner(xmlNode* control) { return AncestorNamed(control, "form"); }

std::vector<FormField> CollectFormFields(xmlNode* form, xmlNode* submitter) {
  std::vector<FormField> fields;
  xmlNode* node = NextInOrder(form, form);
  while (node != nullptr) {
    bool isControl = IsElement(node, "input") || IsElement(node, "select") ||
                     IsElement(node, "textarea") || IsElement(node, "button");
    if (!isControl) {
      node = NextInOrder(node, form);
      continue;
    }
    if (!IsDisabled(node, form)) AddControl(fields, node, submitter);
    // A control's options and text were read with it.
    node = NextSkippingChildren(node, form);
  }
  return fields;
}

std::string EncodeFormUrlencoded(const std::vector<FormField>& fields) {
  std::string body;
  for (const FormField& field : fields) {
    if (!body.empty()) body += '&';
    body += UrlencodeText(field.name);
    body += '=';
    body += UrlencodeText(field.value);
  }
  return body;
}

std::string EncodeFormMultipart(const std::vector<FormField>& fields, std::string_view boundary) {
  std::string body;
  for (const FormField& field : fields) {
    body += "--";
    body += boundary;
    body += "\r\nContent-Disposition: form-data; name=\"";
    body += MultipartName(field.name);
    body += "\"\r\n\r\n";
    body += NormalizeLineBreaks(field.value);
    body += "\r\n";
  }
  body += "--";
  body += boundary;
  body += "--\r\n";
  return body;
}

std::string MakeFormBoundary(const std::vector<FormField>& fields, uint64_t random) {
  while (true) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%010llx",
                  static_cast<unsigned long long>(random & 0xFFFFFFFFFFULL));
    std::string boundary = std::string(kBoundaryPrefix) + digits;
    bool clash = false;
    for (const FormField& field : fields) {
      clash = clash || field.name.find(boundary) != std::string::npos ||
              field.value.find(boundary) != std::string::npos;
    }
    if (!clash) return boundary;
    ++random;
  }
}

}  // namespace talor
