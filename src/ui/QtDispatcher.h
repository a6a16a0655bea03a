// The window thread's dispatcher on Qt's event loop: Post queues work for the window thread,
// Send runs it there and waits (at once when already on the window thread).
#pragma once

#include <QObject>
#include <memory>

#include "common/Dispatcher.h"

namespace pzam::ui {

class TQtDispatcher : public IDispatcher {
 public:
  // Create on the window thread: work runs on the thread that created the dispatcher.
  TQtDispatcher();
  ~TQtDispatcher() override;

  void Post(std::function<void()> fn) override;
  void Send(std::function<void()> fn) override;

 private:
  // Queued work is bound to this object; work still queued when it goes is dropped.
  std::unique_ptr<QObject> FContext;
};

}  // namespace pzam::ui
