#include "framework/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent *owner) : fOwner(owner) {}

TComponent::~TComponent() {
  while (!fFreeNotifies.empty()) {
    TComponent *other = fFreeNotifies.back();
    fFreeNotifies.pop_back();
    other->Unlink(this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
}

void TComponent::DestroyComponents() {
  while (!fComponents.empty())
    fComponents.pop_back();
}

void TComponent::Insert(std::unique_ptr<TComponent> component) {
  if (fState.Contains(csLoading))
    component->fState.Include(csLoading);
  fComponents.push_back(std::move(component));
}

void TComponent::FreeNotification(TComponent *other) {
  if (other == this ||
      std::find(fFreeNotifies.begin(), fFreeNotifies.end(), other) != fFreeNotifies.end())
    return;
  fFreeNotifies.push_back(other);
  other->fFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent *other) {
  Unlink(other);
  other->Unlink(this);
}

void TComponent::Unlink(TComponent *other) {
  fFreeNotifies.erase(std::remove(fFreeNotifies.begin(), fFreeNotifies.end(), other),
                      fFreeNotifies.end());
}

void TComponent::ReadState(const std::function<void()> &describe) {
  fState.Include(csLoading);
  const size_t first = fComponents.size();
  describe();
  for (size_t i = first; i < fComponents.size(); ++i)
    fComponents[i]->Loaded();
  Loaded();
}

void TComponent::Notification(TComponent *, TOperation) {}

void TComponent::Loaded() { fState.Exclude(csLoading); }
