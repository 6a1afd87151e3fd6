#pragma once

#include "framework/Component.h"
#include "httpget/HttpGet.h"
#include "update/verify/FileDigest.h"

#include <string>

class TDeltaDecodeThread;

/// The address of the delta that rebuilds the download at downloadUrl from the installed program
/// whose SHA-256 is programDigest: the download's address and ".from-" and the digest in
/// lower-case hexadecimal. The publisher keeps one such delta per earlier release.
std::string DeltaUrlOf(const std::string &downloadUrl, const TSha256 &programDigest);
/// Where the delta for the download at download is written: beside it.
std::string DeltaFileOf(const std::string &download);

/// Rebuilds the new program from a downloaded delta and the installed program on a worker
/// thread, into a file of its own making, and reports the end on the user-interface thread: in
/// exactly one of OnDone (the file and its size, written and flushed to the disk) and OnError.
/// The file is never checked here: it is whatever the delta made of the installed program.
/// User-interface thread only.
class TDeltaDecoder : public TComponent {
public:
  explicit TDeltaDecoder(TComponent *owner) : TComponent(owner) {}
  /// Stops a running decoding: no event of it reaches this component or the owner's handlers.
  ~TDeltaDecoder() override;

  std::string ProgramFile; // the installed program: the delta's reference
  std::string DeltaFile;   // the delta, a zstd frame
  std::string FileName;    // where the rebuilt program is written, replacing whatever lies there
  TOnDoneFileEvent OnDone;
  TNotifyEvent OnError;

  /// Starts rebuilding; ignored while a decoding runs. When no thread can be had, OnError runs
  /// before it returns.
  void Rebuild();
  /// Stops a running decoding within a few milliseconds, which then ends in OnError. Does
  /// nothing when idle.
  void Abort();
  bool Running() const { return fThread != nullptr; }

private:
  void RebuildDone(TObject *sender);

  TDeltaDecodeThread *fThread = nullptr; // not owned: the worker deletes itself
};
