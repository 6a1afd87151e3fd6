#pragma once

#include "framework/Component.h"
#include "httpget/HttpGet.h"
#include "update/verify/FileDigest.h"

#include <memory>
#include <string>

class TDeltaStepThread;

/// The address of the delta that rebuilds the download at downloadUrl from the installed program
/// whose SHA-256 is programDigest: the download's address and ".from-" and the digest in
/// lower-case hexadecimal. The publisher keeps one such delta per earlier release.
std::string DeltaUrlOf(const std::string &downloadUrl, const TSha256 &programDigest);
/// Where the delta for the download at download is written: beside it.
std::string DeltaFileOf(const std::string &download);

/// The installed program's SHA-256.
using TOnDigestEvent = TMethod<TObject *, TSha256>;

/// Does the delta's work on a worker thread, one step at a time, and reports the step's end on
/// the user-interface thread. DigestProgram hashes the installed program, which names the delta,
/// and ends in exactly one of OnDigest and OnError. Rebuild rebuilds the new program from a
/// downloaded delta and the installed program into a file of its own making, and ends in exactly
/// one of OnDone (the file and its size, written and flushed to the disk) and OnError; the file
/// is never checked here: it is whatever the delta made of the installed program.
/// User-interface thread only.
class TDeltaDecoder : public TComponent {
public:
  explicit TDeltaDecoder(TComponent *owner) : TComponent(owner) {}
  /// Stops a running step: no event of it reaches this component or the owner's handlers.
  ~TDeltaDecoder() override;

  std::string ProgramFile; // the installed program: hashed, and the delta's reference
  std::string DeltaFile;   // the delta, a zstd frame
  std::string FileName;    // where the rebuilt program is written, replacing whatever lies there
  /// Hashes ProgramFile for DigestProgram, on the worker thread; nothing when it cannot.
  TFileDigest Digest = Sha256OfFile;
  TOnDigestEvent OnDigest;
  TOnDoneFileEvent OnDone;
  TNotifyEvent OnError;

  /// Starts hashing ProgramFile with Digest; ignored while a step runs. When no thread can be
  /// had, OnError runs before it returns.
  void DigestProgram();
  /// Starts rebuilding; ignored while a step runs. When no thread can be had, OnError runs
  /// before it returns.
  void Rebuild();
  /// Stops a running decoding within a few milliseconds, which then ends in OnError; a hash,
  /// which cannot be cut short, ends in OnError once it has run out. Does nothing when idle.
  void Abort();
  bool Running() const { return fThread != nullptr; }

private:
  void Start(std::unique_ptr<TDeltaStepThread> worker, TNotifyEvent done);
  void DigestDone(TObject *sender);
  void RebuildDone(TObject *sender);

  TDeltaStepThread *fThread = nullptr; // not owned: the worker deletes itself
};
