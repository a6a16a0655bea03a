// The inspection report's page of the type 1 gauge study: the run's particulars and the study's
// inputs, the figures with their remarks, the verdict (and the note below 25 values), the chart.
#pragma once

#include <functional>
#include <string>

#include "analysis/ui/Report.h"

class QCPPainter;

namespace pzam::analysis {

// Paints the page for data.Study (which must be set) between x = left and left + width, from
// y = left (the page's margin) down to bottom. `text` gives the language text of an id.
void PaintStudyPage(QCPPainter& painter, const TReportData& data,
                    const std::function<std::string(int)>& text, int left, int width, int bottom);

}  // namespace pzam::analysis
