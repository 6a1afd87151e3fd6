#include "framework/Event.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TListener : public TObject {
public:
  void Heard(TObject *sender, std::string text) {
    Sender = sender;
    Text += text;
  }
  TObject *Sender = nullptr;
  std::string Text;
};

using TTextEvent = TMethod<TObject *, std::string>;

TEST(TMethod, AnUnassignedMethodIsSkipped) {
  const TTextEvent event;
  EXPECT_FALSE(event.Assigned());
  EXPECT_EQ(event.Object(), nullptr);
  EXPECT_NO_THROW(event(nullptr, "lost"));
}

TEST(TMethod, ABoundMethodRunsOnItsOwnObject) {
  TListener first, second;
  TObject sender;
  TTextEvent event = MethodOf<&TListener::Heard>(&first);
  EXPECT_TRUE(event.Assigned());
  EXPECT_EQ(event.Object(), &first);

  event(&sender, "a");
  const TTextEvent copy = event;
  copy(&sender, "b");
  EXPECT_EQ(first.Sender, &sender);
  EXPECT_EQ(first.Text, "ab");

  event = MethodOf<&TListener::Heard>(&second);
  event(nullptr, "c");
  EXPECT_EQ(first.Text, "ab");
  EXPECT_EQ(second.Text, "c");

  event = TTextEvent();
  event(nullptr, "d");
  EXPECT_EQ(second.Text, "c");
}

} // namespace
