#include "platform/html_page_view.h"

#include <utility>

#include "platform/html_form.h"
#include "platform/html_serializer.h"
#include "platform/page_address.h"
#include "platform/page_loader.h"

namespace talor {

namespace {

const xmlChar* Xml(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

bool IsSubmitButton(xmlNode* element) {
  if (IsElement(element, "input")) {
    std::string type = InputType(element);
    return type == "submit" || type == "image";
  }
  if (IsElement(element, "button")) {
    std::string type = LowerAscii(AttributeValue(element, "type").value_or(""));
    return type.empty() || type == "submit";
  }
  return false;
}

// The nearest A or AREA with an `href` at or above `element`.
xmlNode* EnclosingLink(xmlNode* element) {
  for (xmlNode* node = element; node != nullptr; node = node->parent) {
    bool link = IsElement(node, "a") || IsElement(node, "area");
    if (link && FindAttribute(node, "href") != nullptr) return node;
  }
  return nullptr;
}

}  // namespace

HtmlPageView::HtmlPageView(EventLoop& loop)
    : loop_(loop),
      alive_(std::make_shared<int>(0)),
      doc_(NewBlankDocument()),
      documentType_(kHtmlDocumentType),
      location_("about:blank"),
      random_(std::random_device{}()) {}

HtmlPageView::~HtmlPageView() = default;

// ---- navigation

void HtmlPageView::Navigate(std::string_view url, std::string_view postData,
                            std::string_view targetFrame) {
  StartNavigation(url, postData, targetFrame, {});
}

void HtmlPageView::StartNavigation(std::string_view url, std::string_view postData,
                                   std::string_view targetFrame, std::string_view headers) {
  if (nesting_ >= kMaxNavigationNesting) return;
  BeforeNavigateEvent event{std::string(url), std::string(postData), std::string(targetFrame),
                            std::string(headers)};
  uint64_t epoch = epoch_;
  std::weak_ptr<int> alive = alive_;
  ++nesting_;
  RaiseBeforeNavigate(event);
  // A handler may close the window that owns the view.
  if (alive.expired()) return;
  --nesting_;
  if (event.cancel || epoch != epoch_) return;
  BeginLoad(std::move(event.url));
}

void HtmlPageView::BeginLoad(std::string url) {
  busy_ = true;
  uint64_t epoch = ++epoch_;
  loop_.Post([this, alive = std::weak_ptr<int>(alive_), epoch, url = std::move(url)] {
    if (!alive.expired()) FinishLoad(epoch, url);
  });
}

void HtmlPageView::FinishLoad(uint64_t epoch, const std::string& url) {
  if (!busy_ || epoch != epoch_) return;
  LoadedPage page = LoadPage(url);
  open_ = false;
  written_.clear();
  location_ = url;
  ShowDocument(page.html ? ParseHtmlDocument(page.text) : nullptr, std::move(page.documentType));
  busy_ = false;
  std::string completed = location_;
  RaiseDocumentComplete(completed);
}

void HtmlPageView::Stop() {
  if (!busy_) return;
  busy_ = false;
  ++epoch_;
}

void HtmlPageView::Refresh() { BeginLoad(location_); }

// ---- the document

void HtmlPageView::ShowDocument(XmlDocPtr doc, std::string documentType) {
  elements_.clear();
  handles_.clear();
  doc_ = std::move(doc);
  documentType_ = std::move(documentType);
  scrollTop_ = 0;
  NotifyChanged();
}

bool HtmlPageView::Write(std::string_view html) {
  if (doc_ == nullptr) return false;
  size_t already = open_ ? written_.size() : 0;
  if (html.size() > kMaxWrittenBytes - already) return false;
  if (!open_) {
    busy_ = false;
    ++epoch_;
    ShowDocument(NewBlankDocument(), std::string(kHtmlDocumentType));
    open_ = true;
    written_.clear();
  }
  written_.append(html);
  return true;
}

void HtmlPageView::Close() {
  if (!open_) return;
  open_ = false;
  ShowDocument(ParseHtmlDocument(written_), std::string(kHtmlDocumentType));
  written_.clear();
}

std::string HtmlPageView::DocumentHtml() const { return SerializeDocument(doc_.get()); }

std::string HtmlPageView::Title() const {
  if (doc_ == nullptr) return {};
  xmlNode* title = FirstElementNamed(reinterpret_cast<xmlNode*>(doc_.get()), "title");
  return title != nullptr ? CollapseWhitespace(TextContent(title)) : std::string();
}

std::string HtmlPageView::BaseUrl() const {
  if (doc_ == nullptr) return location_;
  xmlNode* base = FirstElementNamed(reinterpret_cast<xmlNode*>(doc_.get()), "base");
  std::optional<std::string> href = AttributeValue(base, "href");
  return href ? ResolveUrl(location_, *href) : location_;
}

// ---- elements

xmlNode* HtmlPageView::Element(ElementHandle element) const {
  auto found = elements_.find(element);
  return found != elements_.end() ? found->second : nullptr;
}

ElementHandle HtmlPageView::HandleOf(xmlNode* element) const {
  auto [found, added] = handles_.try_emplace(element, nextHandle_);
  if (added) elements_.emplace(nextHandle_++, element);
  return found->second;
}

void HtmlPageView::ForgetSubtree(xmlNode* node) {
  if (handles_.empty()) return;
  for (xmlNode* part = node; part != nullptr; part = NextInOrder(part, node)) {
    auto found = handles_.find(part);
    if (found == handles_.end()) continue;
    elements_.erase(found->second);
    handles_.erase(found);
  }
}

void HtmlPageView::RemoveNode(xmlNode* node) {
  ForgetSubtree(node);
  xmlUnlinkNode(node);
  xmlFreeNode(node);
}

std::vector<ElementHandle> HtmlPageView::ElementsByTag(std::string_view tag) const {
  std::vector<ElementHandle> found;
  if (doc_ == nullptr) return found;
  auto* root = reinterpret_cast<xmlNode*>(doc_.get());
  for (xmlNode* node = NextInOrder(root, root); node; node = NextInOrder(node, root)) {
    if (node->type != XML_ELEMENT_NODE) continue;
    if (tag == "*" || SameName(node->name, tag)) found.push_back(HandleOf(node));
  }
  return found;
}

std::optional<std::string> HtmlPageView::Attribute(ElementHandle element,
                                                   std::string_view name) const {
  xmlNode* node = Element(element);
  if (node == nullptr) return std::nullopt;
  return AttributeValue(node, name);
}

bool HtmlPageView::SetAttribute(ElementHandle element, std::string_view name,
                                std::string_view value) {
  xmlNode* node = Element(element);
  if (node == nullptr || !IsValidAttributeName(name)) return false;
  SetAttributeValue(node, name, value);
  NotifyChanged();
  return true;
}

std::string HtmlPageView::Type(ElementHandle element) const {
  xmlNode* node = Element(element);
  if (node == nullptr) return {};
  if (IsElement(node, "input")) return InputType(node);
  return AttributeValue(node, "type").value_or(std::string());
}

std::string HtmlPageView::Name(ElementHandle element) const {
  return Attribute(element, "name").value_or(std::string());
}

std::string HtmlPageView::Value(ElementHandle element) const {
  xmlNode* node = Element(element);
  return node != nullptr ? ControlValue(node) : std::string();
}

bool HtmlPageView::Checked(ElementHandle element) const {
  return FindAttribute(Element(element), "checked") != nullptr;
}

bool HtmlPageView::SetChecked(ElementHandle element, bool checked) {
  xmlNode* node = Element(element);
  if (node == nullptr) return false;
  SetCheckedState(node, checked);
  return true;
}

void HtmlPageView::SetCheckedState(xmlNode* element, bool checked) {
  NotifyChanged();
  if (!checked) {
    RemoveAttribute(element, "checked");
    return;
  }
  if (FindAttribute(element, "checked") == nullptr)
    SetAttributeValue(element, "checked", "checked");
  if (!IsElement(element, "input") || InputType(element) != "radio") return;
  // Checking a radio button unchecks the others of its group: the same name
  // within the same form (or outside any form).
  std::optional<std::string> name = AttributeValue(element, "name");
  if (!name || name->empty()) return;
  xmlNode* form = FormOwner(element);
  auto* root = form != nullptr ? form : reinterpret_cast<xmlNode*>(doc_.get());
  for (xmlNode* node = NextInOrder(root, root); node; node = NextInOrder(node, root)) {
    bool sameGroup = node != element && IsElement(node, "input") && InputType(node) == "radio" &&
                     AttributeValue(node, "name") == name && FormOwner(node) == form;
    if (sameGroup) RemoveAttribute(node, "checked");
  }
}

std::string HtmlPageView::OuterHtml(ElementHandle element) const {
  return SerializeOuter(Element(element));
}

std::string HtmlPageView::InnerHtml(ElementHandle element) const {
  return SerializeInner(Element(element));
}

bool HtmlPageView::SetOuterHtml(ElementHandle element, std::string_view html) {
  xmlNode* node = Element(element);
  // The root element's parent is the document node: it cannot be replaced.
  if (node == nullptr || node->parent == nullptr || node->parent->type != XML_ELEMENT_NODE) {
    return false;
  }
  if (html.find_first_of("<&") == std::string_view::npos && IsValidUtf8(html)) {
    // Plain text (a hit number, mostly) needs no parser.
    if (!html.empty()) {
      xmlAddPrevSibling(node,
                        xmlNewDocTextLen(doc_.get(), reinterpret_cast<const xmlChar*>(html.data()),
                                         static_cast<int>(html.size())));
    }
    RemoveNode(node);
    NotifyChanged();
    return true;
  }
  for (XmlNodePtr& part : ParseHtmlFragment(doc_.get(), html)) {
    // May merge a text node into a text before it, freeing the part.
    xmlAddPrevSibling(node, part.release());
  }
  RemoveNode(node);
  NotifyChanged();
  return true;
}

// ---- a reader's actions

void HtmlPageView::Click(ElementHandle element) {
  xmlNode* node = Element(element);
  if (node == nullptr) return;
  if (IsElement(node, "input") && InputType(node) == "checkbox") {
    SetCheckedState(node, FindAttribute(node, "checked") == nullptr);
    return;
  }
  if (IsElement(node, "input") && InputType(node) == "radio") {
    SetCheckedState(node, true);
    return;
  }
  if (IsSubmitButton(node)) {
    if (xmlNode* form = FormOwner(node)) Submit(HandleOf(form), element);
    return;
  }
  xmlNode* link = EnclosingLink(node);
  if (link == nullptr) return;
  std::string url = ResolveUrl(BaseUrl(), AttributeValue(link, "href").value_or(""));
  std::string target = AttributeValue(link, "target").value_or("");
  StartNavigation(url, {}, target, {});
}

bool HtmlPageView::Submit(ElementHandle form, ElementHandle submitter) {
  xmlNode* formNode = Element(form);
  if (!IsElement(formNode, "form")) return false;
  xmlNode* button = Element(submitter);
  if (button != nullptr && (!IsSubmitButton(button) || FormOwner(button) != formNode)) {
    button = nullptr;
  }
  std::vector<FormField> fields = CollectFormFields(formNode, button);
  auto setting = [&](std::string_view formName, std::string_view buttonName) {
    std::optional<std::string> value;
    if (button != nullptr) value = AttributeValue(button, buttonName);
    if (!value) value = AttributeValue(formNode, formName);
    return value.value_or(std::string());
  };
  std::string action = setting("action", "formaction");
  std::string url = action.empty() ? location_ : ResolveUrl(BaseUrl(), action);
  std::string method = LowerAscii(setting("method", "formmethod"));
  std::string enctype = LowerAscii(setting("enctype", "formenctype"));
  std::string target = setting("target", "formtarget");
  if (method != "post") {
    StartNavigation(ReplaceQuery(url, EncodeFormUrlencoded(fields)), {}, target, {});
  } else if (enctype == "multipart/form-data") {
    std::string boundary = MakeFormBoundary(fields, random_());
    StartNavigation(url, EncodeFormMultipart(fields, boundary), target,
                    "Content-Type: multipart/form-data; boundary=" + boundary + "\r\n");
  } else {
    StartNavigation(url, EncodeFormUrlencoded(fields), target,
                    "Content-Type: application/x-www-form-urlencoded\r\n");
  }
  return true;
}

bool HtmlPageView::SetValue(ElementHandle element, std::string_view value) {
  xmlNode* node = Element(element);
  if (IsElement(node, "input")) {
    SetAttributeValue(node, "value", value);
    NotifyChanged();
    return true;
  }
  if (IsElement(node, "textarea")) {
    while (node->children != nullptr) RemoveNode(node->children);
    std::string text(value);
    xmlAddChild(node, xmlNewDocText(node->doc, Xml(text)));
    NotifyChanged();
    return true;
  }
  if (!IsElement(node, "select")) return false;
  std::vector<xmlNode*> options = SelectOptions(node);
  xmlNode* chosen = nullptr;
  for (xmlNode* option : options) {
    if (ControlValue(option) == value) {
      chosen = option;
      break;
    }
  }
  if (chosen == nullptr) return false;
  for (xmlNode* option : options) {
    if (option != chosen) RemoveAttribute(option, "selected");
  }
  if (FindAttribute(chosen, "selected") == nullptr)
    SetAttributeValue(chosen, "selected", "selected");
  NotifyChanged();
  return true;
}

std::string HtmlPageView::ResolveAddress(std::string_view url) const {
  return ResolveUrl(BaseUrl(), url);
}

// ---- the browser window's mirror

namespace {

bool IsActionable(const xmlNode* element) {
  for (std::string_view name : {"a", "area", "form", "input", "select", "textarea", "button"}) {
    if (IsElement(element, name)) return true;
  }
  return false;
}

bool IsAddressAttribute(std::string_view name) {
  return name == "src" || name == "href" || name == "background" || name == "action";
}

class MirrorEditor final : public SerializeEditor {
 public:
  MirrorEditor(const HtmlPageView::MirrorOptions& options, xmlNode* headOwner,
               std::function<ElementHandle(xmlNode*)> handleOf)
      : options_(options), headOwner_(headOwner), handleOf_(std::move(handleOf)) {}

