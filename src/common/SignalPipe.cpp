#include "common/SignalPipe.h"

#include <csignal>

#include "platform/Signals.h"

namespace pzam {
namespace {

int gWriteFd = -1;

void OnSignal(int) {
  platform::WriteSignalByte(gWriteFd, 1);
}

const int kSignals[] = {SIGTERM, SIGINT, platform::kSignalHangUp};

}  // namespace

TSignalPipe::TSignalPipe() {
  int readFd = -1, writeFd = -1;
  if (gWriteFd >= 0 || !platform::MakeSignalPipe(readFd, writeFd)) return;
  FRead = readFd;
  gWriteFd = writeFd;
  // Windows has no hang-up: the other two still come.
  for (int s : kSignals) platform::CatchSignal(s, &OnSignal);
}

TSignalPipe::~TSignalPipe() {
  if (FRead < 0) return;
  for (int s : kSignals) platform::DefaultSignal(s);
  platform::ClosePipeEnd(gWriteFd);
  gWriteFd = -1;
  platform::ClosePipeEnd(FRead);
}

bool TSignalPipe::Drain() const {
  unsigned char buf[64];
  bool any = false;
  while (FRead >= 0 && platform::ReadSignalBytes(FRead, buf, sizeof buf) > 0) any = true;
  return any;
}

}  // namespace pzam
