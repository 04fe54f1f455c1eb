#include "platform/events.h"

namespace orvel {

namespace {
bool FieldMatches(int bound, int actual) { return bound == kAny || bound == actual; }
}  // namespace

bool EventKey::Matches(const Event& event) const {
  return kind == event.kind && FieldMatches(window, event.window) &&
         FieldMatches(object, event.object) && FieldMatches(subtype, event.subtype);
}

void EventModel::Bind(const EventKey& key, Handler handler) {
  bindings_.push_back({key, std::move(handler)});
}

void EventModel::Raise(const Event& event) {
  if (creating_ > 0) return;
  // A handler may raise events of its own (a modal box delivers messages
  // while it waits), so the event being handled is restored afterwards.
  // Bindings are only ever appended; walking by index stays valid even when
  // a handler binds more.
  const Event outer = current_;
  for (std::size_t i = 0; i < bindings_.size(); ++i) {
    if (!bindings_[i].key.Matches(event)) continue;
    current_ = event;
    const Handler handler = bindings_[i].handler;  // a copy: the vector may grow
    handler();
  }
  current_ = outer;
  queue_.push_back(event);
}

int EventModel::Wait() {
  if (queue_.empty()) {
    if (pump_) pump_();
    current_ = Event{};
    return kNoEvent;
  }
  current_ = queue_.front();
  queue_.pop_front();
  return current_.kind;
}

}  // namespace orvel