  void EditAttribute(const xmlNode*, std::string_view name, std::string& value) override {
    if (options_.rewriteUrl && IsAddressAttribute(name)) options_.rewriteUrl(value);
  }
  void AppendAttributes(const xmlNode* element, std::string& out) override {
    if (!IsActionable(element)) return;
    out += " data-talor-id=\"";
    out += std::to_string(handleOf_(const_cast<xmlNode*>(element)));
    out += '"';
  }
  void AfterStartTag(const xmlNode* element, std::string& out) override {
    if (element == headOwner_) out += options_.headStart;
  }

 private:
  const HtmlPageView::MirrorOptions& options_;
  const xmlNode* headOwner_;
  std::function<ElementHandle(xmlNode*)> handleOf_;
};

}  // namespace

std::string HtmlPageView::MirrorHtml(const MirrorOptions& options) const {
  if (doc_ == nullptr) return {};
  auto* root = reinterpret_cast<xmlNode*>(doc_.get());
  xmlNode* headOwner = FirstElementNamed(root, "head");
  if (headOwner == nullptr) headOwner = FirstElementNamed(root, "html");
  MirrorEditor editor(options, headOwner, [this](xmlNode* element) { return HandleOf(element); });
  return SerializeDocument(doc_.get(), editor);
}

}  // namespace talor
