// The catalogue server's commands as operations. Each one builds its
// parameter lines, runs the exchange through the Transport (its command
// wrapper: refuses with Busy while another exchange runs, resends silently
// after corrupt answers) and turns the stripped answer — line 0 being the
// server's return code for most commands — into what its callers need.
//
// Every operation returns Good, Failed or Busy and lets no failure escape.
// On Failed the result list holds what the transport left (a local error
// code line, or nothing) unless the operation says otherwise; on Busy it is
// unchanged. Parameters and answers travel as byte strings (UTF-8 for
// records, formats, search texts and terms); nothing is converted.
//
// "Integer-and-text" answer lines read the part before the first `#` as a
// decimal integer (the line's integer) and the rest as its text; a line
// without `#` is all integer with empty text. A part that must be a number
// and is not one makes the operation fail with the single line -2222.

#ifndef TALOR_CLIENT_COMMAND_SET_H_
#define TALOR_CLIENT_COMMAND_SET_H_

#include <string>
#include <string_view>

#include "client/result_codes.h"
#include "client/transport.h"
#include "platform/user_interface.h"
#include "text/string_list.h"

namespace talor {

// The path number of a database's own files on the server.
inline constexpr int kDatabaseFilesPath = 10;

// "<path number>.<database>.<file name>", with `@` before the file name of a
// binary resource.
std::string ResourcePath(int pathNumber, std::string_view database, std::string_view fileName,
                         bool binary = false);

// Reads an integer-and-text line into `line`; false when the integer part is
// not a decimal integer.
bool ReadCountedLine(std::string_view text, ListLine& line);

class CommandSet {
 public:
  CommandSet(Transport& transport, UserInterface& ui);

  // ---- session
  // A: sets the workstation code, user and password of the session (also for
  // every later request) and sends user LF password. Returned unchanged.
  ExchangeResult Register(std::string_view user, std::string_view password,
                          std::string_view workstationCode, StringList& result);
  // SetServer, then Register; on Good with more than one line and line 0
  // reading 0, line 1 is deleted (what remains after line 0 is the INI text
  // of the server-provided settings).
  ExchangeResult RegisterAt(std::string_view host, std::string_view port,
                            std::string_view workstationCode, StringList& result,
                            std::string_view password, std::string_view user);
  // B: sends the user without LF. Returned unchanged.
  ExchangeResult Unregister(std::string_view user, StringList& result);
  // N: no parameters. Returned unchanged.
  ExchangeResult NoOperation(StringList& result);
  // O: the database. Returned unchanged.
  ExchangeResult ReadMaxMfn(std::string_view database, StringList& result);

  // ---- records
  // C: reads a record with or without lock. A record that the server did not
  // deliver is one line with its code; for -605 a second line "-605" with
  // the MFN asked for follows. Read without lock, a good record has status
  // kStatusLocked cleared.
  ExchangeResult ReadRecord(std::string_view database, int32_t mfn, bool lock, StringList& record);
  // D: writes one record and updates it from the answer (new MFN, status and
  // version, or the record as the server now stores it). A record whose line
  // 1 is "-605" is refused with Failed before anything is sent.
  ExchangeResult WriteRecord(std::string_view database, bool lock, bool actualize,
                             StringList& answer, StringList& record);
  // D: writes every non-empty record text of `recordTexts` (record-text form)
  // and updates each from its answer line (MFN#status or return code).
  ExchangeResult WriteRecords(std::string_view database, bool lock, bool actualize,
                              StringList& answer, StringList& recordTexts);

  // ---- formatting
  // G: formats a range (list "0", first, last) or a list (count, MFN...).
  // Answer lines from 1 on become MFN and text.
  ExchangeResult FormatRecords(std::string_view database, const StringList& mfnList,
                               std::string_view format, StringList& result);
  // G with mode 1. Returned unchanged.
  ExchangeResult FormatRecord(std::string_view database, int32_t mfn, std::string_view format,
                              StringList& result);
  // G with mode -2 and the record itself. Returned unchanged.
  ExchangeResult FormatClientRecord(std::string_view database, std::string_view format,
                                    const StringList& record, StringList& result);

  // ---- dictionary
  // H with a format line. Answer lines from 1 on become count and term.
  ExchangeResult ReadTerms(std::string_view database, std::string_view startTerm, int count,
                           StringList& result, std::string_view format);
  ExchangeResult ReadTermsForward(std::string_view database, std::string_view startTerm, int count,
                                  StringList& result);
  // P: as ReadTermsForward, reading the dictionary backward.
  ExchangeResult ReadTermsBackward(std::string_view database, std::string_view startTerm, int count,
                                   StringList& result);
  // I: postings of a term. With count 0 every line from 1 on is cut before
  // its first `#` ("0" when it has none).
  ExchangeResult ReadPostings(std::string_view database, std::string_view term, int first,
                              StringList& result, int count);
  // I with a format: result lines from 1 on are the first four `#` parts of
  // each posting, `textList` the formatted rest with the MFN as integer.
  ExchangeResult ReadFormattedPostings(std::string_view database, std::string_view term, int first,
                                       StringList& result, StringList& textList,
                                       std::string_view format, int count);
  // V: returned unchanged.
  ExchangeResult ReadWordPositions(std::string_view database, int32_t mfn, const StringList& words,
                                   StringList& result);

  // ---- search
  // K: line 1 is the hit count; lines from 2 on become MFN and text.
  ExchangeResult Search(std::string_view database, std::string_view expression, int count,
                        StringList& result, std::string_view format, int first);
  // R: full-text search with the transport's full-text settings.
  ExchangeResult FullTextSearch(std::string_view database, std::string_view query,
                                std::string_view secondQuery, StringList& result,
                                std::string_view optionalText, std::string_view format, int first,
                                int portion, std::string_view expression);
  void SetFullTextDefaults(bool morphology, std::string_view prefix, std::string_view distance,
                           int limit, std::string_view extra);

  // ---- resources
  // L: a text file; the answer's line 0 (the whole file in the one-line
  // encoding) becomes the result's lines. An answer that is one negative
  // integer is the server's error code: Failed with that line.
  ExchangeResult ReadTextResource(int pathNumber, std::string_view database,
                                  std::string_view fileName, StringList& result);
  // L with `@`: `block` receives the binary data. Failed when the answer
  // carried no binary data (then `result` says why).
  ExchangeResult ReadBinaryResource(int pathNumber, std::string_view database,
                                    std::string_view fileName, StringList& result,
                                    std::string& block);
  // ReadTextResource through the resource cache. After a failure with a
  // negative code the user is asked whether to try again. A result of one
  // empty line is emptied.
  ExchangeResult ReadCachedText(int pathNumber, std::string_view database,
                                std::string_view fileName, StringList& result);
  ExchangeResult ReadCachedBinary(int pathNumber, std::string_view database,
                                  std::string_view fileName, StringList& result,
                                  std::string& block);
  // Empties the resource cache.
  void ClearResourceCache() { transport_.resourceCache().Clear(); }

  Transport& transport() { return transport_; }

 private:
  ExchangeResult Run(char command, std::string_view parameters, StringList& result) {
    return transport_.RunCommand(command, parameters, result);
  }
  // Reads lines from `from` on as integer-and-text lines; on a broken line
  // the list becomes "-2222" and the result Failed.
  static ExchangeResult ReadCountedLines(StringList& result, size_t from);

  Transport& transport_;
  UserInterface& ui_;
};

}  // namespace talor

#endif  // TALOR_CLIENT_COMMAND_SET_H_
