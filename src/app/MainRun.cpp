// The main window's side of the measuring run: the run core sees the window through a view, the
// settings window through the choices and Serial1 through the run port; the run binding hands the
// port's texts to the run on the window thread and reopens a port that returns.
#include "app/MainAdapters.h"
#include "measurement/MeasurementRun.h"
#include "measurement/RunSerial.h"
#include "measurement/SerialBinding.h"
#include "measurement/SerialRunPort.h"
#include "serial/SerPort.h"
#include "serial/comm/PlatformCommApi.h"
#include "ui/MessageBoxes.h"
#include "ui/QtDispatcher.h"

namespace pzam {

void TF_Main::CreateRun(const TMainSetup& setup) {
  FFormat = setup.Format ? *setup.Format : SystemFormatSettings();
  FClock = setup.Clock;
  comm::ICommApi& api = setup.Comm != nullptr ? *setup.Comm : comm::PlatformCommApi();
  FComm = &api;
  FRunDirectory = setup.RunDirectory;
  FWait = setup.Wait;
  FSerial1 = std::make_unique<measurement::TRunSerial>(api, *FManager, FDispatcher.get());
  SetSerial1Properties();
  FSerPort1 = std::make_unique<serial::TSerPort>(api, *FManager);
  SetSerPort1Properties();
  FRunView = std::make_unique<TRunView>(*this);
  FRunChoices = std::make_unique<TRunChoices>(*this);
  FRunPort = std::make_unique<measurement::TSerialRunPort>(*FSerial1);
  measurement::TRunOptions options;
  options.Directory = setup.RunDirectory;
  options.Wait = setup.Wait;
  FRun =
      std::make_unique<measurement::TMeasurementRun>(*FRunView, *FRunChoices, *FRunPort, options);
  // What the run does with a text runs through the error box like every window handler.
  FBinding = std::make_unique<measurement::TSerialRunBinding>(
      *FSerial1, *FRun, *FRunView, *FRunChoices, *FDispatcher,
      [](const std::function<void()>& work) { ui::Guard(work); });
}

// Serial1 as the window defines it: port 3, 9600 baud, 8 data bits, even parity, 1 stop bit,
// event character 23, events on the port's own thread.
void TF_Main::SetSerial1Properties() {
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
}

// SerPort1 as the window defines it: port 3, idle priority, all outputs off except TxD (no
// break), event mode. No operation of the program opens it.
void TF_Main::SetSerPort1Properties() {
  serial::TSerPort& p = *FSerPort1;
  p.SetCOMPort(3);
  p.SetThreadPriority(serial::TThreadPriority::tpIdle);
  p.SetOut_DTR(false);
  p.SetOut_RTS(false);
  p.SetOut_TxD(true);
  p.SetPollingMode(false);
}

serial::TSerial& TF_Main::Serial1() const {
  return *FSerial1;
}

}  // namespace pzam
