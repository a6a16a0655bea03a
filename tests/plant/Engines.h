// Real engines for the plant tests: a mosquitto broker and a PostgreSQL cluster of the test's own,
// each on a free loopback port in a temporary folder, stopped when the object goes (also when the
// test fails); a test CA with a broker certificate; the stations' and collectors' processes.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace pzam::test {

// A TCP port on 127.0.0.1 that nothing listens on now.
int FreePort();

// Runs a program to its end (at most timeoutSeconds); its exit code, -1 when it did not end.
int RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr,
               int timeoutSeconds = 120);

// A CA and a certificate for 127.0.0.1 signed by it (ca.crt, server.crt, server.key in dir);
// false when openssl failed.
bool MakeTestCertificates(const std::string& dir);

struct TBrokerConfig {
  bool Tls = false;  // ca.crt, server.crt, server.key from CertDir
  std::string CertDir;
  std::map<std::string, std::string> Users;  // name -> password; empty: anonymous
  std::string Acl;                           // the ACL file's text; empty: none
};

class TMosquitto {
 public:
  TMosquitto(const std::string& dir, const TBrokerConfig& config);
  ~TMosquitto() { Stop(); }
  bool Start();  // waits until the port takes connections
  void Stop();   // SIGTERM: the broker saves its sessions and their messages
  int Port() const { return FPort; }
  std::string Url() const;

 private:
  std::string FDir;
  bool FTls;
  int FPort;
  std::unique_ptr<TChildProcess> FProcess;
};

class TPostgres {
 public:
  explicit TPostgres(const std::string& dir);  // initdb as an unprivileged user
  ~TPostgres() { Stop(); }
  bool Initialized() const { return FInitialized; }
  bool Start();
  void Stop();
  int Port() const { return FPort; }
  std::string Conninfo(const std::string& user = "postgres") const;
  // Rows of a query as texts ("" for NULL); an error fails the test and gives no rows.
  std::vector<std::vector<std::string>> Query(const std::string& sql,
                                              const std::string& user = "postgres") const;

 private:
  std::vector<std::string> AsPostgresUser(std::vector<std::string> argv) const;
  std::string FDir;
  int FPort;
  bool FInitialized = false, FRunning = false;
};

// The pzam-tool built beside the test.
std::string ToolPath();
// The simulated stations (pzam-plant-station) built beside the test.
std::string StationProgram();

}  // namespace pzam::test
