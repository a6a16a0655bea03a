// A byte stream to the broker: TCP, or TLS over TCP checked against a CA file and the host name.
// Non-blocking after the connection is made, so one thread can poll it beside other work.
#pragma once

#include <openssl/ssl.h>

#include <string>

namespace pzam::central {

class TNetStream {
 public:
  TNetStream() = default;
  ~TNetStream() { Close(); }
  TNetStream(const TNetStream&) = delete;
  TNetStream& operator=(const TNetStream&) = delete;

  // Connects (and shakes hands for TLS) within timeoutMs. False with the reason in `error`.
  bool Connect(const std::string& host, int port, bool tls, const std::string& caFile,
               int timeoutMs, std::string& error);
  void Close();
  bool IsOpen() const { return FFd >= 0; }
  int Fd() const { return FFd; }

  // Appends what can be read now. Returns the bytes read, 0 when nothing is there yet, -1 when the
  // stream was closed or failed.
  long ReadSome(std::string& into);
  // True when TLS holds decrypted bytes not yet read (poll would not show them).
  bool HasBuffered() const { return FSsl != nullptr && SSL_pending(FSsl) > 0; }
  // Writes all of data, waiting up to timeoutMs for room.
  bool WriteAll(const std::string& data, int timeoutMs);

 private:
  bool Wait(bool forWrite, int timeoutMs);

  int FFd = -1;
  SSL_CTX* FCtx = nullptr;
  SSL* FSsl = nullptr;
};

}  // namespace pzam::central
