// The texts that the command processor derives from the parameter set of a
// pseudo-URL before it talks to the server: the resolved database and
// portion, the free parameters, the format spec sent with every
// request that has the server format records, and the follow-up pseudo-URLs
// that commands without a page of their own open afterwards.

#ifndef TALOR_NAVIGATOR_COMMAND_TEXT_H_
#define TALOR_NAVIGATOR_COMMAND_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "navigator/navigator_settings.h"
#include "navigator/parameters.h"

namespace talor {

// The database a command works on: DBNAME, else `currentDbName`, else "DEMO".
std::string ResolvedDatabase(const ParameterSet& params, const NavigatorSettings& settings,
                             std::string_view currentDbName);

// The portion of hits a page shows: SEARCHPORTION read as an integer, else
// (absent or not a number) the setting SEARCHPORTION.
int32_t ResolvedPortion(const ParameterSet& params, const NavigatorSettings& settings);

struct FreeParameter {
  std::string value;
  int n;  // the number in the parameter's name
  bool operator==(const FreeParameter&) const = default;
};

// For n from 0 to NUMBFREEPAR - 1 the parameter named FREEPAR followed by n
// in decimal; each non-empty one is kept, in increasing n.
std::vector<FreeParameter> ReadFreeParameters(const ParameterSet& params,
                                              const NavigatorSettings& settings);

// The format spec of a request. With free parameters and a format
// name: `&uf('+7'),&uf('+99` + UrlEncode of the lines `tag#value` (each
// followed by CR LF; tag = the MODTAG_FREEPAR setting + n) + `'),` + byte
// 0x1C + the format name + byte 0x1D, so that the server puts the free
// parameters into the format's globals before it formats. Otherwise `@` +
// the format name.
std::string FormatSpec(const std::vector<FreeParameter>& freeParameters,
                       const NavigatorSettings& settings, std::string_view formatName);

// The free parameters as the tail of a follow-up pseudo-URL: for each one,
// in list order, `&` + FREEPAR + i + `=` + UrlEncode of its value, with i
// counting from 0 (so the names are renumbered without gaps).
std::string FreeParameterQuery(const std::vector<FreeParameter>& freeParameters,
                               const NavigatorSettings& settings);

// The pseudo-URL that command 8 opens after an import or copy whose first
// stored MFN is `count`: a search page (command 2) of `database` that browses
// from that MFN with the format, portion, top and bottom formats and print
// switch of the current page, and the free parameters. Names are the
// configured names; only the free parameters' values are encoded.
std::string FollowUpSearchUrl(const ParameterSet& params, const NavigatorSettings& settings,
                              std::string_view database, std::string_view formatName, int32_t count,
                              const std::vector<FreeParameter>& freeParameters);

// The pseudo-URL that command 6 opens after storing (or failing to store)
// record `mfn`: the record page (command 1 with ENTRY_MFN) of `database` in
// the format, with the reload switch, top and bottom formats and print
// switch of the current page, and the free parameters, named and encoded as
// in FollowUpSearchUrl.
std::string FollowUpRecordUrl(const ParameterSet& params, const NavigatorSettings& settings,
                              std::string_view database, std::string_view formatName, int32_t mfn,
                              const std::vector<FreeParameter>& freeParameters);

}  // namespace talor

#endif  // TALOR_NAVIGATOR_COMMAND_TEXT_H_
