// The headless HTML page view: the PageView that keeps the document as a
// libxml2 tree in the core. Tests and the batch mode use it alone; the
// browser window mirrors it.
//
// Navigation. Navigate raises before-navigate inside the call. A navigation
// that passes makes the view busy; the address is loaded by a handler posted
// to the loop, which replaces the document and then raises document-complete
// with the address (Refresh loads the same way, without before-navigate).
// What an address gives is described in platform/page_loader.h: about: is
// the empty HTML document, a file: URL the file (a missing file a short
// Russian HTML page saying so), http:, https: and other schemes an empty
// view with the document type "" (the browser window shows such pages
// itself). The target frame does not change where the document goes: the
// headless view has no frames and loads every navigation into itself.
//
// Only the latest navigation loads. One that passes supersedes a pending
// load, whose document-complete never comes. A navigation is also dropped
// when, while its own before-navigate handler ran, another navigation passed,
// the view was stopped or refreshed, or a document was opened for writing:
// a handler that redirects by calling Navigate itself thus wins even if it
// forgets to cancel. Handlers may nest Navigate calls kMaxNavigationNesting
// deep; a deeper call does nothing.
//
// The document. The first Write after a load or Close opens a new document
// at the current address, as the script call document.open does: the view
// shows the empty document (its handles go stale), a pending load is
// stopped, and the written text is collected until Close parses it (as
// UTF-8 whatever it declares; invalid bytes read as U+FFFD). Write returns
// false, and collects nothing, when the view holds no HTML document or the
// text would pass kMaxWrittenBytes.
//
// Elements. Handles are numbers, never reused: a handle names one element
// until the document is replaced or the element is removed (replaced by
// SetOuterHtml itself or as part of a replaced element); after that it reads
// as empty and writes nothing. SetOuterHtml refuses (false) the document's
// root element. SetAttribute refuses a name that could not be written back
// (see IsValidAttributeName in platform/html_tree.h). SetChecked(true) writes
// `checked="checked"`, as the parser stores a bare `checked`; on a radio
// button it also unchecks the others of its group, as a browser does.
// Title() is the first TITLE's text with blanks trimmed and collapsed.
//
// Serialisation is platform/html_serializer.h: values come back byte for
// byte. The scroll position is stored (negative values as 0) and starts at 0
// with each new document.
//
// Everything runs on the loop's thread. The view may be destroyed with a load
// pending; the posted handler then does nothing.

#ifndef TALOR_PLATFORM_HTML_PAGE_VIEW_H_
#define TALOR_PLATFORM_HTML_PAGE_VIEW_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/event_loop.h"
#include "platform/html_tree.h"
#include "platform/page_view.h"

namespace talor {

class HtmlPageView final : public PageView {
 public:
  static constexpr int kMaxNavigationNesting = 16;
  static constexpr size_t kMaxWrittenBytes = size_t{256} << 20;

  // Starts with the empty HTML document at "about:blank".
  explicit HtmlPageView(EventLoop& loop);
  ~HtmlPageView() override;
  HtmlPageView(const HtmlPageView&) = delete;
  HtmlPageView& operator=(const HtmlPageView&) = delete;

  // ---- PageView
  void Navigate(std::string_view url, std::string_view postData = {},
                std::string_view targetFrame = {}) override;
  void Stop() override;
  bool Busy() const override { return busy_; }
  void Refresh() override;
  std::string LocationURL() const override { return location_; }
  std::string DocumentType() const override { return documentType_; }
  bool Write(std::string_view html) override;
  void Close() override;
  std::string DocumentHtml() const override;
  std::string Title() const override;
  std::vector<ElementHandle> ElementsByTag(std::string_view tag) const override;
  std::optional<std::string> Attribute(ElementHandle element, std::string_view name) const override;
  bool SetAttribute(ElementHandle element, std::string_view name, std::string_view value) override;
  std::string Type(ElementHandle element) const override;
  std::string Name(ElementHandle element) const override;
  std::string Value(ElementHandle element) const override;
  bool Checked(ElementHandle element) const override;
  bool SetChecked(ElementHandle element, bool checked) override;
  std::string OuterHtml(ElementHandle element) const override;
  std::string InnerHtml(ElementHandle element) const override;
  bool SetOuterHtml(ElementHandle element, std::string_view html) override;
  int ScrollTop() const override { return scrollTop_; }
  void SetScrollTop(int top) override {
    scrollTop_ = top < 0 ? 0 : top;
    NotifyChanged(ViewChange::Scroll);
  }

