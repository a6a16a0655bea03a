#include "analysis/ui/Charts.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/ui/AnalysisTexts.h"
#include "analysis/ui/ChartParts.h"
#include "ui/Controls.h"

namespace pzam::analysis {

namespace {

const QColor kValueColour(30, 90, 170);
const QColor kOutsideColour(220, 30, 30);
const QColor kRuleColour(240, 140, 0);
const QColor kMeanColour(0, 140, 60);
const QColor kControlColour(200, 60, 160);
const QColor kToleranceColour(150, 0, 0);
const QColor kNominalColour(90, 90, 90);

// A red disc (7 px) or an orange ring (12 px) for many marks.
QPixmap MarkPicture(const QColor& colour, bool disc) {
  const int size = disc ? 8 : 13;
  QPixmap picture(size, size);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  if (disc) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
  } else {
    painter.setPen(QPen(colour, 1.5));
    painter.drawEllipse(QRectF(1, 1, size - 2, size - 2));
  }
  return picture;
}

// A line that is drawn only when its value is defined; the legend shows it only then.
using TLegend = std::vector<QCPAbstractPlottable*>;

void SetSegment(QCPGraph* graph, bool defined, const QVector<double>& keys,
                const QVector<double>& values, bool inLegend, TLegend& legend) {
  graph->setVisible(defined);
  if (defined) {
    graph->setData(keys, values, true);
  } else {
    graph->data()->clear();
  }
  if (defined && inLegend) legend.push_back(graph);
}

void SetLine(QCPGraph* graph, std::optional<double> y, double from, double to, bool inLegend,
             TLegend& legend) {
  const double at = y.value_or(0);
  SetSegment(graph, y.has_value(), {from, to}, {at, at}, inLegend, legend);
}

void SetUpright(QCPGraph* graph, std::optional<double> x, double top, bool inLegend,
                TLegend& legend) {
  const double at = x.value_or(0);
  SetSegment(graph, x.has_value(), {at, at}, {0.0, top}, inLegend, legend);
}

// The charts follow the run until the operator zooms or pans; a double click follows it again.
class TFollow : public QObject {
 public:
  TFollow(QCustomPlot* plot, bool& follow, std::function<void()> refit)
      : QObject(plot), FFollow(follow) {
    connect(plot, &QCustomPlot::mousePress, this, [this] { FFollow = false; });
    connect(plot, &QCustomPlot::mouseWheel, this, [this] { FFollow = false; });
    connect(plot, &QCustomPlot::mouseDoubleClick, this, [this, refit] {
      FFollow = true;
      refit();
    });
  }

 private:
  bool& FFollow;
};

}  // namespace

TAnalysisCharts::TAnalysisCharts(QWidget* parent, bool live) : FLive(live) {
  const char* names[] = {"Ch_Individuals", "Ch_MovingRange", "Ch_Histogram"};
  for (int i = 0; i < 3; ++i) {
    auto* plot = new QCustomPlot(parent);
    SetUpChart(plot, names[i], i == 0 ? 4 : 3);
    plot->setNoAntialiasingOnDrag(true);
    plot->setPlottingHint(QCP::phFastPolylines, true);
    // The data have a picture of their own, redrawn without the axes, grid and legend.
    if (live) plot->layer("main")->setMode(QCPLayer::lmBuffered);
    FPlots[i] = plot;
    new TFollow(plot, FFollow[i], [this, i] {
      Fit(i);
      FPlots[i]->replot(QCustomPlot::rpQueuedReplot);
    });
  }

  SetDecimalSeparator(',');

  for (int i : {0, 1}) WholeNumberTicks(FPlots[i]->xAxis);

  QCustomPlot* ind = FPlots[0];
  FValues =
      AddChartGraph(ind, ChartPen(kValueColour, 1), QCPScatterStyle(QCPScatterStyle::ssDisc, 4));
  FOutside = AddChartGraph(ind, ChartPen(kOutsideColour, 1),
                           QCPScatterStyle(QCPScatterStyle::ssDisc, kOutsideColour, 7), false);
  FFlagged = AddChartGraph(
      ind, ChartPen(kRuleColour, 1.5),
      QCPScatterStyle(QCPScatterStyle::ssCircle, ChartPen(kRuleColour, 1.5), {}, 12), false);
  FMean = AddChartGraph(ind, ChartPen(kMeanColour, 1.5));
  FUcl = AddChartGraph(ind, ChartPen(kControlColour, 1.2, Qt::DashLine));
  FLcl = AddChartGraph(ind, ChartPen(kControlColour, 1.2, Qt::DashLine));
  FLsl = AddChartGraph(ind, ChartPen(kToleranceColour, 2));
  FUsl = AddChartGraph(ind, ChartPen(kToleranceColour, 2));
  FNominal = AddChartGraph(ind, ChartPen(kNominalColour, 1.2, Qt::DotLine));

  QCustomPlot* mr = FPlots[1];
  FRanges =
      AddChartGraph(mr, ChartPen(kValueColour, 1), QCPScatterStyle(QCPScatterStyle::ssDisc, 4));
  FMrBar = AddChartGraph(mr, ChartPen(kMeanColour, 1.5));
  FMrUcl = AddChartGraph(mr, ChartPen(kControlColour, 1.2, Qt::DashLine));

  QCustomPlot* hist = FPlots[2];
  FBins = new QCPBars(hist->xAxis, hist->yAxis);
  FBins->setPen(ChartPen(kValueColour, 1));
  FBins->setBrush(QColor(kValueColour.red(), kValueColour.green(), kValueColour.blue(), 90));
  FNormal = AddChartGraph(hist, ChartPen(kMeanColour, 1.5));
  FHistLsl = AddChartGraph(hist, ChartPen(kToleranceColour, 2));
  FHistUsl = AddChartGraph(hist, ChartPen(kToleranceColour, 2));
  FHistNominal = AddChartGraph(hist, ChartPen(kNominalColour, 1.2, Qt::DotLine));
  // Only the plottables in use appear in the legends (SetLine and Update add them).
  for (QCustomPlot* plot : FPlots) plot->legend->clearItems();
}

