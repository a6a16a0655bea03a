// The three charts of a run: the individuals chart with its centre line, control limits,
// tolerance limits and nominal; the moving-range chart; the histogram with the normal curve. One
// set lives in the analysis window, another is drawn into the inspection report.
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>

#include "analysis/Capability.h"

class QCPBars;
class QCPGraph;
class QCustomPlot;
class QCPPainter;
class QRect;
class QWidget;

namespace pzam::analysis {

class TAnalysisCharts {
 public:
  // The charts become children of parent (objectNames Ch_Individuals, Ch_MovingRange,
  // Ch_Histogram); zoom and pan with the mouse, a double click follows the run again.
  explicit TAnalysisCharts(QWidget* parent);

  // Tick labels with the program's decimal separator.
  void SetDecimalSeparator(char separator);
  // Titles, axis texts and legend entries in the current language.
  void SetTexts(const std::function<std::string(int)>& text);
  // Puts the run's values and figures into the charts; a chart the operator has not zoomed or
  // panned is fitted to them. Nothing is drawn until Replot.
  void Update(std::span<const double> values, const TFigures& figures, const TTolerance& tolerance);
  // queued: one redraw at the next turn of the event loop, however often it is asked for.
  void Replot(bool queued);
  // Draws chart `index` (0 individuals, 1 moving range, 2 histogram) into target, in the units
  // of the painter's device.
  void Paint(int index, QCPPainter& painter, const QRect& target);

  QCustomPlot* Individuals() const { return FPlots[0]; }
  QCustomPlot* MovingRange() const { return FPlots[1]; }
  QCustomPlot* Histogram() const { return FPlots[2]; }
  // Points of the individuals chart drawn red (outside the tolerance) and marked (a rule).
  int OutsidePoints() const;
  int FlaggedPoints() const;

 private:
  void Fit(int index);

  std::array<QCustomPlot*, 3> FPlots{};
  std::array<bool, 3> FFollow{true, true, true};
  // Individuals chart.
  QCPGraph* FValues = nullptr;
  QCPGraph* FOutside = nullptr;
  QCPGraph* FFlagged = nullptr;
  QCPGraph* FMean = nullptr;
  QCPGraph* FUcl = nullptr;
  QCPGraph* FLcl = nullptr;
  QCPGraph* FLsl = nullptr;
  QCPGraph* FUsl = nullptr;
  QCPGraph* FNominal = nullptr;
  // Moving-range chart.
  QCPGraph* FRanges = nullptr;
  QCPGraph* FMrBar = nullptr;
  QCPGraph* FMrUcl = nullptr;
  // Histogram.
  QCPBars* FBins = nullptr;
  QCPGraph* FNormal = nullptr;
  QCPGraph* FHistLsl = nullptr;
  QCPGraph* FHistUsl = nullptr;
  QCPGraph* FHistNominal = nullptr;
};

}  // namespace pzam::analysis
