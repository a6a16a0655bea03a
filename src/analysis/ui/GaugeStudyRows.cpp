#include "analysis/ui/GaugeStudyRows.h"

#include "analysis/ui/FigureRows.h"
#include "analysis/ui/GaugeStudyTexts.h"

namespace pzam::analysis {

int StudyGapText(TStudyGap gap) {
  return gap == TStudyGap::None ? 0 : textid::kStudyGap0 + static_cast<int>(gap) - 1;
}

int StudyVerdictText(const TStudyFigures& f) {
  if (!f.Capable) return textid::kStudyNoVerdict;
  return *f.Capable ? textid::kStudyCapable : textid::kStudyNotCapable;
}

std::vector<TStudyRow> StudyRows(const TStudyFigures& f, int valueDecimals, char separator) {
  const auto row = [&](const TStudyFigure& figure, int decimals, int remark = 0) {
    TStudyRow r;
    r.Value = NumberText(figure.Value, decimals, separator);
    r.RemarkId = figure.Value ? remark : StudyGapText(figure.Gap);
    return r;
  };
  // The guides a quality engineer reads them against: resolution at most 5 % of T, and a bias
  // with p below 0.05 that is not chance.
  const bool coarse = f.ResolutionShare.Value && *f.ResolutionShare.Value > 5;
  const bool significant = f.P.Value && *f.P.Value < 0.05;
  std::vector<TStudyRow> rows = {
      {0, std::to_string(f.N), 0},
      row(f.Mean, valueDecimals + 2),
      row(f.S, valueDecimals + 2),
      row(f.Bias, valueDecimals + 2),
      row(f.Cg, 2),
      row(f.Cgk, 2),
      row(f.T, 3),
      row(f.P, 4, significant ? textid::kStudyBiasSignificant : 0),
      row(f.Resolution, valueDecimals),
      row(f.ResolutionShare, 2, coarse ? textid::kStudyCoarseResolution : 0),
  };
  if (f.ResolutionShare.Value) rows.back().Value += " %";
  for (std::size_t i = 0; i < rows.size(); ++i)
    rows[i].TextId = textid::kStudyRow0 + static_cast<int>(i);
  return rows;
}

}  // namespace pzam::analysis
