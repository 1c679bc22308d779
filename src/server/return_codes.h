// The return codes that the catalogue server puts in the first line of an
// answer. The numbers cross the wire, so they are fixed; README.md lists them
// for catalogue administrators.

#ifndef TALOR_SERVER_RETURN_CODES_H_
#define TALOR_SERVER_RETURN_CODES_H_

#include <cstdint>

namespace talor::server {

enum class ReturnCode : int32_t {
  Ok = 0,
  BadMfn = -140,                 // the MFN is not a positive number
  TermAbsent = -202,             // the start term or the posting term is not in the dictionary
  SearchSyntax = -300,           // the search expression does not parse
  FormatFailed = -400,           // the format could not be run
  RecordLocked = -602,           // another client holds the record's lock
  RecordAbsent = -605,           // no record with that MFN
  VersionConflict = -608,        // the record was changed since it was read
  ResourceAbsent = -700,         // no such binary resource
  BadResourcePath = -701,        // the resource path is malformed or leaves its folder
  UnknownDatabase = -1000,       // no database of that name
  UnknownCommand = -1001,        // the command letter is not served
  BadParameters = -1002,         // the parameter lines are missing or malformed
  Interrupted = -1003,           // the client stopped the request
  StorageFailed = -1005,         // the storage could not complete the operation
  AccessDenied = -3335,          // user name and password do not match a user
  WriteForbidden = -3336,        // the user may not change records
  BadLogin = -3337,              // registration: unknown user or wrong password
  SessionLimit = -3338,          // registration: no free session for a new client
  WorkstationForbidden = -3339,  // registration: the workstation code is not allowed
};

inline constexpr int32_t Code(ReturnCode code) { return static_cast<int32_t>(code); }

}  // namespace talor::server

#endif  // TALOR_SERVER_RETURN_CODES_H_
