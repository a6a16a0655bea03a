// pzam-tool collect's loop: messages from the broker, written to PostgreSQL in batches, each
// message acknowledged to the broker only after the batch holding it is committed. A message that
// cannot be read, or that the database refuses, is reported on stderr in one line and
// acknowledged, so it is not delivered again; nothing of it is written.
#pragma once

#include <string>

#include "MqttSubscriber.h"

namespace pzam::central {

struct TCollectorOptions {
  TSubscriberOptions Mqtt;
  std::string Conninfo;
};

// Runs until SIGINT or SIGTERM; returns the exit code (0 then).
int RunCollector(const TCollectorOptions& options);

}  // namespace pzam::central
