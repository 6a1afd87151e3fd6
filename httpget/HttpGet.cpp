#include "httpget/HttpGet.h"

#include "framework/UiThread.h"

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

void THTTPGet::Start(bool toFile) {
  fThread = new THTTPGetThread(fInternet, AcceptTypes, Agent, URL, FileName, UserName, Password,
                               PostQuery, Referer, BinaryData, UseCache, OnProgress, toFile);
  fThread->OnTerminate = MethodOf<&THTTPGet::ThreadDone>(this);
  fThread->Start();
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
