// Text ids of the type 1 gauge study: its page in the analysis window, its chart and its page
// in the inspection report (9300 to 9349).
#pragma once

namespace pzam::textid {

inline constexpr int kStudyButton = 9300;          // Bu_Study on the analysis window
inline constexpr int kStudyCaption = 9301;         // the page's caption, the report page's title
inline constexpr int kStudyReferenceLabel = 9302;  // La_StudyReference: x_m
inline constexpr int kStudyToleranceLabel = 9303;  // La_StudyTolerance: T
inline constexpr int kStudyKLabel = 9304;          // La_StudyK: K in percent of T
inline constexpr int kStudyLLabel = 9305;          // La_StudyL: L in standard deviations
inline constexpr int kStudyFigureHeading = 9306;   // figures table: column headings
inline constexpr int kStudyValueHeading = 9307;
inline constexpr int kStudyRemarkHeading = 9308;
inline constexpr int kStudyRow0 = 9310;  // figure rows 9310 to 9319, in TStudyRow order
inline constexpr int kStudyVerdictLabel = 9320;
inline constexpr int kStudyCapable = 9321;
inline constexpr int kStudyNotCapable = 9322;
inline constexpr int kStudyNoVerdict = 9323;
inline constexpr int kStudyFewValues = 9324;  // the note below 25 values
inline constexpr int kStudyGap0 = 9325;       // why a figure is empty: 9325 to 9329, TStudyGap
inline constexpr int kStudyToleranceNotAbove0 = 9330;  // refusals of the inputs
inline constexpr int kStudyKOutside = 9331;
inline constexpr int kStudyChart = 9332;  // chart title and legend entries
inline constexpr int kStudyReferenceLegend = 9333;
inline constexpr int kStudyShareLegend = 9334;
inline constexpr int kStudySpreadLegend = 9335;
inline constexpr int kStudyCoarseResolution = 9336;  // remark: resolution above 5 % of T
inline constexpr int kStudyBiasSignificant = 9337;   // remark: p below 0.05
inline constexpr int kStudyToleranceDefault = 9338;  // remark beside T: USL - LSL in force
inline constexpr int kStudyParticulars = 9339;       // report: heading of the study's inputs

}  // namespace pzam::textid