void TAnalysisCharts::SetDecimalSeparator(char separator) {
  QLocale locale = separator == ',' ? QLocale(QLocale::German) : QLocale::c();
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  for (QCustomPlot* plot : FPlots) plot->setLocale(locale);
  RedrawAll();
}

void TAnalysisCharts::SetTexts(const std::function<std::string(int)>& text) {
  const auto q = [&](int id) { return QString::fromStdString(text(id)); };
  const int titles[] = {textid::kIndividualsChart, textid::kMovingRangeChart,
                        textid::kHistogramChart};
  for (int i = 0; i < 3; ++i) {
    static_cast<QCPTextElement*>(FPlots[i]->plotLayout()->element(0, 0))->setText(q(titles[i]));
  }
  RedrawAll();
  FPlots[0]->xAxis->setLabel(q(textid::kValueNumberAxis));
  FPlots[0]->yAxis->setLabel(q(textid::kValueAxis));
  FPlots[1]->xAxis->setLabel(q(textid::kValueNumberAxis));
  FPlots[1]->yAxis->setLabel(q(textid::kMovingRangeLegend));
  FPlots[2]->xAxis->setLabel(q(textid::kValueAxis));
  FPlots[2]->yAxis->setLabel(q(textid::kCountAxis));
  FValues->setName(q(textid::kValuesLegend));
  FOutside->setName(q(textid::kOutsideLegend));
  FFlagged->setName(q(textid::kRuleLegend));
  FMean->setName(q(textid::kMeanLegend));
  FUcl->setName(q(textid::kControlLimitsLegend));
  FLsl->setName(q(textid::kToleranceLegend));
  FNominal->setName(q(textid::kNominalLegend));
  FRanges->setName(q(textid::kMovingRangeLegend));
  FMrBar->setName(q(textid::kMrBarLegend));
  FMrUcl->setName(q(textid::kMrUclLegend));
  FBins->setName(q(textid::kValuesLegend));
  FNormal->setName(q(textid::kNormalCurveLegend));
  FHistLsl->setName(q(textid::kToleranceLegend));
  FHistNominal->setName(q(textid::kNominalLegend));
}

