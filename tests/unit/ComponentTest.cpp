#include "framework/Component.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using TLog = std::vector<std::string>;

/// Logs its destruction, the notifications it receives and its Loaded call.
class TProbe : public TComponent {
public:
  TProbe(TComponent *owner, const std::string &name, TLog &log) : TComponent(owner), fLog(log) {
    Name = name;
  }
  ~TProbe() override { fLog.push_back("destroy " + Name); }

  bool Loading() const { return ComponentState().Contains(csLoading); }

protected:
  void Notification(TComponent *component, TOperation operation) override {
    fLog.push_back(Name + " hears " + (operation == opRemove ? "removal of " : "insertion of ") +
                   component->Name);
  }
  void Loaded() override {
    fLog.push_back("loaded " + Name + (Loading() ? " while loading" : ""));
    TComponent::Loaded();
  }

private:
  TLog &fLog;
};

TEST(TComponent, AnOwnerDestroysWhatItOwnsNewestFirst) {
  TLog log;
  auto form = std::make_unique<TProbe>(nullptr, "form", log);
  TProbe &first = form->Own<TProbe>("first", log);
  first.Own<TProbe>("inner", log);
  form->Own<TProbe>("second", log);
  EXPECT_EQ(first.Owner(), form.get());

  form.reset();
  EXPECT_EQ(log, TLog({"destroy form", "destroy second", "destroy first", "destroy inner"}));
}

TEST(TComponent, FreeNotificationReachesEitherSideOnce) {
  TLog log;
  auto a = std::make_unique<TProbe>(nullptr, "a", log);
  auto b = std::make_unique<TProbe>(nullptr, "b", log);
  a->FreeNotification(b.get());
  a->FreeNotification(b.get());
  b.reset();
  a.reset();
  EXPECT_EQ(log, TLog({"destroy b", "a hears removal of b", "destroy a"}));

  log.clear();
  a = std::make_unique<TProbe>(nullptr, "a", log);
  b = std::make_unique<TProbe>(nullptr, "b", log);
  a->FreeNotification(b.get());
  a.reset();
  b.reset();
  EXPECT_EQ(log, TLog({"destroy a", "b hears removal of a", "destroy b"}));
}

TEST(TComponent, RemovedFreeNotificationIsNotSent) {
  TLog log;
  auto a = std::make_unique<TProbe>(nullptr, "a", log);
  auto b = std::make_unique<TProbe>(nullptr, "b", log);
  a->FreeNotification(b.get());
  b->RemoveFreeNotification(a.get());
  b.reset();
  a.reset();
  EXPECT_EQ(log, TLog({"destroy b", "destroy a"}));
}

TEST(TComponent, SiblingsLinkedByFreeNotificationGoWithTheirOwner) {
  TLog log;
  auto form = std::make_unique<TProbe>(nullptr, "form", log);
  TProbe &label = form->Own<TProbe>("label", log);
  TProbe &reader = form->Own<TProbe>("reader", log);
  reader.FreeNotification(&label);
  label.FreeNotification(form.get());
  form.reset();
  EXPECT_EQ(log, TLog({"destroy form", "label hears removal of form", "destroy reader",
                       "label hears removal of reader", "destroy label"}));
}

TEST(TComponent, ReadStateLoadsWhatTheDescriptionCreates) {
  TLog log;
  TProbe form(nullptr, "form", log);
  TProbe &before = form.Own<TProbe>("before", log);
  form.ReadState([&] {
    EXPECT_TRUE(form.Loading());
    TProbe &button = form.Own<TProbe>("button", log);
    EXPECT_TRUE(button.Loading());
  });
  EXPECT_EQ(log, TLog({"loaded button while loading", "loaded form while loading"}));
  EXPECT_FALSE(form.Loading());
  EXPECT_FALSE(before.Loading());
  EXPECT_FALSE(form.Own<TProbe>("after", log).Loading());
}

} // namespace
