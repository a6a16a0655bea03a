// pzam-tool collect: the plant's run messages from the broker into PostgreSQL.
#include <unistd.h>

#include <iostream>

#include "Collector.h"
#include "ToolArgs.h"
#include "plant/PlantMessages.h"
#include "plant/PrivateFile.h"

namespace pzam::tool {
namespace {

constexpr char kUsage[] =
    "collect --broker URL --db CONNINFO [--user U] [--password-file F] [--ca-file F] "
    "[--client-id ID] [--shared GROUP]  run messages from the broker into PostgreSQL";

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "host";
  return name;
}

int Collect(const TArgs& args) {
  TParsedArgs a;
  std::string error;
  if (!ParseArgs(
          args,
          {"--broker", "--db", "--user", "--password-file", "--ca-file", "--client-id", "--shared"},
          a, error) ||
      !a.Plain.empty() || !a.Has("--broker") || !a.Has("--db")) {
    std::cerr << "pzam-tool collect: "
              << (!error.empty() ? error : "--broker and --db are needed, nothing else")
              << "\nusage: pzam-tool " << kUsage << '\n';
    return 2;
  }
  central::TCollectorOptions o;
  o.Conninfo = a.Get("--db");
  auto& m = o.Mqtt;
  if (!plant::ParseBrokerUrl(a.Get("--broker"), m.Url, error)) {
    std::cerr << "pzam-tool collect: " << error << '\n';
    return 2;
  }
  m.User = a.Get("--user");
  m.CAFile = a.Get("--ca-file");
  if (a.Has("--password-file") &&
      !plant::ReadSecretFile(a.Get("--password-file"), m.Password, error)) {
    std::cerr << "pzam-tool collect: " << error << '\n';
    return 2;
  }
  m.ClientId = a.Has("--client-id") ? a.Get("--client-id") : "pzam-collect-" + HostName();
  m.Filter = plant::kRunTopicFilter;
  if (a.Has("--shared")) {
    if (!plant::IsStationName(a.Get("--shared"))) {
      std::cerr << "pzam-tool collect: --shared GROUP must be a name without / + #\n";
      return 2;
    }
    m.Filter = "$share/" + a.Get("--shared") + "/" + m.Filter;
  }
  return central::RunCollector(o);
}

TCommand reg("collect", kUsage, &Collect);

}  // namespace
}  // namespace pzam::tool
