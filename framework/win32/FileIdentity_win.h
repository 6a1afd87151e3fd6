#pragma once

#include "framework/win32/Handles_win.h"

#include <cstdint>
#include <optional>
#include <string>

/// What tells a file from every other file of the machine, however a path reaches it: through
/// any drive letter (subst, a mapped network drive), a UNC path, short names, links or
/// junctions on the way. It holds while the file exists; a file put in another's place by a
/// move has an identity of its own.
struct TFileIdentity {
  uint64_t Volume = 0;     // the volume's serial number
  uint64_t FileIdHigh = 0; // the file's number on that volume: 128 bits where the file
  uint64_t FileIdLow = 0;  // system has them (ReFS), 64 elsewhere

  bool operator==(const TFileIdentity &other) const {
    return Volume == other.Volume && FileIdHigh == other.FileIdHigh && FileIdLow == other.FileIdLow;
  }
};

/// The file that path (UTF-16) leads to, links followed, opened to read its attributes only and
/// sharing everything, so that a running program, a file open for writing or one about to be
/// deleted still opens; INVALID_HANDLE_VALUE when it cannot be opened so.
TFileHandle OpenForAttributes(const std::wstring &path);

/// The identity of the file that path (UTF-16) leads to, links followed; nothing when it cannot
/// be opened, not even to read its attributes.
std::optional<TFileIdentity> FileIdentityOf(const std::wstring &path);

/// The one path the system gives the file that path (UTF-16) leads to, however it was spelt: its
/// drive as the volume's own (not a subst or second letter), long names, each name's own case,
/// links followed; without the "\\?\" that the system puts before it. A name for the file that
/// survives the file's replacement, as its identity does not; "" when it cannot be opened.
std::wstring ResolvedPathOf(const std::wstring &path);
