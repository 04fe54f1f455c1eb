// The event model: events of four integers, handlers bound to keys that may
// say "any", delivery at the moment an event is raised, and a first-in
// first-out queue that the event loop waits on. Portable; a backend only
// raises events while it handles native messages and supplies the pump.
#pragma once

#include <deque>
#include <functional>
#include <vector>

namespace orvel {

// Event kinds and their codes.
enum EventKind : int {
  kNoEvent = 0,
  kControlEvent = 13100,
  kCommandEvent = 13101,
  kDropEvent = 13106,
  kTimerEvent = 13110,
  kCloseEvent = 13116,
  kSizeEvent = 13118,
};

// Notification codes carried as the subtype of a control event.
inline constexpr int kEditChanged = 768;   // EN_CHANGE
inline constexpr int kButtonClicked = 0;   // BN_CLICKED

// Matches every window, object or subtype in a binding.
inline constexpr int kAny = -1;

struct Event {
  int kind = kNoEvent;
  int window = 0;
  int object = 0;
  int subtype = 0;
  friend bool operator==(const Event&, const Event&) = default;
};

struct EventKey {
  int kind = kNoEvent;
  int window = kAny;
  int object = kAny;
  int subtype = kAny;
  bool Matches(const Event& event) const;
};

using Handler = std::function<void()>;

class EventModel {
 public:
  // Handles one native message, waiting for it when none is there.
  using NativePump = std::function<void()>;

  void SetNativePump(NativePump pump) { pump_ = std::move(pump); }

  void Bind(const EventKey& key, Handler handler);

  // Runs the matching handlers now, in the order they were bound, then
  // queues the event. While a control is being created the event is
  // dropped: neither delivered nor queued.
  void Raise(const Event& event);

  // The oldest queued event's kind; with an empty queue, handles one native
  // message and gives kNoEvent. The event is then Current().
  int Wait();

  // The event whose handlers are running, or the one Wait gave last.
  const Event& Current() const { return current_; }

  bool QueueEmpty() const { return queue_.empty(); }

  // Marks the time in which a control is being created.
  class CreatingControl {
   public:
    explicit CreatingControl(EventModel& model) : model_(model) { ++model_.creating_; }
    ~CreatingControl() { --model_.creating_; }
    CreatingControl(const CreatingControl&) = delete;
    CreatingControl& operator=(const CreatingControl&) = delete;

   private:
    EventModel& model_;
  };

 private:
  struct Binding {
    EventKey key;
    Handler handler;
  };
  std::vector<Binding> bindings_;
  std::deque<Event> queue_;
  Event current_;
  NativePump pump_;
  int creating_ = 0;
};

}  // namespace orvel
