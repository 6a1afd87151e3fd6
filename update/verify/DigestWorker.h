#pragma once

#include "framework/Component.h"
#include "update/verify/FileDigest.h"

#include <functional>
#include <optional>

class TDigestThread;

/// A file's SHA-256.
using TOnDigestEvent = TMethod<TObject *, TSha256>;
/// Hashes one file; run on a worker thread, so it holds only what a thread may share.
using TDigestJob = std::function<std::optional<TSha256>()>;

/// Hashes a file on a worker thread, so that the window answers its user meanwhile however
/// large the file, and reports the digest on the user-interface thread: each Start ends in
/// exactly one of OnDigest and OnError (the job gave nothing). User-interface thread only.
class TDigestWorker : public TComponent {
public:
  explicit TDigestWorker(TComponent *owner) : TComponent(owner) {}
  /// Keeps a running hash's end from reaching anyone; the hash, which cannot be cut short, runs
  /// out on its own.
  ~TDigestWorker() override;

  TOnDigestEvent OnDigest;
  TNotifyEvent OnError;

  /// Runs job on a thread of its own; ignored while a hash runs. When no thread can be had,
  /// OnError runs before it returns.
  void Start(TDigestJob job);
  bool Running() const { return fThread != nullptr; }

private:
  void Done(TObject *sender);

  TDigestThread *fThread = nullptr; // not owned: the worker deletes itself
};
