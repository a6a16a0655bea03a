// What the analysis window's charts and the type 1 study's chart share: the plot's set-up (title
// above, legend below where it hides no point, fonts), whole value numbers on an axis, and graphs
// with flat-capped pens.
#pragma once

#include <qcustomplot.h>

namespace pzam::analysis {

// Up to this many values a chart marks each with a dot; beyond, the line alone redraws quicker.
inline constexpr int kDotsUpTo = 300;

// Names the plot, makes it draggable and zoomable, and lays it out: a title row (element 0, 0),
// the axis rectangle, and the legend in `legendColumns` columns below it.
void SetUpChart(QCustomPlot* plot, const char* name, int legendColumns);
// Value numbers are whole: the axis ticks at whole multiples of one value only.
void WholeNumberTicks(QCPAxis* axis);
QPen ChartPen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine);
QCPGraph* AddChartGraph(QCustomPlot* plot, const QPen& pen, QCPScatterStyle scatter = {},
                        bool line = true);

}  // namespace pzam::analysis
