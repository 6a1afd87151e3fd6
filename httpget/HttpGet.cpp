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
  if (WaitThread)
    while (fThread)
      UiThread().ProcessMessages();
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
  fThread->Terminate();
  fThread->Succeeded = false;
}

// The worker is the component's to delete only until its thread runs; from then on it
// deletes itself. Nothing has started when no thread can be had.
void THTTPGet::Start(bool toFile) {
  auto worker = std::make_unique<THTTPGetThread>(fInternet, AcceptTypes, Agent, URL, FileName,
                                                 UserName, Password, PostQuery, Referer, BinaryData,
                                                 UseCache, OnProgress, toFile);
  worker->OnTerminate = MethodOf<&THTTPGet::ThreadDone>(this);
  worker->Start();
  fThread = worker.release();
}

void THTTPGet::ThreadDone(TObject *sender) {
  const auto &worker = static_cast<const THTTPGetThread &>(*sender);
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
