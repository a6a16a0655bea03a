// The broker's address as the settings give it: "mqtt://host:port" or "mqtts://host:port" (TLS).
#pragma once

#include <string>

namespace pzam::plant {

struct TBrokerUrl {
  bool Tls = false;
  std::string Host;  // a name, an IPv4 address, or an IPv6 address without brackets
  int Port = 1883;
};

// Reads the URL; the port defaults to 1883 (mqtt) or 8883 (mqtts). False with the reason in
// `error`.
bool ParseBrokerUrl(const std::string& text, TBrokerUrl& url, std::string& error);

// The URL as the MQTT client library takes it ("tcp://host:port" or "ssl://host:port").
std::string ClientLibraryUri(const TBrokerUrl& url);

}  // namespace pzam::plant
