#include "analysis/ReportHook.h"

#include <atomic>

namespace pzam::analysis {

namespace {
std::atomic<TReportWriter> gWriter{nullptr};
}  // namespace

void SetReportWriter(TReportWriter writer) {
  gWriter.store(writer);
}

TReportWriter ReportWriter() {
  return gWriter.load();
}

}  // namespace pzam::analysis
