// Registers the PDF writer with the core's report hook, so pzam-tool spc --report writes the
// inspection report. Without a display: the writer makes its own application on the offscreen
// platform when none exists.
#include <QApplication>
#include <memory>

#include "analysis/ReportHook.h"
#include "analysis/ui/Report.h"
#include "common/FormatSettings.h"
#include "common/Paths.h"
#include "config/Language.h"
#include "config/Profile.h"
#include "config/SettingsFile.h"
#include "config/TextIds.h"
#include "config/VersionText.h"

namespace pzam::analysis {

namespace {

bool WriteFileReport(const std::string& pdfPath, const std::string& sourceName,
                     const TValueFile& file, const TTolerance& tolerance, std::string& error) {
  static int argc = 1;
  static char name[] = "pzam-tool";
  static char* argv[] = {name, nullptr};
  std::unique_ptr<QApplication> app;
  if (QCoreApplication::instance() == nullptr) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QApplication>(argc, argv);
  }
  // The language the program was last used in, as the settings file beside it names it.
  const std::string language = ReadProfileString(SettingsFilePath(), settings::kLanguage,
                                                 settings::kLastLanguage, "deutsch");
  TLanguageTexts texts;
  texts.Load(ExecutableDir(), language);
  TReportData data;
  data.ProgramText = texts.Text(textid::kTitle) + " " + ReadVersionText(ExecutablePath());
  // A record file holds the batch number and each value's time, and its name the run's date;
  // the mode and the port are not in it.
  const std::string date = RunDateFromName(sourceName);
  data.Batch = file.Batch.empty() ? "-" : file.Batch;
  data.Date = date.empty() ? "-" : date;
  data.Mode = data.Port = "-";
  data.RecordFile = sourceName;
  data.Tolerance = tolerance;
  data.Values = file.Values;
  data.Times = file.Times;
  data.DecimalSeparator = SystemFormatSettings().DecimalSeparator;
  return WriteReport(
      pdfPath, data, [&texts](int id) { return texts.Text(id); }, error);
}

const bool gRegistered = [] {
  SetReportWriter(&WriteFileReport);
  return true;
}();

}  // namespace

}  // namespace pzam::analysis
