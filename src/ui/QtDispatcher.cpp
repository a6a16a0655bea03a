#include "ui/QtDispatcher.h"

#include <QMetaObject>
#include <QThread>

namespace pzam::ui {

TQtDispatcher::TQtDispatcher() : FContext(std::make_unique<QObject>()) {}

TQtDispatcher::~TQtDispatcher() = default;

void TQtDispatcher::Post(std::function<void()> fn) {
  QMetaObject::invokeMethod(FContext.get(), std::move(fn), Qt::QueuedConnection);
}

void TQtDispatcher::Send(std::function<void()> fn) {
  if (QThread::currentThread() == FContext->thread()) {
    fn();
  } else {
    QMetaObject::invokeMethod(FContext.get(), std::move(fn), Qt::BlockingQueuedConnection);
  }
}

}  // namespace pzam::ui
