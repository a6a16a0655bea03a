#include "measurement/SerialBinding.h"

#include <mutex>
#include <thread>

#include "config/TextIds.h"

namespace pzam::measurement {

using namespace std::chrono_literals;

// What the event thread's handler uses. Alive is written on the window thread under the mutex;
// the handler reads, tags and posts under the mutex, so once the binding is gone nothing more is
// read for it, and a removal's last read cannot overtake a read of the event thread.
struct TSerialRunBinding::TShared : std::enable_shared_from_this<TShared> {
  std::mutex Mutex;
  bool Alive = true;
  TSerialRunBinding* Self = nullptr;
  IDispatcher* Window = nullptr;

  // With the mutex held: posts what was read, tagged with the run current now.
  void HandOverLocked(std::string text) {
    if (!Alive || text.empty()) return;
    const std::uint64_t generation = Self->FRun.Generation();
    Window->Post([shared = shared_from_this(), text = std::move(text), generation] {
      if (shared->Alive) shared->Self->FRun.Received(text, generation);
    });
  }
};

TSerialRunBinding::TSerialRunBinding(TRunSerial& serial, TMeasurementRun& run, IRunView& view,
                                     const IRunChoices& choices, IDispatcher& window)
    : FSerial(serial),
      FRun(run),
      FView(view),
      FChoices(choices),
      FShared(std::make_shared<TShared>()) {
  FShared->Self = this;
  FShared->Window = &window;
  FSerial.SetSyncEventHandling(false);
  FSerial.SetOnEventChar([shared = FShared](serial::TSerial& sender) {
    // Characters that arrive meanwhile join the receive queue and this read.
    std::this_thread::sleep_for(200ms);
    std::lock_guard lock(shared->Mutex);
    if (shared->Alive) shared->HandOverLocked(sender.ReadText());
  });
  FSerial.SetOnHandlerError([shared = FShared](serial::TSerial&, const std::string& text) {
    std::lock_guard lock(shared->Mutex);
    if (!shared->Alive) return;
    shared->Window->Post([shared, text] {
      if (shared->Alive) shared->Self->FView.AddMemoLine(text);
    });
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
}

bool TSerialRunBinding::PortLost() const {
  return FLost && FRun.Running() && FRun.Generation() == FLostGeneration && !FSerial.Active();
}

void TSerialRunBinding::PostMemo(int textId) {
  // Queued behind the texts handed over before, so the lines keep the order of events.
  FShared->Window->Post([shared = FShared, textId] {
    if (shared->Alive) shared->Self->FView.AddMemoLine(shared->Self->FChoices.LanguageText(textId));
  });
}

void TSerialRunBinding::Removed() {
  if (!FRun.Running()) return;
  FLost = true;
  FLostGeneration = FRun.Generation();
  FSeenGone = !FSerial.Manager().HasPort(FSerial.COMPort());
  PostMemo(textid::kPortRemoved);
}

void TSerialRunBinding::ListChanged(void* self) {
  // The manager may be in the middle of a rescan: reopen after it is done.
  auto* binding = static_cast<TSerialRunBinding*>(self);
  binding->FShared->Window->Post([shared = binding->FShared] {
    if (shared->Alive) shared->Self->TryReopen();
  });
}

void TSerialRunBinding::TryReopen() {
  if (!PortLost()) return;
  if (!FSerial.Manager().HasPort(FSerial.COMPort())) {
    FSeenGone = true;
    return;
  }
  if (!FSeenGone || !FSerial.OpenPort()) return;  // not back yet: the next change tries again
  FLost = false;
  FRun.DropUnfinished();
  FView.AddMemoLine(FChoices.LanguageText(textid::kPortReopened));
}

}  // namespace pzam::measurement
