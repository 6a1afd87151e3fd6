#pragma once

#include "framework/Event.h"
#include "framework/Set.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

enum TComponentStateElement { csLoading, csDesigning };
using TComponentState = TSet<TComponentStateElement>;

enum TOperation { opInsert, opRemove };

/// Base of everything a form holds: an owner that destroys it, a name, a component state, and
/// free notification. Used on the user-interface thread only.
class TComponent : public TObject {
public:
  explicit TComponent(TComponent *owner);
  ~TComponent() override;
  TComponent(const TComponent &) = delete;
  TComponent &operator=(const TComponent &) = delete;

  std::string Name;
  int Tag = 0;

  TComponent *Owner() const { return fOwner; }
  TComponentState ComponentState() const { return fState; }

  /// Creates a component owned by this one, passing this as its owner; it is destroyed with
  /// this one, in the reverse order of creation.
  template <class T, class... Args> T &Own(Args &&...args) {
    auto component = std::make_unique<T>(this, std::forward<Args>(args)...);
    T &created = *component;
    Insert(std::move(component));
    return created;
  }

  /// other receives Notification(this, opRemove) before this component is destroyed.
  void FreeNotification(TComponent *other);
  /// Withdraws a FreeNotification request of other.
  void RemoveFreeNotification(TComponent *other);

  /// Builds this component's description in describe; components created meanwhile are in the
  /// loading state, and Loaded is called on each of them and on this one afterwards.
  void ReadState(const std::function<void()> &describe);

protected:
  /// A component that this one asked for free notification is about to be destroyed
  /// (operation opRemove); every reference to it must be dropped.
  virtual void Notification(TComponent *component, TOperation operation);
  /// The description has been read: ends the loading state.
  virtual void Loaded();
  /// Destroys the owned components now, in the reverse order of creation.
  void DestroyComponents();

private:
  void Insert(std::unique_ptr<TComponent> component);
  void Unlink(TComponent *other);

  TComponent *fOwner;
  TComponentState fState;
  std::vector<std::unique_ptr<TComponent>> fComponents;
  // Both directions of every free-notification link, so that either side can go first.
  std::vector<TComponent *> fFreeNotifies;
};
