#include "analysis/GaugeStudy.h"

#include <boost/math/distributions/students_t.hpp>
#include <cmath>

#include "analysis/Capability.h"

namespace pzam::analysis {

namespace {

TStudyFigure Empty(TStudyGap gap) {
  return {std::nullopt, gap};
}

TStudyFigure Of(double x) {
  return {x, TStudyGap::None};
}

// The first gap among the figures a result needs, None when all are there.
TStudyGap GapOf(std::initializer_list<const TStudyFigure*> needed) {
  for (const TStudyFigure* f : needed) {
    if (!f->Value) return f->Gap;
  }
  return TStudyGap::None;
}

// Indices computed from rounded inputs land a few units in the last place either side of 1.33;
// such noise must not decide the verdict.
bool Reaches(double index) {
  return index >= kCapableIndex * (1 - 1e-12);
}

}  // namespace

bool ValidStudyInputs(const TStudyInputs& inputs) {
  if (inputs.Tolerance && !(*inputs.Tolerance > 0 && std::isfinite(*inputs.Tolerance)))
    return false;
  if (inputs.Reference && !std::isfinite(*inputs.Reference)) return false;
  return inputs.K > 0 && inputs.K <= 100 && (inputs.L == 6 || inputs.L == 4);
}

TStudyFigures GaugeStudyFromSummary(int n, std::optional<double> mean, std::optional<double> s,
                                    double resolution, const TStudyInputs& in) {
  TStudyFigures f;
  f.N = n;
  f.FewValues = n < kStudyMinimum;
  f.Mean = mean ? Of(*mean) : Empty(TStudyGap::NoValues);
  if (s && *s > 0) {
    f.S = Of(*s);
  } else {
    f.S = Empty(n == 0   ? TStudyGap::NoValues
                : n == 1 ? TStudyGap::OneValue
                         : TStudyGap::ZeroSpread);
  }
  const TStudyFigure reference = in.Reference ? Of(*in.Reference) : Empty(TStudyGap::NoReference);
  const TStudyFigure tolerance = in.Tolerance ? Of(*in.Tolerance) : Empty(TStudyGap::NoTolerance);

  if (const TStudyGap gap = GapOf({&f.Mean, &reference}); gap != TStudyGap::None) {
    f.Bias = Empty(gap);
  } else {
    f.Bias = Of(*f.Mean.Value - *in.Reference);
  }
  if (const TStudyGap gap = GapOf({&f.S, &tolerance}); gap != TStudyGap::None) {
    f.Cg = Empty(gap);
  } else {
    f.Cg = Of(in.K / 100 * *in.Tolerance / (in.L * *f.S.Value));
  }
  if (const TStudyGap gap = GapOf({&f.S, &tolerance, &f.Bias}); gap != TStudyGap::None) {
    f.Cgk = Empty(gap);
  } else {
    f.Cgk = Of((in.K / 200 * *in.Tolerance - std::fabs(*f.Bias.Value)) / (in.L / 2.0 * *f.S.Value));
  }
  if (const TStudyGap gap = GapOf({&f.S, &f.Bias}); gap != TStudyGap::None) {
    f.T = Empty(gap);
    f.P = Empty(gap);
  } else {
    const double t = *f.Bias.Value / (*f.S.Value / std::sqrt(static_cast<double>(n)));
    f.T = Of(t);
    const boost::math::students_t distribution(n - 1);
    f.P = Of(2 * boost::math::cdf(boost::math::complement(distribution, std::fabs(t))));
  }
  if (resolution > 0) {
    f.Resolution = Of(resolution);
  } else {
    f.Resolution = Empty(n == 0   ? TStudyGap::NoValues
                         : n == 1 ? TStudyGap::OneValue
                                  : TStudyGap::ZeroSpread);
  }
  if (const TStudyGap gap = GapOf({&f.Resolution, &tolerance}); gap != TStudyGap::None) {
    f.ResolutionShare = Empty(gap);
  } else {
    f.ResolutionShare = Of(100 * resolution / *in.Tolerance);
  }
  if (const TStudyGap gap = GapOf({&f.Cg, &f.Cgk}); gap != TStudyGap::None) {
    f.VerdictGap = gap;
  } else {
    f.Capable = Reaches(*f.Cg.Value) && Reaches(*f.Cgk.Value);
  }
  return f;
}

TStudyFigures ComputeGaugeStudy(std::span<const double> values, const TStudyInputs& inputs) {
  const TFigures figures = ComputeFigures(values, TTolerance{});
  return GaugeStudyFromSummary(figures.N, figures.Mean, figures.S, ValueResolution(values), inputs);
}

}  // namespace pzam::analysis
