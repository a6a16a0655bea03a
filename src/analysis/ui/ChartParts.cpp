#include "analysis/ui/ChartParts.h"

#include "ui/Controls.h"

namespace pzam::analysis {

void SetUpChart(QCustomPlot* plot, const char* name, int legendColumns) {
  plot->setObjectName(name);
  plot->setFont(ui::SansSerifFont(11));
  plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  plot->plotLayout()->insertRow(0);
  plot->plotLayout()->addElement(0, 0, new QCPTextElement(plot, "", ui::SansSerifFont(12, true)));
  plot->legend->setVisible(true);
  plot->legend->setFont(ui::SansSerifFont(10));
  plot->legend->setRowSpacing(0);
  plot->legend->setBorderPen(Qt::NoPen);
  plot->axisRect()->insetLayout()->take(plot->legend);
  plot->plotLayout()->addElement(2, 0, plot->legend);
  plot->plotLayout()->setRowStretchFactor(2, 0.001);
  plot->legend->setFillOrder(QCPLegend::foColumnsFirst);
  plot->legend->setWrap(legendColumns);
  plot->legend->setMargins(QMargins(4, 0, 4, 2));
  for (QCPAxis* axis : {plot->xAxis, plot->yAxis}) {
    axis->setLabelFont(ui::SansSerifFont(11));
    axis->setTickLabelFont(ui::SansSerifFont(10));
  }
}

void WholeNumberTicks(QCPAxis* axis) {
  QSharedPointer<QCPAxisTickerFixed> whole(new QCPAxisTickerFixed);
  whole->setTickStep(1.0);
  whole->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
  axis->setTicker(whole);
}

QPen ChartPen(const QColor& colour, double width, Qt::PenStyle style) {
  QPen pen(colour, width, style);
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

QCPGraph* AddChartGraph(QCustomPlot* plot, const QPen& pen, QCPScatterStyle scatter, bool line) {
  QCPGraph* graph = plot->addGraph();
  graph->setPen(pen);
  graph->setScatterStyle(scatter);
  graph->setLineStyle(line ? QCPGraph::lsLine : QCPGraph::lsNone);
  return graph;
}

}  // namespace pzam::analysis
