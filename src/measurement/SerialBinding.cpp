#include "measurement/SerialBinding.h"

#include <deque>
#include <mutex>
#include <thread>

#include "config/TextIds.h"

namespace pzam::measurement {

using namespace std::chrono_literals;

// What the event thread's handler uses. Alive is written on the window thread under the mutex;
// the handler reads, tags and queues under the mutex, so once the binding is gone nothing more is
// read for it, and a removal's last read cannot overtake a read of the event thread.
struct TSerialRunBinding::TShared : std::enable_shared_from_this<TShared> {
  std::mutex Mutex;
  bool Alive = true;
  TSerialRunBinding* Self = nullptr;
  IDispatcher* Window = nullptr;
  TGuard Guard;
  // Work for the window thread in the order it arose: texts read, handler errors.
  std::deque<std::function<void()>> Pending;

  // With the mutex held: queues the work and asks the window thread to run the queue.
  void QueueLocked(std::function<void()> work) {
    if (!Alive) return;
    Pending.push_back(std::move(work));
    Window->Post([shared = shared_from_this()] { shared->RunPending(); });
  }

  // With the mutex held: queues what was read, tagged with the run current now.
  void HandOverLocked(std::string text) {
    if (!Alive || text.empty()) return;
    const std::uint64_t generation = Self->FRun.Generation();
    QueueLocked(
        [this, text = std::move(text), generation] { Self->FRun.Received(text, generation); });
  }

  // Window thread: runs the queued work, oldest first. The binding's own events call it before
  // they add their memo line, so that line follows what was read before it.
  void RunPending() {
    const auto keep = shared_from_this();  // the work may show a box whose loop ends the binding
    for (;;) {
      std::function<void()> work;
      {
        std::lock_guard lock(Mutex);
        if (!Alive || Pending.empty()) return;
        work = std::move(Pending.front());
        Pending.pop_front();
      }
      if (Guard) {
        Guard(work);
      } else {
        work();
      }
    }
  }
};

TSerialRunBinding::TSerialRunBinding(TRunSerial& serial, IBoundRun& run, IRunView& view,
                                     const IRunChoices& choices, IDispatcher& window, TGuard guard)
    : FSerial(serial),
      FRun(run),
      FView(view),
      FChoices(choices),
      FShared(std::make_shared<TShared>()) {
  FShared->Self = this;
  FShared->Window = &window;
  FShared->Guard = std::move(guard);
  FSerial.SetSyncEventHandling(false);
  FSerial.SetOnEventChar([shared = FShared](serial::TSerial& sender) {
    // Characters that arrive meanwhile join the receive queue and this read.
    std::this_thread::sleep_for(200ms);
    std::lock_guard lock(shared->Mutex);
    if (shared->Alive) shared->HandOverLocked(sender.ReadText());
  });
  FSerial.SetOnHandlerError([shared = FShared](serial::TSerial&, const std::string& text) {
    std::lock_guard lock(shared->Mutex);
    shared->QueueLocked([self = shared->Self, text] { self->FView.AddMemoLine(text); });
  });
  FSerial.SetOnBeforeRemoval([shared = FShared](TRunSerial& sender) {
    std::lock_guard lock(shared->Mutex);
    shared->HandOverLocked(sender.ReadText());
  });
  FSerial.SetOnCOMRemoved([this](serial::TCustomSerial&) { Removed(); });
  FSerial.Manager().AddListener({&TSerialRunBinding::ListChanged, this});
}

TSerialRunBinding::~TSerialRunBinding() {
  FSerial.Manager().RemoveListener({&TSerialRunBinding::ListChanged, this});
  FSerial.SetOnCOMRemoved(nullptr);
  FSerial.SetOnBeforeRemoval(nullptr);
  FSerial.SetOnHandlerError(nullptr);
  FSerial.SetOnEventChar(nullptr);
  std::lock_guard lock(FShared->Mutex);
  FShared->Alive = false;
  FShared->Pending.clear();
}

bool TSerialRunBinding::PortLost() const {
  return FLost && FRun.Running() && FRun.Generation() == FLostGeneration && !FSerial.Active();
}

void TSerialRunBinding::AddMemo(int textId) {
  FShared->RunPending();
  FView.AddMemoLine(FChoices.LanguageText(textId));
}

// Window thread, from the port manager: the run goes on with its record file valid and says so at
// once, after the texts read up to the removal.
void TSerialRunBinding::Removed() {
  if (!FRun.Running()) return;
  FLost = true;
  FLostGeneration = FRun.Generation();
  AddMemo(textid::kPortRemoved);
}

// Also called in the middle of a rescan, before the manager carries the owners over: a port
// that was missing from the previous list has no owner to carry, so the reopened one keeps its.
void TSerialRunBinding::ListChanged(void* self) {
  static_cast<TSerialRunBinding*>(self)->TryReopen();
}

void TSerialRunBinding::TryReopen() {
  if (!PortLost()) return;
  if (!FSerial.Manager().HasPort(FSerial.COMPort())) return;
  // Listed is not enough: the port may not have left the list at all when it returned under the
  // same device name between two scans (a new pseudo-terminal of the same number, an adapter
  // plugged back at once). The removed device cannot be opened any more, so an opening that
  // succeeds means a device is there again.
  // What was read before the removal reaches the run before its cut-off telegram is dropped;
  // what the reopened port reads stays queued until after the drop.
  FShared->RunPending();
  if (!FSerial.OpenPort()) return;  // not back yet: the next change tries again
  FLost = false;
  FRun.DropUnfinished();
  FView.AddMemoLine(FChoices.LanguageText(textid::kPortReopened));
}

}  // namespace pzam::measurement
