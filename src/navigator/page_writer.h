// Writes the pages that commands produce into a view and rewrites what the
// view cannot follow itself: image sources that point at the server (cached
// as files in the work directory), barcodes (drawn once into bitmap files),
// images stored inside records, page images with the found words
// underlined, and the numbering and record-image markers (TALOR elements).
//
// Every file it writes is named `@TALOR_...` in the work directory and is
// fetched or drawn only when it does not exist yet: the work directory is a
// cache for the run.

#ifndef TALOR_NAVIGATOR_PAGE_WRITER_H_
#define TALOR_NAVIGATOR_PAGE_WRITER_H_

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "client/command_set.h"
#include "navigator/navigation_state.h"
#include "navigator/navigator_settings.h"
#include "platform/event_loop.h"
#include "platform/page_view.h"

namespace talor {

// The page text that leaves the document in place and only rewrites it.
inline constexpr std::string_view kRewriteOnlyPage = "about:blank#";

class PageWriter {
 public:
  // `workDirectory` ends in `/`. The references must outlive the writer.
  PageWriter(EventLoop& loop, CommandSet& commands, const NavigatorSettings& settings,
             NavigationState& state, std::string workDirectory);

  // Writes `page` (UTF-8 HTML; kRewriteOnlyPage keeps the document) into
  // `view`, then rewrites its images and markers. `markWords` are the
  // `|`-separated words whose boxes are underlined in page images. False
  // when the view could not be given an HTML document (nothing is shown).
  bool ShowPage(PageView& view, std::string_view page, std::string_view markWords);

  // The cache file of a server resource: work directory + `@TALOR_` + path +
  // `_` + database + `_` + SafeFileName(file). Read from the server (binary)
  // and written when it does not exist; when the server cannot deliver it no
  // file is written and the name is returned all the same.
  std::string FetchResource(int pathNumber, std::string_view database, std::string_view fileName);

  // The image stored in field TagInternalResource, occurrence `occurrence`,
  // of record `mfn`: the file it was written to and its title. An empty path
  // when the record has no usable image.
  struct RecordImageFile {
    std::string path;
    std::string title;  // UTF-8
  };
  RecordImageFile RecordImage(std::string_view database, int32_t mfn, int occurrence);

  // A copy of the page image `sourcePath` with the boxes of `words` on
  // record `mfn` underlined; empty when no copy was made.
  std::string MarkedImageCopy(const std::string& sourcePath, std::string_view database,
                              const StringList& words, int32_t mfn);

  const std::string& workDirectory() const { return workDirectory_; }

 private:
  bool WriteDocument(PageView& view, std::string_view page);
  StringList MarkWordTerms(std::string_view markWords) const;
  void RewriteImages(PageView& view, const StringList& words);
  std::string ImageFile(std::string_view source, const StringList& words);
  std::string BarcodeFile(std::string_view text);
  void ReplaceMarkers(PageView& view);
  std::string MarkerHtml(std::string_view value);
  std::string DatabaseOr(std::string_view database) const;

  EventLoop& loop_;
  CommandSet& commands_;
  const NavigatorSettings& settings_;
  NavigationState& state_;
  const std::string workDirectory_;
  std::mt19937 random_;
};

}  // namespace talor

#endif  // TALOR_NAVIGATOR_PAGE_WRITER_H_