void TAnalysisCharts::Update(std::span<const double> values, const TFigures& figures,
                             const TTolerance& tolerance) {
  std::array<TLegend, 3> legends;
  const int n = static_cast<int>(values.size());
  const double from = 0.5;
  const double to = std::max(n, 1) + 0.5;

  // Individuals: every value, the red ones outside the tolerance, the rings flagged by a rule.
  QVector<double> keys(n), ys(n), outKeys, outYs, flagKeys, flagYs;
  std::vector<bool> flagged(static_cast<std::size_t>(n), false);
  for (const std::vector<int>& rule : figures.Rules) {
    for (int i : rule) {
      if (i >= 1 && i <= n) flagged[static_cast<std::size_t>(i - 1)] = true;
    }
  }
  for (int i = 0; i < n; ++i) {
    const double x = values[static_cast<std::size_t>(i)];
    keys[i] = i + 1;
    ys[i] = x;
    if (tolerance.Any() && Judge(x, tolerance) != TZone::Inside) {
      outKeys.push_back(i + 1);
      outYs.push_back(x);
    }
    if (flagged[static_cast<std::size_t>(i)]) {
      flagKeys.push_back(i + 1);
      flagYs.push_back(x);
    }
  }
  // Beyond a few hundred values the dots merge into the line: the line alone, without
  // antialiasing, keeps a redraw at the end of a long run as quick as at its start.
  const bool dense = n > kDotsUpTo;
  for (QCPGraph* graph : {FValues, FRanges}) {
    graph->setScatterStyle(dense ? QCPScatterStyle() : QCPScatterStyle(QCPScatterStyle::ssDisc, 4));
  }
  if (dense != FDense) {
    for (QCustomPlot* plot : FPlots) {
      plot->setNotAntialiasedElements(dense ? QCP::aeAll : QCP::aeNone);
    }
    FDense = dense;
    RedrawAll();
  }
  // Many marks are drawn as ready-made pictures, which costs a copy per point, not a path.
  FOutside->setScatterStyle(dense ? QCPScatterStyle(MarkPicture(kOutsideColour, true))
                                  : QCPScatterStyle(QCPScatterStyle::ssDisc, kOutsideColour, 7));
  FFlagged->setScatterStyle(
      dense ? QCPScatterStyle(MarkPicture(kRuleColour, false))
            : QCPScatterStyle(QCPScatterStyle::ssCircle, ChartPen(kRuleColour, 1.5), {}, 12));
  FValues->setData(keys, ys, true);
  FOutside->setData(outKeys, outYs, true);
  FFlagged->setData(flagKeys, flagYs, true);
  const auto legend = [&legends](int chart, QCPAbstractPlottable* p, bool show) {
    if (show) legends[chart].push_back(p);
  };
  legend(0, FValues, n > 0);
  legend(0, FOutside, !outKeys.isEmpty());
  legend(0, FFlagged, !flagKeys.isEmpty());
  SetLine(FMean, figures.Mean, from, to, true, legends[0]);
  SetLine(FUcl, figures.Ucl, from, to, true, legends[0]);
  SetLine(FLcl, figures.Lcl, from, to, false, legends[0]);
  SetLine(FLsl, tolerance.Lower, from, to, true, legends[0]);
  SetLine(FUsl, tolerance.Upper, from, to, !tolerance.Lower, legends[0]);
  SetLine(FNominal, tolerance.Nominal, from, to, true, legends[0]);

  // Moving ranges, numbered by the later of their two values.
  const std::vector<double> ranges = MovingRanges(values);
  QVector<double> mrKeys(static_cast<int>(ranges.size())), mrYs(mrKeys.size());
  for (int i = 0; i < mrKeys.size(); ++i) {
    mrKeys[i] = i + 2;
    mrYs[i] = ranges[static_cast<std::size_t>(i)];
  }
  FRanges->setData(mrKeys, mrYs, true);
  legend(1, FRanges, !ranges.empty());
  SetLine(FMrBar, figures.MrBar, from, to, true, legends[1]);
  SetLine(FMrUcl, figures.MrUcl, from, to, true, legends[1]);

  // Histogram with the normal curve of x-bar and s, scaled to the counts.
  const THistogram histogram = MakeHistogram(values);
  double width = histogram.Width;
  if (!(width > 0)) width = std::max(std::abs(figures.Mean.value_or(0.0)) * 1e-3, 1e-3);
  QVector<double> binKeys, binCounts;
  int highest = 0;
  for (std::size_t k = 0; k < histogram.Counts.size(); ++k) {
    binKeys.push_back(histogram.Start + (static_cast<double>(k) + 0.5) * width);
    binCounts.push_back(histogram.Counts[k]);
    highest = std::max(highest, histogram.Counts[k]);
  }
  FBins->setWidth(width);
  FBins->setData(binKeys, binCounts, true);
  legend(2, FBins, !binKeys.isEmpty());
  QVector<double> curveKeys, curveYs;
  if (figures.Mean && figures.S && *figures.S > 0) {
    const double m = *figures.Mean, s = *figures.S;
    for (int k = 0; k <= 120; ++k) {
      const double x = m - 4 * s + k * (8 * s / 120);
      const double z = (x - m) / s;
      curveKeys.push_back(x);
      curveYs.push_back(n * width * std::exp(-0.5 * z * z) / (s * std::sqrt(2 * std::numbers::pi)));
    }
  }
  FNormal->setData(curveKeys, curveYs, true);
  legend(2, FNormal, !curveKeys.isEmpty());
  double top = highest;
  for (double y : curveYs) top = std::max(top, y);
  top = top > 0 ? top * 1.08 : 1.0;
  SetUpright(FHistLsl, tolerance.Lower, top, true, legends[2]);
  SetUpright(FHistUsl, tolerance.Upper, top, !tolerance.Lower, legends[2]);
  SetUpright(FHistNominal, tolerance.Nominal, top, true, legends[2]);

  for (int i = 0; i < 3; ++i) {
    // A legend changes (and the chart is drawn whole) only when what the chart shows changes.
    if (legends[i] != FLegends[i]) {
      FPlots[i]->legend->clearItems();
      for (QCPAbstractPlottable* p : legends[i]) p->addToLegend();
      FLegends[i] = legends[i];
      FWhole[i] = true;
    }
    if (FFollow[i]) Fit(i);
  }
}

