#include "plant/BrokerUrl.h"

#include <charconv>

namespace pzam::plant {

bool ParseBrokerUrl(const std::string& text, TBrokerUrl& url, std::string& error) {
  std::string rest;
  TBrokerUrl u;
  if (text.starts_with("mqtt://")) {
    rest = text.substr(7);
  } else if (text.starts_with("mqtts://")) {
    rest = text.substr(8);
    u.Tls = true;
    u.Port = 8883;
  } else {
    error = "broker URL '" + text + "' must begin with mqtt:// or mqtts://";
    return false;
  }
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  std::string portText;
  bool hasPort = false;
  if (rest.starts_with('[')) {  // [IPv6]:port
    const auto close = rest.find(']');
    if (close == std::string::npos || (close + 1 < rest.size() && rest[close + 1] != ':')) {
      error = "broker URL '" + text + "' is not [address]:port";
      return false;
    }
    u.Host = rest.substr(1, close - 1);
    hasPort = close + 1 < rest.size();
    if (hasPort) portText = rest.substr(close + 2);
  } else {
    const auto colon = rest.find(':');
    u.Host = rest.substr(0, colon);
    hasPort = colon != std::string::npos;
    if (hasPort) portText = rest.substr(colon + 1);
  }
  if (u.Host.empty() || u.Host.find_first_of("/@?# ") != std::string::npos) {
    error = "broker URL '" + text + "' has no valid host";
    return false;
  }
  if (hasPort) {
    int port = 0;
    const auto r = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || r.ec != std::errc() || r.ptr != portText.data() + portText.size() ||
        port < 1 || port > 65535) {
      error = "broker URL '" + text + "' has no valid port (1 to 65535)";
      return false;
    }
    u.Port = port;
  }
  url = u;
  return true;
}

std::string ClientLibraryUri(const TBrokerUrl& url) {
  const bool v6 = url.Host.find(':') != std::string::npos;
  return std::string(url.Tls ? "ssl://" : "tcp://") + (v6 ? "[" + url.Host + "]" : url.Host) + ":" +
         std::to_string(url.Port);
}

}  // namespace pzam::plant
