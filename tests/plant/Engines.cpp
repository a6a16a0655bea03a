#include "Engines.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "common/Paths.h"

namespace pzam::test {

namespace {

constexpr char kPostgresBin[] = "/usr/lib/postgresql/15/bin/";
constexpr char kPostgresUser[] = "pzam-pg";

bool PortTakesConnections(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(fd);
  return port;
}

int RunProgram(const std::vector<std::string>& argv, std::string* output, int timeoutSeconds) {
  TChildProcess p({argv[0], {argv.begin() + 1, argv.end()}, "", {}});
  if (!p.Started()) return -1;
  p.CloseStdin();
  const int code = p.WaitForExit(std::chrono::seconds(timeoutSeconds));
  if (output != nullptr) *output = p.Stdout() + p.Stderr();
  return code;
}

bool MakeTestCertificates(const std::string& dir) {
  WriteFile(dir + "/ext.cnf", "subjectAltName=IP:127.0.0.1,DNS:localhost\n");
  const std::vector<std::vector<std::string>> steps = {
      {"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
       "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", dir + "/ca.key", "-out",
       dir + "/ca.crt", "-days", "2", "-subj", "/CN=P-ZAM test CA"},
      {"/usr/bin/openssl", "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
       "-nodes", "-keyout", dir + "/server.key", "-out", dir + "/server.csr", "-subj",
       "/CN=localhost"},
      {"/usr/bin/openssl", "x509", "-req", "-in", dir + "/server.csr", "-CA", dir + "/ca.crt",
       "-CAkey", dir + "/ca.key", "-CAcreateserial", "-out", dir + "/server.crt", "-days", "2",
       "-extfile", dir + "/ext.cnf"}};
  for (const auto& s : steps) {
    std::string out;
    if (RunProgram(s, &out) != 0) {
      ADD_FAILURE() << out;
      return false;
    }
  }
  return true;
}

TMosquitto::TMosquitto(const std::string& dir, const TBrokerConfig& c)
    : FDir(dir), FTls(c.Tls), FPort(FreePort()) {
  std::filesystem::create_directories(dir);
  std::string conf = "per_listener_settings false\npersistence true\npersistence_location " + dir +
                     "/\nautosave_interval 1\nlog_dest file " + dir +
                     "/mosquitto.log\nlog_type error\nlog_type warning\nlog_type notice\n"
                     "max_queued_messages 0\nmax_inflight_messages 0\nset_tcp_nodelay true\n";
  if (::geteuid() == 0) conf += "user root\n";
  if (c.Users.empty()) {
    conf += "allow_anonymous true\n";
  } else {
    conf += "allow_anonymous false\npassword_file " + dir + "/passwd\n";
    WriteFile(dir + "/passwd", "");
    for (const auto& [user, password] : c.Users) {
      std::string out;
      EXPECT_EQ(
          0, RunProgram({"/usr/bin/mosquitto_passwd", "-b", dir + "/passwd", user, password}, &out))
          << out;
    }
  }
  if (!c.Acl.empty()) {
    WriteFile(dir + "/acl", c.Acl);
    conf += "acl_file " + dir + "/acl\n";
  }
  conf += "listener " + std::to_string(FPort) + " 127.0.0.1\n";
  if (c.Tls)
    conf += "cafile " + c.CertDir + "/ca.crt\ncertfile " + c.CertDir + "/server.crt\nkeyfile " +
            c.CertDir + "/server.key\n";
  WriteFile(dir + "/mosquitto.conf", conf);
}

std::string TMosquitto::Url() const {
  return std::string(FTls ? "mqtts" : "mqtt") + "://127.0.0.1:" + std::to_string(FPort);
}

bool TMosquitto::Start() {
  Stop();
  FProcess = std::make_unique<TChildProcess>(
      TChildCommand{"/usr/sbin/mosquitto", {"-c", FDir + "/mosquitto.conf"}, "", {}});
  FProcess->CloseStdin();
  for (int i = 0; i < 200; ++i) {
    if (PortTakesConnections(FPort)) return true;
    FProcess->Poll();
    if (FProcess->Exited()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  ADD_FAILURE() << "mosquitto did not start: " << FProcess->Stderr()
                << FileContent(FDir + "/mosquitto.log");
  return false;
}

void TMosquitto::Stop() {
  if (!FProcess) return;
  FProcess->Signal(SIGTERM);
  if (FProcess->WaitForExit(std::chrono::seconds(10)) < 0) FProcess->Signal(SIGKILL);
  FProcess.reset();
}

TPostgres::TPostgres(const std::string& dir) : FDir(dir + "/pg"), FPort(FreePort()) {
  if (::geteuid() == 0) {
    if (::getpwnam(kPostgresUser) == nullptr)
      RunProgram({"/usr/sbin/useradd", "--system", "--no-create-home", "--shell",
                  "/usr/sbin/nologin", kPostgresUser});
    const passwd* pw = ::getpwnam(kPostgresUser);
    if (pw == nullptr) {
      ADD_FAILURE() << "no user " << kPostgresUser;
      return;
    }
    // The user must reach its folder through the test's own.
    ::chmod(dir.c_str(), 0755);
    std::filesystem::create_directories(FDir);
    if (::chown(FDir.c_str(), pw->pw_uid, pw->pw_gid) != 0) ADD_FAILURE() << "chown " << FDir;
  }
  std::string out;
  FInitialized = RunProgram(AsPostgresUser({std::string(kPostgresBin) + "initdb", "-D", FDir, "-U",
                                            "postgres", "--auth=trust", "-E", "UTF8", "--no-sync"}),
                            &out) == 0;
  if (!FInitialized) ADD_FAILURE() << "initdb failed: " << out;
}

std::vector<std::string> TPostgres::AsPostgresUser(std::vector<std::string> argv) const {
  if (::geteuid() != 0) return argv;
  std::vector<std::string> all = {"/usr/bin/setpriv", std::string("--reuid=") + kPostgresUser,
                                  std::string("--regid=") + kPostgresUser, "--clear-groups", "--"};
  all.insert(all.end(), argv.begin(), argv.end());
  return all;
}

bool TPostgres::Start() {
  if (!FInitialized) return false;
  std::string out;
  const std::string options =
      "-p " + std::to_string(FPort) + " -k " + FDir + " -c listen_addresses=127.0.0.1 -c fsync=on";
  FRunning = RunProgram(AsPostgresUser({std::string(kPostgresBin) + "pg_ctl", "-D", FDir, "-l",
                                        FDir + "/log", "-o", options, "-w", "start"}),
                        &out) == 0;
  if (!FRunning) ADD_FAILURE() << "pg_ctl start failed: " << out << FileContent(FDir + "/log");
  return FRunning;
}

void TPostgres::Stop() {
  if (!FRunning) return;
  RunProgram(AsPostgresUser(
      {std::string(kPostgresBin) + "pg_ctl", "-D", FDir, "-m", "fast", "-w", "stop"}));
  FRunning = false;
}

std::string TPostgres::Conninfo(const std::string& user) const {
  return "host=127.0.0.1 port=" + std::to_string(FPort) + " dbname=postgres user=" + user +
         " connect_timeout=5";
}

std::vector<std::vector<std::string>> TPostgres::Query(const std::string& sql,
                                                       const std::string& user) const {
  std::vector<std::vector<std::string>> rows;
  PGconn* c = PQconnectdb(Conninfo(user).c_str());
  if (PQstatus(c) != CONNECTION_OK) {
    ADD_FAILURE() << PQerrorMessage(c);
    PQfinish(c);
    return rows;
  }
  PGresult* r = PQexec(c, sql.c_str());
  if (PQresultStatus(r) == PGRES_TUPLES_OK) {
    for (int i = 0; i < PQntuples(r); ++i) {
      rows.emplace_back();
      for (int j = 0; j < PQnfields(r); ++j) rows.back().push_back(PQgetvalue(r, i, j));
    }
  } else if (PQresultStatus(r) != PGRES_COMMAND_OK) {
    ADD_FAILURE() << sql << ": " << PQresultErrorMessage(r);
  }
  PQclear(r);
  PQfinish(c);
  return rows;
}

std::string ToolPath() {
  return ExecutableDir() + "pzam-tool";
}

std::string StationProgram() {
  return ExecutableDir() + "pzam-plant-station";
}

}  // namespace pzam::test
