// TSerPort: a serial port used through its control lines only. It drives DTR, RTS and TxD (as a
// break) and reads or watches DCD, DSR, CTS and RI. Line levels are inverted: true means the line
// is off. In event mode a line-watch thread raises OnCts, OnDsr, OnRing and OnDcd on changes; in
// polling mode the inputs are read when asked.
#pragma once

#include <memory>
#include <string>

#include "serial/CustomSerial.h"
#include "serial/Serial.h"

namespace pzam::serial {

struct TSerPortShared;
struct TPortSession;

class TSerPort : public TCustomSerial {
 public:
  using TEvent = std::function<void(TSerPort& sender)>;
  using TErrorEvent = std::function<void(TSerPort& sender, const std::string& text)>;

  TSerPort(comm::ICommApi& api, TCOMManager& manager);
  // On the platform's comm layer and the program's port manager.
  TSerPort();
  ~TSerPort() override;

  bool Out_DTR() const { return FOutDtr; }
  bool Out_RTS() const { return FOutRts; }
  bool Out_TxD() const { return FOutTxd; }
  // Stored; applied at once while open, else at the next opening.
  void SetOut_DTR(bool v);
  void SetOut_RTS(bool v);
  void SetOut_TxD(bool v);
  // The last level read; in polling mode the line is read now.
  bool In_DCD();
  bool In_DSR();
  bool In_CTS();
  bool In_RI();
  bool PollingMode() const { return FPollingMode; }
  void SetPollingMode(bool v) { FPollingMode = v; }

  void SetOnCts(TEvent fn);
  void SetOnDsr(TEvent fn);
  void SetOnRing(TEvent fn);
  void SetOnDcd(TEvent fn);
  // Raised on the line-watch thread when a handler raised an error; the thread goes on.
  void SetOnHandlerError(TErrorEvent fn);

  bool OpenPort() override;
  void ClosePort() override;
  void COMRemoved() override;

 private:
  bool ReadInput(uint32_t bit, int cache);
  void Escape(uint32_t onCode, uint32_t offCode, bool off);

  bool FOutDtr = false;
  bool FOutRts = false;
  bool FOutTxd = true;
  bool FPollingMode = false;
  bool FPollingInForce = false;
  std::shared_ptr<TSerPortShared> FShared;
  std::shared_ptr<TPortSession> FSession;
};

}  // namespace pzam::serial
