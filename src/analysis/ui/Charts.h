// The three charts of a run: the individuals chart with its centre line, control limits,
// tolerance limits and nominal; the moving-range chart; the histogram with the normal curve. One
// set lives in the analysis window, another is drawn into the inspection report.
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "analysis/Capability.h"

class QCPAbstractPlottable;
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
  // Ch_Histogram); zoom and pan with the mouse, a double click follows the run again. Live
  // charts (on the screen) grow their axes in steps and redraw only the data between them;
  // others fit the data exactly.
  explicit TAnalysisCharts(QWidget* parent, bool live = false);

  // Tick labels with the program's decimal separator.
  void SetDecimalSeparator(char separator);
  // Titles, axis texts and legend entries in the current language.
  void SetTexts(const std::function<std::string(int)>& text);
  // Puts the run's values and figures into the charts; a chart the operator has not zoomed or
  // panned is fitted to them. Nothing is drawn until Replot.
  void Update(std::span<const double> values, const TFigures& figures, const TTolerance& tolerance);
  // queued: the charts drawn whole at the next turn of the event loop, however often it is
  // asked for; live charts whose axes stayed redraw their data at once.
  void Replot(bool queued);
  // A new run: the axes fit it afresh and follow it.
  void Restart();
  // The next Replot draws every chart whole.
  void RedrawAll();
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
  bool FLive;
  bool FDense = false;
  std::array<bool, 3> FFollow{true, true, true};
  std::array<bool, 3> FFitted{false, false, false};
  std::array<bool, 3> FWhole{true, true, true};
  std::array<std::vector<QCPAbstractPlottable*>, 3> FLegends;
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
