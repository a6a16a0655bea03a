#include "analysis/ui/Report.h"

#include <qcustomplot.h>
#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <QWidget>

#include "analysis/ui/AnalysisTexts.h"
#include "analysis/ui/Charts.h"
#include "analysis/ui/FigureRows.h"
#include "analysis/ui/GaugeStudyReport.h"
#include "ui/Controls.h"

namespace pzam::analysis {

namespace {

// A4 at 96 dots per inch: the charts and fonts keep the sizes they have on the screen.
constexpr int kDpi = 96;
constexpr int kPageWidth = 794;
constexpr int kPageHeight = 1123;
constexpr int kMargin = 48;
constexpr int kBodyWidth = kPageWidth - 2 * kMargin;
constexpr int kFooterTop = kPageHeight - kMargin + 10;
constexpr int kListGroups = 3;  // value list: groups of columns side by side
constexpr int kListRowHeight = 13;
constexpr int kListTop = kMargin + 56;
constexpr int kListRows = (kPageHeight - kMargin - kListTop) / kListRowHeight;

class TReportPainter {
 public:
  TReportPainter(QPdfWriter& writer, const TReportData& data,
                 const std::function<std::string(int)>& text)
      : FWriter(writer), FData(data), FText(text), FPainter(&writer) {}

  bool Active() const { return FPainter.isActive(); }

  void Write() {
    const int decimals = ValueDecimals(FData.Values);
    const TFigures figures = ComputeFigures(FData.Values, FData.Tolerance);
    const int n = static_cast<int>(FData.Values.size());
    const int listPages =
        n == 0 ? 0 : (n + kListRows * kListGroups - 1) / (kListRows * kListGroups);
    FPages = 1 + listPages + (FData.Study ? 1 : 0);
    FirstPage(figures, decimals);
    for (int page = 0; page < listPages; ++page) {
      FWriter.newPage();
      ValuePage(page, decimals);
    }
    if (FData.Study) {
      FWriter.newPage();
      PaintStudyPage(FPainter, FData, FText, kMargin, kBodyWidth, kFooterTop - 10);
      Footer(FPages);
    }
    FPainter.end();
  }

 private:
  QString T(int id) const { return QString::fromStdString(FText(id)); }
  static QString Q(const std::string& s) { return QString::fromStdString(s); }

  void SetFont(int pixels, bool bold = false) { FPainter.setFont(ui::SansSerifFont(pixels, bold)); }

  void Footer(int page) {
    SetFont(10);
    FPainter.setPen(Qt::darkGray);
    FPainter.drawText(QRect(kMargin, kFooterTop, kBodyWidth, 16), Qt::AlignLeft,
                      Q(FData.ProgramText) + "   " + T(textid::kBatchLine) + " " + Q(FData.Batch));
    FPainter.drawText(QRect(kMargin, kFooterTop, kBodyWidth, 16), Qt::AlignRight,
                      T(textid::kPageLine) + QString(" %1 / %2").arg(page).arg(FPages));
    FPainter.setPen(Qt::black);
  }

  // The clock time of value i, "-" when it came without one.
  QString TimeOf(std::size_t i) const {
    return i < FData.Times.size() && !FData.Times[i].empty() ? Q(FData.Times[i]) : "-";
  }

  QString Limit(std::optional<double> x, int decimals) const {
    return Q(LimitText(x, decimals, FData.DecimalSeparator));
  }

  void FirstPage(const TFigures& figures, int decimals) {
    SetFont(22, true);
    FPainter.drawText(QRect(kMargin, kMargin, kBodyWidth, 30), Qt::AlignLeft | Qt::AlignVCenter,
                      T(textid::kReportTitle));

    // The run's particulars on the left.
    const TTolerance& t = FData.Tolerance;
    const std::pair<int, QString> lines[] = {
        {textid::kProgramLine, Q(FData.ProgramText)},
        {textid::kBatchLine, Q(FData.Batch)},
        {textid::kDateLine, Q(FData.Date)},
        {textid::kFirstValueLine, TimeOf(0)},
        {textid::kLastValueLine, TimeOf(FData.Values.size() - 1)},
        {textid::kModeLine, Q(FData.Mode)},
        {textid::kPortLine, Q(FData.Port)},
        {textid::kRecordFileLine, Q(FData.RecordFile)},
        {textid::kLowerLabel, Limit(t.Lower, decimals)},
        {textid::kNominalLabel, Limit(t.Nominal, decimals)},
        {textid::kUpperLabel, Limit(t.Upper, decimals)},
    };
    int y = kMargin + 44;
    const int leftWidth = 360;
    for (const auto& [id, value] : lines) {
      SetFont(12, true);
      FPainter.drawText(QRect(kMargin, y, 124, 17), Qt::AlignLeft | Qt::AlignVCenter, T(id));
      SetFont(12);
      FPainter.drawText(QRect(kMargin + 126, y, leftWidth - 126, 17),
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, value);
      y += 17;
    }

    // The figures table on the right.
    const int tableLeft = kMargin + leftWidth + 20;
    const int tableWidth = kBodyWidth - leftWidth - 20;
    int ty = kMargin + 44;
    const int rowHeight = 15;
    SetFont(12, true);
    FPainter.drawText(QRect(tableLeft, ty, tableWidth - 150, rowHeight), Qt::AlignLeft,
                      T(textid::kFigureHeading));
    FPainter.drawText(QRect(tableLeft, ty, tableWidth - 70, rowHeight), Qt::AlignRight,
                      T(textid::kValueHeading));
    FPainter.drawText(QRect(tableLeft, ty, tableWidth, rowHeight), Qt::AlignRight,
                      T(textid::kShareHeading));
    ty += rowHeight + 2;
    FPainter.drawLine(QLineF(tableLeft, ty - 1, tableLeft + tableWidth, ty - 1));
    SetFont(11);
    for (const TFigureRow& row : FigureRows(figures, t, decimals, FData.DecimalSeparator)) {
      FPainter.drawText(QRect(tableLeft, ty, tableWidth - 150, rowHeight),
                        Qt::AlignLeft | Qt::TextSingleLine, T(row.TextId));
      FPainter.drawText(QRect(tableLeft, ty, tableWidth - 70, rowHeight), Qt::AlignRight,
                        Q(row.Value));
      FPainter.drawText(QRect(tableLeft, ty, tableWidth, rowHeight), Qt::AlignRight, Q(row.Share));
      ty += rowHeight;
    }

    // The three charts, drawn by the same chart code as in the window.
    QWidget holder;
    holder.resize(kBodyWidth, 400);
    TAnalysisCharts charts(&holder);
    charts.SetDecimalSeparator(FData.DecimalSeparator);
    charts.SetTexts(FText);
    charts.Update(FData.Values, figures, t);
    const int chartsTop = std::max(y, ty) + 14;
    const int bottom = kFooterTop - 10;
    const int individualsHeight = (bottom - chartsTop) * 55 / 100;
    charts.Paint(0, FPainter, QRect(kMargin, chartsTop, kBodyWidth, individualsHeight));
    const int lowerTop = chartsTop + individualsHeight + 8;
    const int half = (kBodyWidth - 10) / 2;
    charts.Paint(1, FPainter, QRect(kMargin, lowerTop, half, bottom - lowerTop));
    charts.Paint(2, FPainter, QRect(kMargin + half + 10, lowerTop, half, bottom - lowerTop));
    Footer(1);
  }

