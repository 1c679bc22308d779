// The embedded HTML view that the navigator shows its pages in: a document
// object model with navigation, the document's write and close, images,
// elements by tag name, attributes, checked states, outer and inner HTML,
// the title and the body's scroll position, and the before-navigate and
// document-complete events.
//
// The authoritative document lives in the core (HtmlPageView keeps it as a
// libxml2 tree); the browser window only mirrors it. Every call is made on
// the core loop's thread, and both events are raised on it.
//
// Navigation. Navigate raises the before-navigate event at once, inside the
// call, as an embedded browser does. When the handler lets the navigation
// pass, the view becomes busy and loads the address on a later turn of the
// loop; the document-complete event follows the load. A handler may cancel
// the navigation and start another one from inside the event (the new one is
// examined again from the start). Stop ends a pending load; the document
// stays as it was.
//
// Addresses and texts are UTF-8. Attribute values are kept byte for byte as
// they were parsed or set: a pseudo-URL in `href`, `src` or `action` comes
// back from the serialised document exactly as it went in.

#ifndef TALOR_PLATFORM_PAGE_VIEW_H_
#define TALOR_PLATFORM_PAGE_VIEW_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talor {

// What the before-navigate handler is told and may change.
struct BeforeNavigateEvent {
  std::string url;       // may be rewritten by the handler
  std::string postData;  // the raw POST body; empty for none; may be rewritten
  std::string targetFrame;
  std::string headers;
  bool cancel = false;  // set by the handler to stop the navigation
};

// An element of the current document. Handles stay valid until the document
// is replaced (write/close, a load) or the element itself is replaced through
// SetOuterHtml; a stale handle reads as empty and writes nothing.
using ElementHandle = uint64_t;

class PageView {
 public:
  using BeforeNavigateHandler = std::function<void(PageView& sender, BeforeNavigateEvent& event)>;
  using DocumentCompleteHandler = std::function<void(PageView& sender, const std::string& url)>;

  virtual ~PageView() = default;

  void SetBeforeNavigate(BeforeNavigateHandler handler) { beforeNavigate_ = std::move(handler); }
  void SetDocumentComplete(DocumentCompleteHandler handler) {
    documentComplete_ = std::move(handler);
  }

  // ---- navigation
  // Starts a navigation to `url` with the POST body `postData` (empty: a GET)
  // into the frame `targetFrame` (empty: the view itself). The handler runs
  // before this returns.
  virtual void Navigate(std::string_view url, std::string_view postData = {},
                        std::string_view targetFrame = {}) = 0;
  // Ends a pending load; nothing when none is pending.
  virtual void Stop() = 0;
  // True from a navigation that passed until its document is complete.
  virtual bool Busy() const = 0;
  // Reloads the current address (an ordinary page); raises no before-navigate.
  virtual void Refresh() = 0;
  // The address of the document shown ("about:blank" at first).
  virtual std::string LocationURL() const = 0;

  // ---- the document
  // "HTML Document" while the view holds an HTML document; another
  // description (for example "GIF Image") or empty otherwise.
  virtual std::string DocumentType() const = 0;
  // Appends `html` to the text of an open document. The first write after a
  // close (or a load) opens a new, empty document at the current address.
  // False when the view holds no document that can be written.
  virtual bool Write(std::string_view html) = 0;
  // Parses everything written since the document was opened and makes it
  // the document; raises no event.
  virtual void Close() = 0;
  // The whole document as HTML, as the browser window receives it.
  virtual std::string DocumentHtml() const = 0;
  // The text of the first TITLE element; empty when there is none.
  virtual std::string Title() const = 0;

  // ---- elements
  // Elements whose tag name equals `tag` without regard to case, in document
  // order; "IMG" gives the document's images.
  virtual std::vector<ElementHandle> ElementsByTag(std::string_view tag) const = 0;
  // An attribute's value (name compared without regard to case); nullopt when
  // the element has no such attribute or the handle is stale.
  virtual std::optional<std::string> Attribute(ElementHandle element,
                                               std::string_view name) const = 0;
  // Sets (adds) an attribute; false for a stale handle or for a name that
  // could not be written back (empty, or holding a blank, a control
  // character, a quote, `<`, `>`, `/` or `=`).
  virtual bool SetAttribute(ElementHandle element, std::string_view name,
                            std::string_view value) = 0;
  // The properties of an element as a script sees them: Type (an INPUT's
  // type in lower case, "text" when it has none; any other element's `type`
  // attribute), Name, Value, and checked.
  virtual std::string Type(ElementHandle element) const = 0;
  virtual std::string Name(ElementHandle element) const = 0;
  virtual std::string Value(ElementHandle element) const = 0;
  virtual bool Checked(ElementHandle element) const = 0;
  virtual bool SetChecked(ElementHandle element, bool checked) = 0;
  virtual std::string OuterHtml(ElementHandle element) const = 0;
  virtual std::string InnerHtml(ElementHandle element) const = 0;
  // Replaces the element by the nodes that `html` parses to (nothing for an
  // empty text). The handle is stale afterwards. False for a stale handle
  // and for the document's root element, which cannot be replaced.
  virtual bool SetOuterHtml(ElementHandle element, std::string_view html) = 0;

  // ---- the body's vertical scroll position, in pixels
  virtual int ScrollTop() const = 0;
  virtual void SetScrollTop(int top) = 0;

 protected:
  void RaiseBeforeNavigate(BeforeNavigateEvent& event) {
    if (beforeNavigate_) beforeNavigate_(*this, event);
  }
  void RaiseDocumentComplete(const std::string& url) {
    if (documentComplete_) documentComplete_(*this, url);
  }

 private:
  BeforeNavigateHandler beforeNavigate_;
  DocumentCompleteHandler documentComplete_;
};

// The document type text of an HTML document.
inline constexpr std::string_view kHtmlDocumentType = "HTML Document";

}  // namespace talor

#endif  // TALOR_PLATFORM_PAGE_VIEW_H_
