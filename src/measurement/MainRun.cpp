// The main window's side of the measuring run: the run core sees the window through a view, the
// settings window through the choices and Serial1 through a port. The port's event thread only
// reads; its text reaches the run on the window thread.
#include <thread>

#include "config/TextIds.h"
#include "measurement/MainAdapters.h"
#include "measurement/MeasurementRun.h"
#include "serial/comm/PlatformCommApi.h"
#include "ui/MessageBoxes.h"
#include "ui/QtDispatcher.h"

namespace pzam {

void TF_Main::CreateRun(const TMainSetup& setup) {
  FFormat = setup.Format ? *setup.Format : SystemFormatSettings();
  FClock = setup.Clock;
  comm::ICommApi& api = setup.Comm != nullptr ? *setup.Comm : comm::PlatformCommApi();
  FSerial1 = std::make_unique<serial::TSerial>(api, *FManager, FDispatcher.get());
  FRunView = std::make_unique<TRunView>(*this);
  FRunChoices = std::make_unique<TRunChoices>(*this);
  FRunPort = std::make_unique<TRunPort>(*this);
  measurement::TRunOptions options;
  options.Directory = setup.RunDirectory;
  options.Wait = setup.Wait;
  FRun =
      std::make_unique<measurement::TMeasurementRun>(*FRunView, *FRunChoices, *FRunPort, options);
  BindSerialEvents();
}

// Serial1 as the window defines it: port 3, 9600 baud, 8 data bits, even parity, 1 stop bit,
// event character 23, events on the port's own thread; only the event character is handled.
void TF_Main::BindSerialEvents() {
  serial::TSerial& s = *FSerial1;
  s.SetCOMPort(3);
  s.SetThreadPriority(serial::TThreadPriority::tpNormal);
  s.SetBaudrate(9600);
  s.SetDataBits(serial::TDataBits::db_8);
  s.SetParityBit(serial::TParityBit::even);
  s.SetStopBits(serial::TStopBits::sb_1);
  s.SetEventChar(23);
  s.SetSyncEventHandling(false);
  s.SetEnableEvents(true);
  s.SetSyncWait(true);
  // Event thread: wait for the rest of the telegram, read, and hand the text to the window
  // thread tagged with the run it was read for. No widget is touched here.
  s.SetOnEventChar([this](serial::TSerial& sender) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::string text = sender.ReadText();
    const std::uint64_t generation = FRun->Generation();
    FDispatcher->Post([this, text = std::move(text), generation] {
      ui::Guard([&] { FRun->Received(text, generation); });
    });
  });
  s.SetOnCOMRemoved([this](serial::TCustomSerial&) { PortRemoved(); });
  FManager->AddListener({&TF_Main::PortListChanged, this});
  s.SetOnHandlerError([this](serial::TSerial&, const std::string& message) {
    FDispatcher->Post([this, message] { FRunView->AddMemoLine(message); });
  });
}

// Window thread (the port manager's device-change handling): the run goes on with its record
// file valid and says so; nothing is received until the port is back.
void TF_Main::PortRemoved() {
  if (!FRun->Running()) return;
  FPortLost = true;
  FRunView->AddMemoLine(LanguageText(textid::kPortRemoved));
}

// After every scan of the port manager: a lost port that is listed again is reopened with the
// line parameters it had.
void TF_Main::PortListChanged(void* self) {
  auto& main = *static_cast<TF_Main*>(self);
  if (!main.FPortLost) return;
  if (!main.FRun->Running()) {
    main.FPortLost = false;
    return;
  }
  if (!main.FManager->HasPort(main.FSerial1->COMPort())) return;
  main.FSerial1->SetActive(true);
  if (!main.FSerial1->Active()) return;
  main.FPortLost = false;
  main.FRunView->AddMemoLine(main.LanguageText(textid::kPortReopened));
}

}  // namespace pzam
