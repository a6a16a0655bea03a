#include "Simulator.h"

#include <poll.h>
#include <algorithm>
#include <cerrno>

namespace pzam::sim {
namespace {

using namespace std::chrono_literals;

// How often a closed port is checked for being opened again: POLLHUP is level-triggered, so the
// master cannot be polled while nobody has the slave open.
constexpr auto kClosedRecheck = 50ms;
// A port must stay open this long to count as opened; the program's presence probe (open, read
// the settings, close) does not.
constexpr auto kSettle = 50ms;
constexpr auto kAckTimeout = 1s;
constexpr auto kLinger = 1s;  // after the last value, time for the program to read it

bool NeedsAck(TInstrument i) {
  return i != TInstrument::Zam;
}

}  // namespace

TSimulator::TSimulator(const TSimOptions& options, std::uint32_t seed, TPtyLine& line, TSimLog& log)
    : FOptions(options), FLine(line), FLog(log), FSource(options.Mean, options.Sd, seed) {}

void TSimulator::Run(int stopFd) {
  bool stop = false;
  while (!stop) {
    Poll(stopFd, stop);
    if (stop) break;
    const auto now = TClock::now();
    Tick(now);
    stop = Finished(now);
  }
}

void TSimulator::Poll(int stopFd, bool& stop) {
  pollfd fds[2] = {{stopFd, POLLIN, 0}, {FLine.MasterFd(), POLLIN, 0}};
  if (!FOut.empty()) fds[1].events |= POLLOUT;
  // A closed port's master reports POLLHUP all the time; leave it out and re-check by timer.
  const nfds_t count = FState == TState::Closed ? 1 : 2;
  auto deadline = NextDeadline();
  if (FState == TState::Closed) {
    const auto recheck = TClock::now() + kClosedRecheck;
    deadline = deadline ? std::min(*deadline, recheck) : recheck;
  }
  timespec ts{};
  timespec* timeout = nullptr;
  if (deadline) {
    const auto ns = std::max<std::int64_t>(
        0, std::chrono::duration_cast<std::chrono::nanoseconds>(*deadline - TClock::now()).count());
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    timeout = &ts;
  }
  if (ppoll(fds, count, timeout, nullptr) < 0) {
    if (errno != EINTR) stop = true;
    return;
  }
  if (fds[0].revents & POLLIN) {
    stop = true;
    return;
  }
  if (count == 2) {
    if (fds[1].revents & POLLIN) ReadLine();
    if (FState != TState::Closed && (fds[1].revents & (POLLHUP | POLLERR))) OnClosed();
    if (FState != TState::Closed && (fds[1].revents & POLLOUT)) Flush();
  }
}

void TSimulator::ReadLine() {
  const bool up = FLine.Read(FIn);
  // Whoever writes to the port has really opened it: no need to wait for the settle time.
  if (FState == TState::Settling && !FIn.empty()) OnOpened(TClock::now());
  for (auto cr = FIn.find('\r'); cr != std::string::npos; cr = FIn.find('\r')) {
    const std::string request = FIn.substr(0, cr);
    FIn.erase(0, cr + 1);
    HandleRequest(request);
  }
  if (FIn.size() > 4096) {  // no CR in sight: not a request, do not let it grow
    FLog.Event("received unexpected " + TSimLog::Printable(FIn.substr(0, 64)) + "...");
    FIn.clear();
  }
  if (!up && FState != TState::Closed) OnClosed();
}

void TSimulator::HandleRequest(const std::string& request) {
  if (request == "STO0") {
    if (FPending.empty()) {
      FLog.Event("received STO0 with no value waiting for it");
    } else {
      FLog.Event("received STO0 for " + FPending.front().Text);
      FPending.pop_front();
    }
  } else if (request == "PRI" && FOptions.Instrument == TInstrument::Sylvac) {
    if (FOptions.Cable == TCable::Simplex) {
      FLog.Event("received PRI, not answered (simplex cable)");
    } else if (CountReached()) {
      FLog.Event("received PRI, not answered (count reached)");
    } else {
      FLog.Event("received PRI");
      SendValue(TClock::now());
    }
  } else {
    FLog.Event("received unexpected " + TSimLog::Printable(request + "\r"));
  }
}

void TSimulator::OnOpened(TClock::time_point now) {
  FState = TState::Open;
  const bool reopened = FHadSession;
  FHadSession = true;
  FLog.Event(reopened ? "port reopened" : "port opened");
  switch (FOptions.Instrument) {
    case TInstrument::Zam:
    case TInstrument::Quorvant:
      FSendAt = std::max(now + std::chrono::milliseconds(FOptions.IntervalMs), FLineFreeAt);
      break;
    case TInstrument::Sylvac:
      // With a simplex cable the reopened port is the request for one value.
      if (reopened && FOptions.Cable != TCable::Duplex && !CountReached()) SendValue(now);
      break;
  }
}

void TSimulator::OnClosed() {
  if (FState == TState::Open) FLog.Event("port closed");
  FState = TState::Closed;
  FSendAt.reset();
  FOut.clear();  // whatever the line had not shifted out is lost, as on a real line
  FHeldBack = false;
  FIn.clear();
}

void TSimulator::Tick(TClock::time_point now) {
  if (FState == TState::Closed && FLine.ListenerPresent()) {
    FState = TState::Settling;
    FSettleAt = now + kSettle;
  }
  if (FState == TState::Settling && now >= FSettleAt) {
    if (FLine.ListenerPresent()) {
      OnOpened(now);
    } else {
      FState = TState::Closed;
    }
  }
  if (FState == TState::Open && FSendAt && now >= *FSendAt && !CountReached()) {
    // While the line holds unsent text (the program has stopped reading and the pty's buffers are
    // full) values are held back rather than piled up or lost unnoticed; POLLOUT resumes.
    if (FOut.empty()) {
      const bool message = FOptions.Messages && (FTelegrams + 1) % 7 == 0;
      if (message) {
        Send(TZamGauge::MessageTelegram(TZamGauge::MessageText(FTelegrams / 7)), now);
      } else {
        SendValue(now);
      }
      FSendAt = std::max(*FSendAt + std::chrono::milliseconds(FOptions.IntervalMs), FLineFreeAt);
    }
  }
  while (!FPending.empty() && now >= FPending.front().Deadline) {
    FLog.Event(FPending.front().Text + " not acknowledged within 1 s");
    FPending.pop_front();
  }
}

void TSimulator::SendValue(TClock::time_point now) {
  const double value = FSource.Next();
  const std::string text = FOptions.Instrument == TInstrument::Zam ? FZam.ValueTelegram(value)
                                                                   : FormatGaugeValue(value) + '\r';
  Send(text, now);
  ++FValuesSent;
  if (NeedsAck(FOptions.Instrument)) {
    FPending.push_back({text.substr(0, text.size() - 1), now + kAckTimeout});
  }
  if (CountReached()) FFinishAt = now + kLinger;
}

void TSimulator::Send(const std::string& text, TClock::time_point now) {
  ++FTelegrams;
  FLog.Sent(text);
  FOut += text;
  // The instruments' lines: 9600 baud 8N1 (10 bits a character) for the ZAM gauge,
  // 4800 baud 7E2 (11 bits) for the others.
  const bool zam = FOptions.Instrument == TInstrument::Zam;
  const auto perChar = std::chrono::microseconds(zam ? 10 * 1000000 / 9600 : 11 * 1000000 / 4800);
  FLineFreeAt = FOptions.Pace == TPace::Pty
                    ? now
                    : std::max(now, FLineFreeAt) + perChar * static_cast<int>(text.size());
  Flush();
}

void TSimulator::Flush() {
  while (!FOut.empty()) {
    const long n = FLine.Write(FOut.data(), FOut.size());
    if (n < 0) {
      OnClosed();
      return;
    }
    if (n == 0) {
      if (!FHeldBack) FLog.Event("the port is not being read; sending held back");
      FHeldBack = true;
      return;
    }
    FOut.erase(0, static_cast<std::size_t>(n));
  }
  if (FHeldBack) FLog.Event("the port is being read again");
  FHeldBack = false;
}

std::optional<TSimulator::TClock::time_point> TSimulator::NextDeadline() const {
  std::optional<TClock::time_point> next;
  const auto consider = [&next](TClock::time_point t) { next = next ? std::min(*next, t) : t; };
  if (FState == TState::Settling) consider(FSettleAt);
  if (FState == TState::Open && FSendAt && !CountReached() && FOut.empty()) consider(*FSendAt);
  if (!FPending.empty()) consider(FPending.front().Deadline);
  if (FFinishAt) consider(*FFinishAt);
  return next;
}

bool TSimulator::Finished(TClock::time_point now) const {
  if (!FFinishAt) return false;
  // An acknowledged last value has been read; otherwise wait out the linger time.
  if (NeedsAck(FOptions.Instrument) && FPending.empty()) return true;
  return now >= *FFinishAt;
}

}  // namespace pzam::sim
