#include "platform/events.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel {
namespace {

TEST(EventKey, MatchesExactFieldsOrAny) {
  const Event change{kControlEvent, 0, 11, kEditChanged};
  const struct {
    EventKey key;
    bool matches;
  } cases[] = {
      {{kControlEvent, 0, 11, kEditChanged}, true},
      {{kControlEvent, kAny, kAny, kAny}, true},
      {{kControlEvent, 0, 11, kAny}, true},
      {{kControlEvent, 33, 11, kEditChanged}, false},
      {{kControlEvent, 0, 105, kEditChanged}, false},
      {{kControlEvent, 0, 11, kButtonClicked}, false},
      {{kCommandEvent, kAny, kAny, kAny}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.key.Matches(change), c.matches)
        << c.key.kind << " " << c.key.window << " " << c.key.object << " " << c.key.subtype;
  }
}

TEST(EventModel, RunsHandlersAtOnceThenQueuesInOrder) {
  EventModel model;
  std::string log;
  model.Bind({kTimerEvent}, [&] { log += "tick(" + std::to_string(model.Current().object) + ")"; });
  model.Bind({kCommandEvent, 0, 21}, [&] { log += "theme"; });

  model.Raise({kTimerEvent, 0, 1, 0});
  EXPECT_EQ(log, "tick(1)");  // before the loop sees it
  model.Raise({kCommandEvent, 33, 21, 0});  // another window: not bound
  model.Raise({kCommandEvent, 0, 21, 0});
  EXPECT_EQ(log, "tick(1)theme");

  EXPECT_EQ(model.Wait(), kTimerEvent);
  EXPECT_EQ(model.Current(), (Event{kTimerEvent, 0, 1, 0}));
  EXPECT_EQ(model.Wait(), kCommandEvent);
  EXPECT_EQ(model.Current().window, 33);
  EXPECT_EQ(model.Wait(), kCommandEvent);
  EXPECT_EQ(model.Current().window, 0);
  EXPECT_TRUE(model.QueueEmpty());
}

TEST(EventModel, WaitWithAnEmptyQueueHandlesOneNativeMessage) {
  EventModel model;
  int pumped = 0;
  int handled = 0;
  model.Bind({kSizeEvent}, [&] { ++handled; });
  // The native message raises an event while it is handled.
  model.SetNativePump([&] {
    ++pumped;
    model.Raise({kSizeEvent, 0, 0, 0});
  });
  EXPECT_EQ(model.Wait(), kNoEvent);  // the message was handled, no event returned
  EXPECT_EQ(pumped, 1);
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(model.Wait(), kSizeEvent);  // the raised event is queued for the loop
  EXPECT_EQ(pumped, 1);
}

TEST(EventModel, NestedDeliveryKeepsTheOuterEventQueryable) {
  // A handler that opens a modal box lets timer ticks run inside it.
  EventModel model;
  std::string log;
  model.Bind({kCommandEvent, 0, 66}, [&] {
    model.Raise({kTimerEvent, 0, 1, 0});
    log += "after box:" + std::to_string(model.Current().object);
  });
  model.Bind({kTimerEvent}, [&] { log += "tick:" + std::to_string(model.Current().kind) + ";"; });
  model.Raise({kCommandEvent, 0, 66, 0});
  EXPECT_EQ(log, "tick:13110;after box:66");
  // The inner event was queued first, as it was raised first.
  EXPECT_EQ(model.Wait(), kTimerEvent);
  EXPECT_EQ(model.Wait(), kCommandEvent);
}

TEST(EventModel, NothingIsQueuedOrDeliveredWhileAControlIsCreated) {
  EventModel model;
  int handled = 0;
  model.Bind({kControlEvent}, [&] { ++handled; });
  {
    EventModel::CreatingControl creating(model);
    model.Raise({kControlEvent, 0, 11, kEditChanged});
  }
  EXPECT_EQ(handled, 0);
  EXPECT_TRUE(model.QueueEmpty());
  model.Raise({kControlEvent, 0, 11, kEditChanged});
  EXPECT_EQ(handled, 1);
  EXPECT_FALSE(model.QueueEmpty());
}

TEST(EventModel, AHandlerMayBindMoreWhileItRuns) {
  EventModel model;
  int later = 0;
  model.Bind({kTimerEvent}, [&] { model.Bind({kSizeEvent}, [&] { ++later; }); });
  model.Raise({kTimerEvent, 0, 1, 0});
  model.Raise({kSizeEvent, 0, 0, 0});
  EXPECT_EQ(later, 1);
}

}  // namespace
}  // namespace orvel
