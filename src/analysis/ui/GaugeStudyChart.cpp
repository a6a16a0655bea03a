#include "analysis/ui/GaugeStudyChart.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "analysis/ui/AnalysisTexts.h"
#include "analysis/ui/ChartParts.h"
#include "analysis/ui/GaugeStudyTexts.h"
#include "ui/Controls.h"

namespace pzam::analysis {

namespace {

const QColor kValueColour(30, 90, 170);
const QColor kReferenceColour(0, 140, 60);
const QColor kBandColour(150, 0, 0);
const QColor kSpreadColour(200, 60, 160);
const QColor kMeanColour(90, 90, 90);

// A level across the chart, hidden when it is not defined.
void SetLevel(QCPGraph* graph, std::optional<double> y, double from, double to) {
  graph->setVisible(y.has_value());
  if (y) {
    graph->setData({from, to}, {*y, *y}, true);
  } else {
    graph->data()->clear();
  }
}

}  // namespace

TGaugeStudyChart::TGaugeStudyChart(QWidget* parent) : FPlot(new QCustomPlot(parent)) {
  SetUpChart(FPlot, "Ch_Study", 5);
  WholeNumberTicks(FPlot->xAxis);

  FValues =
      AddChartGraph(FPlot, ChartPen(kValueColour, 1), QCPScatterStyle(QCPScatterStyle::ssDisc, 5));
  FReference = AddChartGraph(FPlot, ChartPen(kReferenceColour, 1.8));
  FBandLow = AddChartGraph(FPlot, ChartPen(kBandColour, 2));
  FBandHigh = AddChartGraph(FPlot, ChartPen(kBandColour, 2));
  FSpreadLow = AddChartGraph(FPlot, ChartPen(kSpreadColour, 1.3, Qt::DashLine));
  FSpreadHigh = AddChartGraph(FPlot, ChartPen(kSpreadColour, 1.3, Qt::DashLine));
  FMean = AddChartGraph(FPlot, ChartPen(kMeanColour, 1.2, Qt::DotLine));
  // One legend entry per kind of line.
  FBandHigh->removeFromLegend();
  FSpreadHigh->removeFromLegend();
  SetDecimalSeparator(',');
}

void TGaugeStudyChart::SetDecimalSeparator(char separator) {
  QLocale locale = separator == ',' ? QLocale(QLocale::German) : QLocale::c();
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  FPlot->setLocale(locale);
}

void TGaugeStudyChart::SetTexts(const std::function<std::string(int)>& text) {
  const auto q = [&](int id) { return QString::fromStdString(text(id)); };
  static_cast<QCPTextElement*>(FPlot->plotLayout()->element(0, 0))->setText(q(textid::kStudyChart));
  FPlot->xAxis->setLabel(q(textid::kValueNumberAxis));
  FPlot->yAxis->setLabel(q(textid::kValueAxis));
  FValues->setName(q(textid::kValuesLegend));
  FMean->setName(q(textid::kMeanLegend));
  FReference->setName(q(textid::kStudyReferenceLegend));
  FBandLow->setName(q(textid::kStudyShareLegend));
  FSpreadLow->setName(q(textid::kStudySpreadLegend));
}

void TGaugeStudyChart::Update(std::span<const double> values, const TStudyFigures& figures,
                              const TStudyInputs& inputs) {
  const int n = static_cast<int>(values.size());
  QVector<double> keys(n), ys(n);
  for (int i = 0; i < n; ++i) {
    keys[i] = i + 1;
    ys[i] = values[static_cast<std::size_t>(i)];
  }
  // Beyond a few hundred values the dots merge into the line: the line alone redraws quicker.
  FValues->setScatterStyle(n > kDotsUpTo ? QCPScatterStyle()
                                         : QCPScatterStyle(QCPScatterStyle::ssDisc, 5));
  FValues->setData(keys, ys, true);
  const double from = 0.5, to = std::max(n, 1) + 0.5;
  const std::optional<double> reference = inputs.Reference;
  std::optional<double> band, spread;
  if (reference && inputs.Tolerance) band = inputs.K / 200 * *inputs.Tolerance;
  if (figures.S.Value) spread = inputs.L / 2.0 * *figures.S.Value;
  const auto shifted = [](std::optional<double> at, std::optional<double> by, double sign) {
    return at && by ? std::optional<double>(*at + sign * *by) : std::nullopt;
  };
  SetLevel(FReference, reference, from, to);
  SetLevel(FBandLow, shifted(reference, band, -1), from, to);
  SetLevel(FBandHigh, shifted(reference, band, 1), from, to);
  SetLevel(FMean, figures.Mean.Value, from, to);
  SetLevel(FSpreadLow, shifted(figures.Mean.Value, spread, -1), from, to);
  SetLevel(FSpreadHigh, shifted(figures.Mean.Value, spread, 1), from, to);
  for (QCPGraph* g : {FValues, FReference, FBandLow, FMean, FSpreadLow}) {
    if (g->visible() && g->dataCount() > 0) {
      g->addToLegend();
    } else {
      g->removeFromLegend();
    }
  }
  // Fit: every line and value, with a little room above and below.
  bool found = false;
  QCPRange y(0, 1);
  for (QCPGraph* g : {FValues, FReference, FBandLow, FBandHigh, FMean, FSpreadLow, FSpreadHigh}) {
    bool ok = false;
    if (!g->visible()) continue;
    const QCPRange r = g->getValueRange(ok);
    if (!ok) continue;
    if (found) {
      y.expand(r);
    } else {
      y = r;
      found = true;
    }
  }
  double pad = (y.upper - y.lower) * 0.08;
  if (!(pad > 0)) pad = std::max(std::abs(y.upper) * 1e-3, 1e-3);
  FPlot->yAxis->setRange(y.lower - pad, y.upper + pad);
  FPlot->xAxis->setRange(from, to);
}

void TGaugeStudyChart::Replot() {
  FPlot->replot(QCustomPlot::rpQueuedReplot);
}

void TGaugeStudyChart::Paint(QCPPainter& painter, const QRect& target) {
  painter.save();
  painter.translate(target.topLeft());
  FPlot->toPainter(&painter, target.width(), target.height());
  painter.restore();
}

int TGaugeStudyChart::LinesShown() const {
  int shown = 0;
  for (QCPGraph* g : {FReference, FBandLow, FBandHigh, FSpreadLow, FSpreadHigh}) {
    if (g->visible() && g->dataCount() > 0) ++shown;
  }
  return shown;
}

}  // namespace pzam::analysis
