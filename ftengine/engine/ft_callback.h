// The transport callback contract between the engine and its host. The
// engine has no network code: every message it sends leaves through the
// host's callback, and the host hands every received file-transfer message
// back to the engine.
//
// int callback(session, type, data, length, user):
//   FTCB_SEND      session or null; the whole message and its length; the
//                  session's user value. Nonzero when sent.
//   FTCB_PROGRESS  null; null and a count of file bytes read (upload) or
//                  written (download); the transfer's user value. Ignored.
//   FTCB_OPEN      the session; null, 0; the session's user value. Nonzero
//                  accepts the session.
//   FTCB_CLOSED    null; the session as data, 0; the session's user value.
//                  Ignored.
//   FTCB_DRIVE     the session; one drive entry and its size; the listing's
//                  user value. Zero stops the listing.
//   FTCB_FILE      the session; one file entry and its size; the listing's
//                  user value. Zero stops the listing.
//   FTCB_CHANGE    null; the notification identifier itself as data, 0; the
//                  session's user value. Ignored.
// The callback runs on the thread doing the work: the caller's for session
// operations, a transfer thread for sends and progress of transfers, and the
// host's receive thread for change notifications. It may be entered from
// several threads at once; the host serialises its sends.
#pragma once

#include <cstdint>

namespace zel::ftengine {

struct FtSession;

enum FtCallbackType : int {
  FTCB_SEND = 1,
  FTCB_PROGRESS = 2,
  FTCB_OPEN = 3,
  FTCB_CLOSED = 4,
  FTCB_DRIVE = 5,
  FTCB_FILE = 6,
  FTCB_CHANGE = 7,
};

extern "C" {
typedef int (*FT_CALLBACK)(FtSession* session, int type, void* data, std::uint32_t length,
                           void* user);
}

}  // namespace zel::ftengine
