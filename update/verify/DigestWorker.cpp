#include "update/verify/DigestWorker.h"

#include "framework/Thread.h"

#include <exception>
#include <memory>
#include <utility>

/// One hash; it deletes itself once its owner has heard of its end.
class TDigestThread : public TThread {
public:
  explicit TDigestThread(TDigestJob job) : Job(std::move(job)) {}

  /// Keeps the end from reaching an owner that is going away.
  void Orphan() { OnTerminate = TNotifyEvent(); }

  const TDigestJob Job;
  // Read by the completion callback once Execute has returned: nothing when the file could not
  // be hashed.
  std::optional<TSha256> Outcome;

protected:
  // A hash that fails in any way, no memory for its pieces included, gives nothing.
  void Execute() override {
    try {
      Outcome = Job();
    } catch (const std::exception &) {
      Outcome.reset();
    }
  }
};

TDigestWorker::~TDigestWorker() {
  if (fThread)
    fThread->Orphan();
}

void TDigestWorker::Start(TDigestJob job) {
  if (fThread)
    return;
  auto worker = std::make_unique<TDigestThread>(std::move(job));
  worker->OnTerminate = MethodOf<&TDigestWorker::Done>(this);
  fThread = StartSelfDeleting(std::move(worker));
  if (!fThread)
    OnError(this);
}

void TDigestWorker::Done(TObject *sender) {
  const std::optional<TSha256> outcome = static_cast<const TDigestThread &>(*sender).Outcome;
  fThread = nullptr;
  if (outcome)
    OnDigest(this, *outcome);
  else
    OnError(this);
}
