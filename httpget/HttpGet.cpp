#include "httpget/HttpGet.h"

#include "framework/UiThread.h"

#include <memory>

THTTPGet::THTTPGet(TComponent *owner, TInternetApi &internet)
    : TComponent(owner), fInternet(internet) {}

THTTPGet::~THTTPGet() {
  if (fThread)
    fThread->Orphan();
  Abort();
}

void THTTPGet::GetFile() {
  if (fThread)
    return;
  Start(true);
  if (!WaitThread)
    return;
  // The worker's end arrives as a call onto this thread, which clears fThread.
  for (;;) {
    UiThread().ProcessMessages();
    if (!fThread)
      return;
    UiThread().WaitForMessages();
  }
}

void THTTPGet::GetString() {
  if (fThread)
    return;
  Start(false);
  if (WaitThread)
    UiThread().ProcessMessages();
}

void THTTPGet::Abort() {
  if (!fThread)
    return;
  fThread->Abort();
}

// The worker is the component's to delete only until its thread runs; from then on it
// deletes itself. When no thread can be had, nothing has started and the transfer fails like
// any other: the component raises no error of its own.
void THTTPGet::Start(bool toFile) {
  ServerTime.reset();
  auto worker = std::make_unique<THTTPGetThread>(
      fInternet, AcceptTypes, Agent, URL, FileName, UserName, Password, PostQuery, Referer,
      BinaryData, UseCache, Timeout, MaxTextLength, MaxFileSize, ResumeDelay, OnProgress, toFile);
  worker->OnTerminate = MethodOf<&THTTPGet::ThreadDone>(this);
  fThread = StartSelfDeleting(std::move(worker));
  if (!fThread)
    OnError(this);
}

void THTTPGet::ThreadDone(TObject *sender) {
  const auto &worker = static_cast<const THTTPGetThread &>(*sender);
  if (worker.Succeeded)
    ServerTime = worker.ServerTime;
  try {
    if (!worker.Succeeded)
      OnError(this);
    else if (worker.ToFile)
      OnDoneFile(this, worker.FileName, worker.TotalSize);
    else
      OnDoneString(this, worker.ResultText);
  } catch (...) {
    fThread = nullptr; // a handler that throws still leaves the component idle
    throw;
  }
  fThread = nullptr;
}