void TAnalysisCharts::Fit(int index) {
  QCustomPlot* plot = FPlots[index];
  bool found = false;
  QCPRange x(0, 1), y(0, 1);
  for (int i = 0; i < plot->plottableCount(); ++i) {
    QCPAbstractPlottable* p = plot->plottable(i);
    if (!p->visible()) continue;
    bool ok = false;
    const QCPRange kr = p->getKeyRange(ok);
    if (!ok) continue;
    const QCPRange vr = p->getValueRange(ok);
    if (!ok) continue;
    if (!found) {
      x = kr;
      y = vr;
      found = true;
    } else {
      x.expand(kr);
      y.expand(vr);
    }
  }
  if (index == 2 && found) {
    // The bars' key range holds their centres; show whole bars.
    x.lower -= FBins->width();
    x.upper += FBins->width();
    y.lower = 0;
  }
  if (index == 1) y.lower = 0;
  double pad = (y.upper - y.lower) * 0.06;
  if (!(pad > 0)) pad = std::max(std::abs(y.upper) * 1e-3, 1e-3);
  y.upper += pad;
  if (index == 0) y.lower -= pad;
  if (x.upper - x.lower <= 0) {
    x.lower -= 0.5;
    x.upper += 0.5;
  }
  if (FLive) {
    // On the screen the axes keep their ranges while the data fit in them and then grow with
    // room to spare, so most values redraw only the data, not the axes and grid.
    const QCPRange shownX = plot->xAxis->range(), shownY = plot->yAxis->range();
    if (FFitted[index] && shownX.contains(x.lower) && shownX.contains(x.upper) &&
        shownY.contains(y.lower) && shownY.contains(y.upper))
      return;
    const double growX = (x.upper - x.lower) * 0.25;
    x.upper += growX;
    if (index == 2) x.lower -= growX;
    const double growY = (y.upper - y.lower) * 0.15;
    y.upper += growY;
    if (index == 0) y.lower -= growY;
    FFitted[index] = true;
  }
  plot->xAxis->setRange(x);
  plot->yAxis->setRange(y);
  FWhole[index] = true;
}

void TAnalysisCharts::Restart() {
  FFollow = {true, true, true};
  FFitted = {false, false, false};
  RedrawAll();
}

void TAnalysisCharts::RedrawAll() {
  FWhole = {true, true, true};
}

void TAnalysisCharts::Replot(bool queued) {
  for (int i = 0; i < 3; ++i) {
    QCustomPlot* plot = FPlots[i];
    if (!FLive || FWhole[i]) {
      plot->replot(queued ? QCustomPlot::rpQueuedReplot : QCustomPlot::rpImmediateRefresh);
      FWhole[i] = false;
    } else {
      plot->layer("main")->replot();
      if (!queued) plot->repaint();
    }
  }
}

void TAnalysisCharts::Paint(int index, QCPPainter& painter, const QRect& target) {
  QCustomPlot* plot = FPlots[index];
  // A narrow chart puts fewer legend entries side by side, so that none is cut.
  const int wrap = plot->legend->wrap();
  if (target.width() < 500) {
    plot->legend->setWrap(2);
    plot->legend->setFillOrder(QCPLegend::foColumnsFirst, true);
  }
  painter.save();
  painter.translate(target.topLeft());
  plot->toPainter(&painter, target.width(), target.height());
  painter.restore();
  plot->legend->setWrap(wrap);
  plot->legend->setFillOrder(QCPLegend::foColumnsFirst, true);
}

int TAnalysisCharts::OutsidePoints() const {
  return FOutside->dataCount();
}

int TAnalysisCharts::FlaggedPoints() const {
  return FFlagged->dataCount();
}

}  // namespace pzam::analysis
