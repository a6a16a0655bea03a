#include "NetStream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include <openssl/err.h>
#include <openssl/x509v3.h>

namespace pzam::central {

namespace {

std::string TlsError(const char* what) {
  const unsigned long e = ERR_get_error();
  char text[256] = "unknown";
  if (e != 0) ERR_error_string_n(e, text, sizeof text);
  return std::string(what) + ": " + text;
}

}  // namespace

bool TNetStream::Wait(bool forWrite, int timeoutMs) {
  pollfd p{FFd, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
  int rc;
  do {
    rc = ::poll(&p, 1, timeoutMs);
  } while (rc < 0 && errno == EINTR);
  return rc > 0;
}

bool TNetStream::Connect(const std::string& host, int port, bool tls, const std::string& caFile,
                         int timeoutMs, std::string& error) {
  Close();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
      rc != 0) {
    error = "cannot resolve '" + host + "': " + ::gai_strerror(rc);
    return false;
  }
  error = "cannot connect to " + host + ":" + std::to_string(port);
  for (addrinfo* a = found; a != nullptr && FFd < 0; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) continue;
    FFd = fd;
    int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (rc != 0 && errno == EINPROGRESS && Wait(true, timeoutMs)) {
      int soError = 0;
      socklen_t len = sizeof soError;
      ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len);
      rc = soError == 0 ? 0 : -1;
      if (soError != 0) errno = soError;
    }
    if (rc != 0) {
      error += std::string(": ") + std::strerror(errno);
      ::close(fd);
      FFd = -1;
    }
  }
  ::freeaddrinfo(found);
  if (FFd < 0) return false;
  const int one = 1;  // acknowledgements go out at once
  ::setsockopt(FFd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (!tls) return true;

  FCtx = SSL_CTX_new(TLS_client_method());
  if (FCtx == nullptr || SSL_CTX_set_min_proto_version(FCtx, TLS1_2_VERSION) != 1 ||
      SSL_CTX_load_verify_locations(FCtx, caFile.empty() ? nullptr : caFile.c_str(), nullptr) !=
          1) {
    error = TlsError(("cannot use CA file '" + caFile + "'").c_str());
    Close();
    return false;
  }
  SSL_CTX_set_verify(FCtx, SSL_VERIFY_PEER, nullptr);
  FSsl = SSL_new(FCtx);
  SSL_set_fd(FSsl, FFd);
  // The certificate must name the host: an IP address literal among its IP names.
  in6_addr any{};
  const bool literal = ::inet_pton(AF_INET, host.c_str(), &any) == 1 ||
                       ::inet_pton(AF_INET6, host.c_str(), &any) == 1;
  if (literal) {
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(FSsl), host.c_str());
  } else {
    SSL_set_tlsext_host_name(FSsl, host.c_str());
    SSL_set1_host(FSsl, host.c_str());
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const int rc = SSL_connect(FSsl);
    if (rc == 1) return true;
    const int e = SSL_get_error(FSsl, rc);
    const int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          deadline - std::chrono::steady_clock::now())
                                          .count());
    if ((e != SSL_ERROR_WANT_READ && e != SSL_ERROR_WANT_WRITE) || left <= 0 ||
        !Wait(e == SSL_ERROR_WANT_WRITE, left)) {
      const long verify = SSL_get_verify_result(FSsl);
      error = verify != X509_V_OK ? std::string("broker certificate refused: ") +
                                        X509_verify_cert_error_string(verify)
                                  : TlsError("TLS handshake failed");
      Close();
      return false;
    }
  }
}

void TNetStream::Close() {
  if (FSsl != nullptr) SSL_free(FSsl);
  if (FCtx != nullptr) SSL_CTX_free(FCtx);
  FSsl = nullptr;
  FCtx = nullptr;
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
}

long TNetStream::ReadSome(std::string& into) {
  if (FFd < 0) return -1;
  char buffer[16384];
  if (FSsl != nullptr) {
    const int n = SSL_read(FSsl, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<std::size_t>(n));
      return n;
    }
    const int e = SSL_get_error(FSsl, n);
    return e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE ? 0 : -1;
  }
  const ssize_t n = ::recv(FFd, buffer, sizeof buffer, 0);
  if (n > 0) {
    into.append(buffer, static_cast<std::size_t>(n));
    return n;
  }
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
  return -1;
}

bool TNetStream::WriteAll(const std::string& data, int timeoutMs) {
  std::size_t done = 0;
  while (done < data.size()) {
    if (FFd < 0) return false;
    const char* p = data.data() + done;
    const std::size_t n = data.size() - done;
    if (FSsl != nullptr) {
      const int rc = SSL_write(FSsl, p, static_cast<int>(n));
      if (rc > 0) {
        done += static_cast<std::size_t>(rc);
        continue;
      }
      const int e = SSL_get_error(FSsl, rc);
      if ((e != SSL_ERROR_WANT_WRITE && e != SSL_ERROR_WANT_READ) ||
          !Wait(e == SSL_ERROR_WANT_WRITE, timeoutMs))
        return false;
    } else {
      const ssize_t rc = ::send(FFd, p, n, MSG_NOSIGNAL);
      if (rc > 0) {
        done += static_cast<std::size_t>(rc);
        continue;
      }
      if (rc < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
      if (!Wait(true, timeoutMs)) return false;
    }
  }
  return true;
}

}  // namespace pzam::central
