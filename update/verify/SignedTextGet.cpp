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
// exactly those bytes.
void TSignedTextGet::Get() {
  fText.MaxTextLength = MaxLength;
  fSignature.MaxTextLength = kMaxSignatureSize;
  for (THTTPGet *transfer : {&fText, &fSignature}) {
    transfer->URL = transfer == &fText ? URL : URL + ".sig";
    transfer->Agent = Agent;
    transfer->Timeout = Timeout;
    transfer->BinaryData = true;
  }
  fText.GetString();
}

// The signature is asked for only once there is a text it could be the signature of, so that a
// text that is missing or too long costs no second request.
void TSignedTextGet::TextDone(TObject *, std::string text) {
  if (MaxLength != 0 && text.size() > MaxLength) {
    OnError(this);
    return;
  }
  fTextReceived = std::move(text);
  if (Key)
    fSignature.GetString();
  else
    OnDone(this, std::move(fTextReceived));
}

void TSignedTextGet::SignatureDone(TObject *, std::string signature) {
  if (Key->SignedText(fTextReceived, signature))
    OnDone(this, std::move(fTextReceived));
  else
    OnError(this);
}

void TSignedTextGet::TransferFailed(TObject *) { OnError(this); }
