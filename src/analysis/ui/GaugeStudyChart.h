// The chart of a type 1 gauge study: the values in the order measured, the reference x_m, the
// lines x_m +- K/200 T (the band the gauge may take) and x-bar +- L/2 s (the spread it took).
// One lives on the study page, another is drawn into the inspection report.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "analysis/GaugeStudy.h"

class QCPGraph;
class QCPPainter;
class QCustomPlot;
class QRect;
class QWidget;

namespace pzam::analysis {

class TGaugeStudyChart {
 public:
  // The chart becomes a child of parent (objectName Ch_Study).
  explicit TGaugeStudyChart(QWidget* parent);

  void SetDecimalSeparator(char separator);
  void SetTexts(const std::function<std::string(int)>& text);
  // Puts the values and the study's lines into the chart and fits the axes; drawn at Replot.
  void Update(std::span<const double> values, const TStudyFigures& figures,
              const TStudyInputs& inputs);
  void Replot();
  // Draws the chart into target, in the units of the painter's device.
  void Paint(QCPPainter& painter, const QRect& target);

  QCustomPlot* Plot() const { return FPlot; }
  // The lines drawn, for tests: reference, band (2), spread (2); absent ones are not counted.
  int LinesShown() const;

 private:
  QCustomPlot* FPlot = nullptr;
  QCPGraph* FValues = nullptr;
  QCPGraph* FMean = nullptr;
  QCPGraph* FReference = nullptr;
  QCPGraph* FBandLow = nullptr;
  QCPGraph* FBandHigh = nullptr;
  QCPGraph* FSpreadLow = nullptr;
  QCPGraph* FSpreadHigh = nullptr;
};

}  // namespace pzam::analysis