  // ---- a reader's actions, for tests and the batch mode
  // Acts as a click on the element: a link (A or AREA with `href`, or any
  // element inside one) navigates to the `href` resolved against the page's
  // address (or its BASE) with the link's `target` as the target frame; a
  // submit button or image submits its form; a checkbox toggles; a radio
  // button is checked. Anything else, or a stale handle, does nothing.
  void Click(ElementHandle element);
  // Submits `form` as a browser does, with `submitter` (0: none) as the
  // button pressed: collects the form data set (platform/html_form.h) and
  // navigates to the action (resolved; the page's address when empty) with
  // the form's `target`. GET replaces the action's query with the urlencoded
  // data; POST sends multipart/form-data when `enctype` says so and
  // urlencoded data otherwise, with the matching Content-Type in the event's
  // headers. A submitter's formaction, formmethod, formenctype and
  // formtarget override the form's. False when `form` is not a live FORM.
  bool Submit(ElementHandle form, ElementHandle submitter = 0);
  std::vector<ElementHandle> Forms() const { return ElementsByTag("FORM"); }
  // Fills a control as a user would: an INPUT's `value`, a TEXTAREA's text,
  // or the SELECT option whose value is `value` (the others unselected).
  // False for a stale handle, another element, or a SELECT without such an
  // option (its selection stays).
  bool SetValue(ElementHandle element, std::string_view value);

  // `url` resolved against the document's address, or its BASE.
  std::string ResolveAddress(std::string_view url) const;

  // ---- the browser window's mirror

  // Called after every change of the document (another document, an
  // attribute, a checked state, a replaced element, a control's value) and
  // of the scroll position.
  enum class ViewChange { Document, Scroll };
  void SetChangeListener(std::function<void(ViewChange)> listener) {
    changed_ = std::move(listener);
  }

  struct MirrorOptions {
    // Markup put first inside HEAD (inside HTML when there is no HEAD).
    std::string headStart;
    // Rewrites the address in an `src`, `href`, `background` or `action`.
    std::function<void(std::string& url)> rewriteUrl;
  };
  // The document as the browser window shows it: every element a reader acts
  // on (A, AREA, FORM, INPUT, SELECT, TEXTAREA, BUTTON) carries its handle
  // as `data-talor-id`, and the options' changes are made. The view's own
  // document stays as it was.
  std::string MirrorHtml(const MirrorOptions& options) const;

 private:
  void StartNavigation(std::string_view url, std::string_view postData,
                       std::string_view targetFrame, std::string_view headers);
  void BeginLoad(std::string url);
  void FinishLoad(uint64_t epoch, const std::string& url);
  void ShowDocument(XmlDocPtr doc, std::string documentType);

  xmlNode* Element(ElementHandle element) const;
  ElementHandle HandleOf(xmlNode* element) const;
  // Drops the handles of every element in the subtree of `node`.
  void ForgetSubtree(xmlNode* node);
  // Unlinks and frees the subtree of `node`, dropping its handles first.
  void RemoveNode(xmlNode* node);
  void SetCheckedState(xmlNode* element, bool checked);
  void NotifyChanged(ViewChange change = ViewChange::Document) const {
    if (changed_) changed_(change);
  }
  std::string BaseUrl() const;

  // ---- constant after construction
  EventLoop& loop_;
  // Posted handlers hold a weak reference: once the view is gone they do
  // nothing.
  std::shared_ptr<int> alive_;

  // ---- the document shown
  XmlDocPtr doc_;  // null when the view holds no HTML document
  std::string documentType_;
  std::string location_;
  int scrollTop_ = 0;
  bool open_ = false;    // Write opened a document that Close has not parsed yet
  std::string written_;  // the text written since it was opened

  // ---- navigation
  bool busy_ = false;
  // Changes whenever the latest navigation changes: a load begins, a pending
  // load stops, a document is opened. A posted load runs only when it is
  // still the latest; a navigation whose handler saw a change is dropped.
  uint64_t epoch_ = 0;
  int nesting_ = 0;
  std::mt19937_64 random_;

  std::function<void(ViewChange)> changed_;

  // ---- element handles of the current document
  mutable std::unordered_map<ElementHandle, xmlNode*> elements_;
  mutable std::unordered_map<const xmlNode*, ElementHandle> handles_;
  mutable ElementHandle nextHandle_ = 1;
};

}  // namespace talor

#endif  // TALOR_PLATFORM_HTML_PAGE_VIEW_H_
