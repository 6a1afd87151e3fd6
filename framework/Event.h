#pragma once

#include <cstdint>
#include <string>

/// Root of the class tree; event senders are passed as TObject*.
class TObject {
public:
  virtual ~TObject() = default;
};

/// A method pointer: an object and code. An unassigned one is skipped silently when called.
template <class... Args> class TMethod {
public:
  TMethod() = default;

  /// Binds Method of object; use MethodOf<&C::Method>(object), which deduces the types.
  template <auto Method, class C> static TMethod Bind(C *object) {
    return TMethod(object,
                   [](void *self, Args... args) { (static_cast<C *>(self)->*Method)(args...); });
  }

  bool Assigned() const { return fCode != nullptr; }
  /// The object the method is bound to; nullptr when unassigned.
  const void *Object() const { return fObject; }

  void operator()(Args... args) const {
    if (fCode)
      fCode(fObject, args...);
  }

private:
  using TCode = void (*)(void *, Args...);
  TMethod(void *object, TCode code) : fObject(object), fCode(code) {}

  void *fObject = nullptr;
  TCode fCode = nullptr;
};

template <class TMember> struct TMethodTraits;
template <class C, class... Args> struct TMethodTraits<void (C::*)(Args...)> {
  using TClass = C;
  using TEvent = TMethod<Args...>;
};

/// Binds a member function to its object: OnClick = MethodOf<&TForm1::Button1Click>(this).
template <auto Method> auto MethodOf(typename TMethodTraits<decltype(Method)>::TClass *object) {
  return TMethodTraits<decltype(Method)>::TEvent::template Bind<Method>(object);
}

using TNotifyEvent = TMethod<TObject *>;
/// Asks whether a window may close: the handler clears CanClose to keep it open.
using TCloseQueryEvent = TMethod<TObject *, bool &>;
