#include "update/verify/SignedTextGet.h"

#include "update/verify/PublisherKey.h"

TSignedTextGet::TSignedTextGet(TComponent *owner, TInternetApi &internet)
    : TComponent(owner), fText(Own<THTTPGet>(internet)), fSignature(Own<THTTPGet>(internet)) {
  fText.OnDoneString = MethodOf<&TSignedTextGet::TextDone>(this);
  fText.OnError = MethodOf<&TSignedTextGet::TransferFailed>(this);
  fSignature.OnDoneString = MethodOf<&TSignedTextGet::SignatureDone>(this);
  fSignature.OnError = MethodOf<&TSignedTextGet::TransferFailed>(this);
}

// The text is raw bytes, read no further than one past its limit; a signature is verified over
// exactly those bytes. Both are asked for at once: the signature costs no round trip of its own.
void TSignedTextGet::Get() {
  if (fRunning != 0)
    return;
  fFailed = false;
  fRunning = Key ? 2 : 1;
  fText.MaxTextLength = MaxLength;
  fSignature.MaxTextLength = kMaxSignatureSize;
  for (THTTPGet *transfer : {&fText, &fSignature}) {
    transfer->URL = transfer == &fText ? URL : URL + ".sig";
    transfer->Agent = Agent;
    transfer->Timeout = Timeout;
    transfer->BinaryData = true;
  }
  fText.GetString();
  if (Key)
    fSignature.GetString();
}

void TSignedTextGet::TextDone(TObject *, std::string text) {
  fTextReceived = std::move(text);
  Arrived();
}

void TSignedTextGet::SignatureDone(TObject *, std::string signature) {
  fSignatureReceived = std::move(signature);
  Arrived();
}

// Once one transfer has failed, the other is not worth waiting for.
void TSignedTextGet::TransferFailed(TObject *sender) {
  fFailed = true;
  (sender == &fText ? fSignature : fText).Abort();
  Arrived();
}

void TSignedTextGet::Arrived() {
  if (--fRunning > 0)
    return;
  const bool taken = !fFailed && (MaxLength == 0 || fTextReceived.size() <= MaxLength) &&
                     (!Key || Key->SignedText(fTextReceived, fSignatureReceived));
  if (taken)
    OnDone(this, std::move(fTextReceived));
  else
    OnError(this);
}
