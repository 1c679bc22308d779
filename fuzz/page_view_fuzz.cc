// Any bytes as a page written into the page view: the markers and images
// are rewritten as the page writer does, and the serialised document reads
// back to a document that serialises the same way again.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/event_loop.h"
#include "platform/html_page_view.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace talor;
  static EventLoop loop;
  HtmlPageView view(loop);
  view.Write(std::string_view(reinterpret_cast<const char*>(data), size));
  view.Close();

  for (ElementHandle image : view.ElementsByTag("IMG")) {
    std::string source = view.Attribute(image, "src").value_or("");
    view.SetAttribute(image, "src", "/work/@TALOR_" + source);
  }
  int number = 1;
  for (ElementHandle marker : view.ElementsByTag("TALOR")) {
    view.SetOuterHtml(marker, view.Type(marker).starts_with('0') ? std::to_string(number++)
                                                                 : std::string("<b>x</b>"));
  }
  for (ElementHandle input : view.ElementsByTag("INPUT")) {
    view.SetChecked(input, !view.Checked(input));
  }

  // Serialising and reading back settles. Markup that libxml2 reads but
  // HTML cannot write as it was changes on the way: an element name loses
  // the part up to its first colon with every reading (`<a:b:c>`, `<b:c>`,
  // `<c>`), and a name HTML cannot carry becomes text. So the document must
  // be stable after at most one round per colon, plus two.
  std::string text = view.DocumentHtml();
  const size_t rounds = static_cast<size_t>(std::count(text.begin(), text.end(), ':')) + 2;
  for (size_t round = 0;; ++round) {
    Check(round <= rounds);
    HtmlPageView again(loop);
    again.Write(text);
    again.Close();
    std::string next = again.DocumentHtml();
    if (next == text) break;
    text = std::move(next);
  }
  return 0;
}