  void ValuePage(int page, int decimals) {
    SetFont(16, true);
    FPainter.drawText(QRect(kMargin, kMargin, kBodyWidth, 24), Qt::AlignLeft | Qt::AlignVCenter,
                      T(textid::kValueListTitle));
    const int groupWidth = kBodyWidth / kListGroups;
    // Columns of a group: number (right-aligned), time, value (right-aligned), mark.
    const auto number = [](int left, int y) { return QRect(left, y, 34, kListRowHeight); };
    const auto time = [](int left, int y) { return QRect(left + 40, y, 56, kListRowHeight); };
    const auto value = [](int left, int y) { return QRect(left + 96, y, 58, kListRowHeight); };
    const auto mark = [groupWidth](int left, int y) {
      return QRect(left + 162, y, groupWidth - 166, kListRowHeight);
    };
    const int n = static_cast<int>(FData.Values.size());
    for (int g = 0; g < kListGroups; ++g) {
      const int left = kMargin + g * groupWidth;
      SetFont(10, true);
      const int headY = kListTop - kListRowHeight - 4;
      FPainter.drawText(number(left, headY), Qt::AlignRight, T(textid::kNumberColumn));
      FPainter.drawText(time(left, headY), Qt::AlignLeft, T(textid::kTimeColumn));
      FPainter.drawText(value(left, headY), Qt::AlignRight, T(textid::kValueColumn));
      FPainter.drawText(mark(left, headY), Qt::AlignLeft, T(textid::kJudgementColumn));
      FPainter.drawLine(QLineF(left, kListTop - 3, left + groupWidth - 8, kListTop - 3));
      SetFont(10);
      for (int r = 0; r < kListRows; ++r) {
        const int i = (page * kListGroups + g) * kListRows + r;
        if (i >= n) break;
        const int y = kListTop + r * kListRowHeight;
        const double x = FData.Values[static_cast<std::size_t>(i)];
        FPainter.drawText(number(left, y), Qt::AlignRight, QString::number(i + 1));
        FPainter.drawText(time(left, y), Qt::AlignLeft, TimeOf(static_cast<std::size_t>(i)));
        FPainter.drawText(value(left, y), Qt::AlignRight,
                          Q(NumberText(x, decimals, FData.DecimalSeparator)));
        QString judged = "-";
        if (FData.Tolerance.Any()) {
          const TZone zone = Judge(x, FData.Tolerance);
          judged = T(zone == TZone::Inside  ? textid::kInsideMark
                     : zone == TZone::Below ? textid::kBelowMark
                                            : textid::kAboveMark);
          if (zone != TZone::Inside) FPainter.setPen(QColor(200, 0, 0));
        }
        FPainter.drawText(mark(left, y), Qt::AlignLeft, judged);
        FPainter.setPen(Qt::black);
      }
    }
    Footer(page + 2);
  }

  QPdfWriter& FWriter;
  const TReportData& FData;
  const std::function<std::string(int)>& FText;
  QCPPainter FPainter;
  int FPages = 1;
};

}  // namespace

bool WriteReport(const std::string& path, const TReportData& data,
                 const std::function<std::string(int)>& text, std::string& error) {
  QFile file(QString::fromStdString(path));
  const auto failed = [&] {
    error = path + ": " + file.errorString().toStdString();
    return false;
  };
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return failed();
  QPdfWriter writer(&file);
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  writer.setResolution(kDpi);
  writer.setTitle(QString::fromStdString(text(textid::kReportTitle) + " " + data.Batch));
  writer.setCreator(QString::fromStdString(data.ProgramText));
  TReportPainter painter(writer, data, text);
  if (!painter.Active()) return failed();
  painter.Write();
  file.close();
  return file.error() == QFileDevice::NoError || failed();
}

std::string ReportFileName(const std::string& recordFileName) {
  const std::size_t dot = recordFileName.rfind('.');
  const std::size_t slash = recordFileName.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return recordFileName + ".pdf";
  return recordFileName.substr(0, dot) + ".pdf";
}

}  // namespace pzam::analysis
