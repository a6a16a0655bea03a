#include "analysis/ui/Report.h"

#include <qcustomplot.h>
#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <QWidget>
#include <algorithm>
#include <charconv>
#include <span>

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
// Part list: the columns part, id, time and result, then up to kPartValueColumns
// characteristics' values side by side (more characteristics: the list again for the next ones).
constexpr int kPartColumnsWidth = 305;
constexpr int kPartValueWidth = 78;
constexpr int kPartValueColumns = (kBodyWidth - kPartColumnsWidth) / kPartValueWidth;
constexpr int kPartRowHeight = 14;
constexpr int kPartTop = kMargin + 30 + 4 * kPartRowHeight;
constexpr int kPartRows = (kFooterTop - 8 - kPartTop) / kPartRowHeight;
const QColor kOutsideColour(200, 0, 0);

class TReportPainter {
 public:
  TReportPainter(QPdfWriter& writer, const TReportData& data,
                 const std::function<std::string(int)>& text)
      : FWriter(writer), FData(data), FText(text), FPainter(&writer) {}

  bool Active() const { return FPainter.isActive(); }

  void Write() {
    if (!FData.Characteristics.empty()) {
      WritePlan();
      return;
    }
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
    if (FData.Study) StudyPage();
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
  QString TimeOf(std::size_t i) const { return TimeOf(FData.Times, i); }
  static QString TimeOf(const std::vector<std::string>& times, std::size_t i) {
    return i < times.size() && !times[i].empty() ? Q(times[i]) : "-";
  }

  QString Limit(std::optional<double> x, int decimals) const {
    return Q(LimitText(x, decimals, FData.DecimalSeparator));
  }

  // The last page, when a type 1 study is set up.
  void StudyPage() {
    FWriter.newPage();
    PaintStudyPage(FPainter, FData, FText, kMargin, kBodyWidth, kFooterTop - 10);
    Footer(FPages);
  }

  // A plan run: page 1 the run's and the plan's particulars and the characteristics, a page of
  // figures and charts per characteristic, the part list.
  void WritePlan() {
    const int characteristics = static_cast<int>(FData.Characteristics.size());
    const int parts = static_cast<int>(FData.Parts.size());
    FBlocks = (characteristics + kPartValueColumns - 1) / kPartValueColumns;
    FPartPages = std::max(1, (parts + kPartRows - 1) / kPartRows);
    FPages = 1 + characteristics + FBlocks * FPartPages + (FData.Study ? 1 : 0);
    PlanFirstPage();
    for (int c = 0; c < characteristics; ++c) {
      FWriter.newPage();
      CharacteristicPage(c);
    }
    for (int block = 0; block < FBlocks; ++block) {
      for (int page = 0; page < FPartPages; ++page) {
        FWriter.newPage();
        PartPage(block, page);
      }
    }
    if (FData.Study) StudyPage();
    FPainter.end();
  }

  void PlanFirstPage() {
    SetFont(22, true);
    FPainter.drawText(QRect(kMargin, kMargin, kBodyWidth, 30), Qt::AlignLeft | Qt::AlignVCenter,
                      T(textid::kReportTitle));
    int ok = 0, nok = 0, incomplete = 0;
    for (const TReportPart& part : FData.Parts) {
      (!part.Complete ? incomplete : part.Ok ? ok : nok) += 1;
    }
    QString counts = QString("%1   %2 %3   %4 %5")
                         .arg(FData.Parts.size())
                         .arg(T(textid::kOkMark))
                         .arg(ok)
                         .arg(T(textid::kNokMark))
                         .arg(nok);
    if (incomplete > 0)
      counts += QString("   %1 %2").arg(T(textid::kIncompleteMark)).arg(incomplete);
    const std::vector<std::pair<int, QString>> lines = {
        {textid::kProgramLine, Q(FData.ProgramText)},
        {textid::kBatchLine, Q(FData.Batch)},
        {textid::kDateLine, Q(FData.Date)},
        {textid::kModeLine, Q(FData.Mode)},
        {textid::kPortLine, Q(FData.Port)},
        {textid::kRecordFileLine, Q(FData.RecordFile)},
        {textid::kPlanLine, Q(FData.PlanName)},
        {textid::kPartNumberLine, Q(FData.PartNumber)},
        {textid::kPartNameLine, Q(FData.PartName)},
        {textid::kPartsLine, counts},
    };
    int y = Particulars(lines, kMargin + 44, kBodyWidth) + 24;

    // The characteristics: number, name, unit, limits, how many values and how many inside.
    SetFont(16, true);
    FPainter.drawText(QRect(kMargin, y, kBodyWidth, 24), Qt::AlignLeft | Qt::AlignVCenter,
                      T(textid::kCharacteristicsTitle));
    y += 30;
    struct TColumn {
      int Left, Width, TextId;
      Qt::Alignment Align;
    };
    const TColumn columns[] = {
        {0, 30, textid::kNumberColumn, Qt::AlignRight},
        {40, 250, textid::kCharacteristicLabel, Qt::AlignLeft},
        {295, 60, textid::kUnitLine, Qt::AlignLeft},
        {355, 75, textid::kLowerColumn, Qt::AlignRight},
        {430, 75, textid::kNominalColumn, Qt::AlignRight},
        {505, 75, textid::kUpperColumn, Qt::AlignRight},
        {580, 45, textid::kValuesCountColumn, Qt::AlignRight},
        {625, kBodyWidth - 625, textid::kInsideColumn, Qt::AlignRight},
    };
    const int rowHeight = 16;
    SetFont(11, true);
    for (const TColumn& c : columns) {
      FPainter.drawText(QRect(kMargin + c.Left, y, c.Width, rowHeight),
                        c.Align | Qt::TextSingleLine, T(c.TextId));
    }
    y += rowHeight + 2;
    FPainter.drawLine(QLineF(kMargin, y - 1, kMargin + kBodyWidth, y - 1));
    SetFont(11);
    for (std::size_t i = 0; i < FData.Characteristics.size(); ++i) {
      if (y + rowHeight > kFooterTop - 10) break;  // 99 characteristics: their own pages say it
      const TReportCharacteristic& ch = FData.Characteristics[i];
      const int decimals = ValueDecimals(ch.Values);
      const TFigures f = ComputeFigures(ch.Values, ch.Tolerance);
      const QString cells[] = {
          QString::number(i + 1),
          Q(ch.Name),
          Q(ch.Unit),
          Limit(ch.Tolerance.Lower, decimals),
          Limit(ch.Tolerance.Nominal, decimals),
          Limit(ch.Tolerance.Upper, decimals),
          QString::number(f.N),
          ch.Tolerance.Any() ? QString::number(f.InTolerance) : QString("-"),
      };
      for (std::size_t k = 0; k < std::size(columns); ++k) {
        const TColumn& c = columns[k];
        FPainter.drawText(QRect(kMargin + c.Left, y, c.Width, rowHeight),
                          c.Align | Qt::TextSingleLine, cells[k]);
      }
      y += rowHeight;
    }
    Footer(1);
  }

  // The page of characteristic c: as page 1 of the run without a plan, for its values.
  void CharacteristicPage(int c) {
    const TReportCharacteristic& ch = FData.Characteristics[static_cast<std::size_t>(c)];
    const int decimals = ValueDecimals(ch.Values);
    const TFigures figures = ComputeFigures(ch.Values, ch.Tolerance);
    const TTolerance& t = ch.Tolerance;
    const std::vector<std::pair<int, QString>> lines = {
        {textid::kPlanLine, Q(FData.PlanName)},
        {textid::kBatchLine, Q(FData.Batch)},
        {textid::kCharacteristicLabel, Q(ch.Name)},
        {textid::kUnitLine, ch.Unit.empty() ? QString("-") : Q(ch.Unit)},
        {textid::kFirstValueLine, TimeOf(ch.Times, 0)},
        {textid::kLastValueLine, TimeOf(ch.Times, ch.Values.size() - 1)},
        {textid::kLowerLabel, Limit(t.Lower, decimals)},
        {textid::kNominalLabel, Limit(t.Nominal, decimals)},
        {textid::kUpperLabel, Limit(t.Upper, decimals)},
    };
    FiguresPage(CharacteristicTitle(c), lines, ch.Values, figures, t, decimals);
    Footer(2 + c);
  }

  QString CharacteristicTitle(int c) const {
    return T(textid::kCharacteristicLabel) + QString(" %1: ").arg(c + 1) +
           Q(FData.Characteristics[static_cast<std::size_t>(c)].Name);
  }

  // Whether a value as the gauge sent it lies outside characteristic c's tolerance.
  bool Outside(int c, const std::string& sent) const {
    std::string text = sent;
    std::replace(text.begin(), text.end(), ',', '.');
    const char* begin = text.c_str();
    if (*begin == '+') ++begin;
    double x = 0;
    const auto [end, error] = std::from_chars(begin, text.c_str() + text.size(), x);
    if (error != std::errc() || end == begin) return false;
    const TTolerance& t = FData.Characteristics[static_cast<std::size_t>(c)].Tolerance;
    return t.Any() && Judge(x, t) != TZone::Inside;
  }

  // Page `page` of the part list for the block-th group of characteristics: part, id, time,
  // result and the values, the heading repeated on every page.
  void PartPage(int block, int page) {
    SetFont(16, true);
    FPainter.drawText(QRect(kMargin, kMargin, kBodyWidth, 24), Qt::AlignLeft | Qt::AlignVCenter,
                      T(textid::kPartListTitle));
    const int characteristics = static_cast<int>(FData.Characteristics.size());
    const int first = block * kPartValueColumns;
    const int last = std::min(characteristics, first + kPartValueColumns);
    const auto cell = [](int left, int width, int y) {
      return QRect(kMargin + left, y, width, kPartRowHeight);
    };
    const auto valueCell = [&](int c, int y) {
      return cell(kPartColumnsWidth + (c - first) * kPartValueWidth, kPartValueWidth - 6, y);
    };
    // The heading: the fixed columns, each characteristic's number and name (on two lines when
    // it needs them) over its unit.
    const int headY = kPartTop - 3 * kPartRowHeight - 4;
    const int lastY = headY + 2 * kPartRowHeight;
    SetFont(10, true);
    FPainter.drawText(cell(0, 40, lastY), Qt::AlignRight, T(textid::kPartColumn));
    FPainter.drawText(cell(50, 110, lastY), Qt::AlignLeft, T(textid::kIdColumn));
    FPainter.drawText(cell(165, 57, lastY), Qt::AlignLeft, T(textid::kTimeColumn));
    FPainter.drawText(cell(225, kPartColumnsWidth - 225, lastY), Qt::AlignLeft,
                      T(textid::kResultColumn));
    for (int c = first; c < last; ++c) {
      const auto& ch = FData.Characteristics[static_cast<std::size_t>(c)];
      const QRect r = valueCell(c, headY).adjusted(0, 0, 0, kPartRowHeight);
      const QString name = QString("%1 ").arg(c + 1) + Q(ch.Name);
      const QFontMetrics metrics = FPainter.fontMetrics();
      const int flags = Qt::AlignRight | Qt::AlignBottom | Qt::TextWordWrap;
      // A name still too long for two lines: elided on the second.
      const bool fits = metrics.boundingRect(r, flags, name).height() <= r.height();
      if (fits) {
        FPainter.drawText(r, flags, name);
      } else {
        FPainter.drawText(valueCell(c, headY), Qt::AlignRight | Qt::TextSingleLine,
                          QString::number(c + 1));
        FPainter.drawText(valueCell(c, headY + kPartRowHeight), Qt::AlignRight,
                          metrics.elidedText(Q(ch.Name), Qt::ElideRight, r.width()));
      }
      if (!ch.Unit.empty()) {
        FPainter.drawText(valueCell(c, lastY), Qt::AlignRight, "[" + Q(ch.Unit) + "]");
      }
    }
    FPainter.drawLine(QLineF(kMargin, kPartTop - 3, kMargin + kBodyWidth, kPartTop - 3));
    SetFont(10);
    const int parts = static_cast<int>(FData.Parts.size());
    for (int r = 0; r < kPartRows; ++r) {
      const int i = page * kPartRows + r;
      if (i >= parts) break;
      const TReportPart& part = FData.Parts[static_cast<std::size_t>(i)];
      const int y = kPartTop + r * kPartRowHeight;
      FPainter.drawText(cell(0, 40, y), Qt::AlignRight, QString::number(part.Part));
      FPainter.drawText(cell(50, 110, y), Qt::AlignLeft | Qt::TextSingleLine,
                        part.Id.empty() ? QString("-") : Q(part.Id));
      FPainter.drawText(cell(165, 57, y), Qt::AlignLeft, part.Time.empty() ? "-" : Q(part.Time));
      if (!part.Complete) {
        FPainter.setPen(Qt::darkGray);
      } else if (!part.Ok) {
        FPainter.setPen(kOutsideColour);
      }
      FPainter.drawText(cell(225, kPartColumnsWidth - 225, y), Qt::AlignLeft,
                        T(!part.Complete ? textid::kIncompleteMark
                          : part.Ok      ? textid::kOkMark
                                         : textid::kNokMark));
      FPainter.setPen(Qt::black);
      for (int c = first; c < last; ++c) {
        const auto& value = static_cast<std::size_t>(c) < part.Values.size()
                                ? part.Values[static_cast<std::size_t>(c)]
                                : std::optional<std::string>();
        if (value && Outside(c, *value)) FPainter.setPen(kOutsideColour);
        FPainter.drawText(valueCell(c, y), Qt::AlignRight, value ? Q(*value) : QString("-"));
        FPainter.setPen(Qt::black);
      }
    }
    Footer(2 + characteristics + block * FPartPages + page);
  }

  void FirstPage(const TFigures& figures, int decimals) {
    const TTolerance& t = FData.Tolerance;
    const std::vector<std::pair<int, QString>> lines = {
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
    FiguresPage(T(textid::kReportTitle), lines, FData.Values, figures, t, decimals);
    Footer(1);
  }

  // A page of figures and charts: the title, the particulars on the left, the figures table on
  // the right, the three charts below.
  void FiguresPage(const QString& title, const std::vector<std::pair<int, QString>>& lines,
                   std::span<const double> values, const TFigures& figures, const TTolerance& t,
                   int decimals) {
    SetFont(22, true);
    FPainter.drawText(QRect(kMargin, kMargin, kBodyWidth, 30),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);

    // The particulars on the left.
    const int leftWidth = 360;
    const int y = Particulars(lines, kMargin + 44, leftWidth);

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
    charts.Update(values, figures, t);
    const int chartsTop = std::max(y, ty) + 14;
    const int bottom = kFooterTop - 10;
    const int individualsHeight = (bottom - chartsTop) * 55 / 100;
    charts.Paint(0, FPainter, QRect(kMargin, chartsTop, kBodyWidth, individualsHeight));
    const int lowerTop = chartsTop + individualsHeight + 8;
    const int half = (kBodyWidth - 10) / 2;
    charts.Paint(1, FPainter, QRect(kMargin, lowerTop, half, bottom - lowerTop));
    charts.Paint(2, FPainter, QRect(kMargin + half + 10, lowerTop, half, bottom - lowerTop));
  }

  // Lines of a name and its value from y down; returns the y below the last.
  int Particulars(const std::vector<std::pair<int, QString>>& lines, int y, int width) {
    for (const auto& [id, value] : lines) {
      SetFont(12, true);
      FPainter.drawText(QRect(kMargin, y, 124, 17), Qt::AlignLeft | Qt::AlignVCenter, T(id));
      SetFont(12);
      FPainter.drawText(QRect(kMargin + 126, y, width - 126, 17),
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, value);
      y += 17;
    }
    return y;
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
  int FBlocks = 0;     // part list: groups of characteristics
  int FPartPages = 0;  // part list: pages per group
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
