#include "analysis/ui/GaugeStudyReport.h"

#include <qcustomplot.h>
#include <QWidget>
#include <span>

#include "analysis/ui/AnalysisTexts.h"
#include "analysis/ui/FigureRows.h"
#include "analysis/ui/GaugeStudyChart.h"
#include "analysis/ui/GaugeStudyRows.h"
#include "analysis/ui/GaugeStudyTexts.h"
#include "ui/Controls.h"

namespace pzam::analysis {

void PaintStudyPage(QCPPainter& painter, const TReportData& data,
                    const std::function<std::string(int)>& text, int left, int width, int bottom) {
  const auto T = [&](int id) { return id == 0 ? QString() : QString::fromStdString(text(id)); };
  const auto Q = [](const std::string& s) { return QString::fromStdString(s); };
  const auto font = [&](int pixels, bool bold = false) {
    painter.setFont(ui::SansSerifFont(pixels, bold));
  };
  const TStudyInputs& inputs = *data.Study;
  // A plan run's study is of one of its characteristics.
  const TReportCharacteristic* characteristic =
      data.StudyCharacteristic >= 0 &&
              data.StudyCharacteristic < static_cast<int>(data.Characteristics.size())
          ? &data.Characteristics[static_cast<std::size_t>(data.StudyCharacteristic)]
          : nullptr;
  const std::vector<double>& values = characteristic ? characteristic->Values : data.Values;
  const TStudyFigures figures = ComputeGaugeStudy(values, inputs);
  const int decimals = ValueDecimals(values);
  const char sep = data.DecimalSeparator;

  font(22, true);
  painter.drawText(QRect(left, left, width, 30), Qt::AlignLeft | Qt::AlignVCenter,
                   T(textid::kStudyCaption));

  // The run's particulars on the left, the study's inputs on the right.
  std::vector<std::pair<int, QString>> particulars = {
      {textid::kProgramLine, Q(data.ProgramText)},
      {textid::kBatchLine, Q(data.Batch)},
      {textid::kDateLine, Q(data.Date)},
      {textid::kRecordFileLine, Q(data.RecordFile)},
  };
  if (characteristic) {
    particulars.push_back(
        {textid::kCharacteristicLabel,
         QString("%1: %2").arg(data.StudyCharacteristic + 1).arg(Q(characteristic->Name))});
  }
  const std::pair<int, QString> studyInputs[] = {
      {textid::kStudyReferenceLabel, Q(LimitText(inputs.Reference, decimals, sep))},
      {textid::kStudyToleranceLabel, Q(LimitText(inputs.Tolerance, decimals, sep))},
      {textid::kStudyKLabel, Q(LimitText(inputs.K, 0, sep))},
      {textid::kStudyLLabel, QString::number(inputs.L)},
  };
  const int half = (width - 20) / 2;
  const auto block = [&](int x, int top, std::span<const std::pair<int, QString>> lines,
                         int labelWidth) {
    int y = top;
    for (const auto& [id, value] : lines) {
      font(12, true);
      painter.drawText(QRect(x, y, labelWidth, 17), Qt::AlignLeft | Qt::AlignVCenter, T(id));
      font(12);
      painter.drawText(QRect(x + labelWidth + 2, y, half - labelWidth - 2, 17),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, value);
      y += 17;
    }
    return y;
  };
  const int top = left + 44;
  int y = block(left, top, particulars, 100);
  font(12, true);
  painter.drawText(QRect(left + half + 20, top, half, 17), Qt::AlignLeft | Qt::AlignVCenter,
                   T(textid::kStudyParticulars));
  y = std::max(y, block(left + half + 20, top + 17, studyInputs, 150));

  // The figures across the page: name, value, remark.
  const int nameWidth = 250, valueWidth = 110, remarkLeft = left + nameWidth + valueWidth + 16;
  const int remarkWidth = left + width - remarkLeft;
  const int rowHeight = 16;
  int ty = y + 14;
  font(12, true);
  painter.drawText(QRect(left, ty, nameWidth, rowHeight), Qt::AlignLeft,
                   T(textid::kStudyFigureHeading));
  painter.drawText(QRect(left + nameWidth, ty, valueWidth, rowHeight), Qt::AlignRight,
                   T(textid::kStudyValueHeading));
  painter.drawText(QRect(remarkLeft, ty, remarkWidth, rowHeight), Qt::AlignLeft,
                   T(textid::kStudyRemarkHeading));
  ty += rowHeight + 2;
  painter.drawLine(QLineF(left, ty - 1, left + width, ty - 1));
  font(11);
  for (const TStudyRow& row : StudyRows(figures, decimals, sep)) {
    painter.drawText(QRect(left, ty, nameWidth, rowHeight), Qt::AlignLeft | Qt::TextSingleLine,
                     T(row.TextId));
    painter.drawText(QRect(left + nameWidth, ty, valueWidth, rowHeight), Qt::AlignRight,
                     Q(row.Value));
    painter.drawText(QRect(remarkLeft, ty, remarkWidth, rowHeight),
                     Qt::AlignLeft | Qt::TextSingleLine, T(row.RemarkId));
    ty += rowHeight;
  }

  // The verdict, and the note when the study is short.
  int vy = ty + 14;
  const int verdict = StudyVerdictText(figures);
  font(16, true);
  painter.setPen(verdict == textid::kStudyCapable      ? QColor(0, 130, 50)
                 : verdict == textid::kStudyNotCapable ? QColor(190, 0, 0)
                                                       : QColor(Qt::darkGray));
  painter.drawText(QRect(left, vy, width, 24), Qt::AlignLeft | Qt::AlignVCenter,
                   T(textid::kStudyVerdictLabel) + " " + T(verdict));
  vy += 26;
  if (figures.FewValues) {
    font(12, true);
    painter.setPen(QColor(190, 0, 0));
    painter.drawText(QRect(left, vy, width, 18), Qt::AlignLeft | Qt::AlignVCenter,
                     T(textid::kStudyFewValues));
    vy += 20;
  }
  painter.setPen(Qt::black);

  // The chart, drawn by the same chart code as on the page.
  QWidget holder;
  holder.resize(width, 400);
  TGaugeStudyChart chart(&holder);
  chart.SetDecimalSeparator(sep);
  chart.SetTexts(text);
  chart.Update(values, figures, inputs);
  const int chartTop = vy + 8;
  chart.Paint(painter, QRect(left, chartTop, width, std::min(bottom - chartTop, 520)));
}

}  // namespace pzam::analysis
