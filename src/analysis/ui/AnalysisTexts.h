// Text ids of the analysis window, its charts and the inspection report (9100 to 9199).
#pragma once

namespace pzam::textid {

inline constexpr int kAnalysisButton = 9100;    // Bu_Analysis on the main window
inline constexpr int kAnalysisCaption = 9101;   // F_Analysis caption
inline constexpr int kNominalLabel = 9102;      // La_Nominal
inline constexpr int kLowerLabel = 9103;        // La_Lower
inline constexpr int kUpperLabel = 9104;        // La_Upper
inline constexpr int kNotANumber = 9105;        // refusal: the text is not a number
inline constexpr int kLowerNotBelow = 9106;     // refusal: LSL >= USL
inline constexpr int kReportButton = 9107;      // Bu_Report
inline constexpr int kReportWritten = 9108;     // the report's path follows
inline constexpr int kReportFailed = 9109;      // the reason follows
inline constexpr int kIndividualsChart = 9110;  // chart titles: individuals, moving range,
inline constexpr int kMovingRangeChart = 9111;  //   histogram
inline constexpr int kHistogramChart = 9112;
inline constexpr int kValueNumberAxis = 9113;  // axis texts
inline constexpr int kValueAxis = 9114;
inline constexpr int kCountAxis = 9115;
inline constexpr int kValuesLegend = 9116;  // legend entries
inline constexpr int kMeanLegend = 9117;
inline constexpr int kControlLimitsLegend = 9118;
inline constexpr int kToleranceLegend = 9119;
inline constexpr int kNominalLegend = 9120;
inline constexpr int kOutsideLegend = 9121;
inline constexpr int kRuleLegend = 9122;
inline constexpr int kMovingRangeLegend = 9123;
inline constexpr int kMrBarLegend = 9124;
inline constexpr int kMrUclLegend = 9125;
inline constexpr int kNormalCurveLegend = 9126;
inline constexpr int kFigureHeading = 9127;  // figures table: column headings
inline constexpr int kValueHeading = 9128;
inline constexpr int kShareHeading = 9129;
inline constexpr int kFigureRow0 = 9130;  // figures table rows 9130 to 9150, in TFigureRow order
inline constexpr int kReportTitle = 9160;
inline constexpr int kProgramLine = 9161;  // report page 1: the run's particulars
inline constexpr int kBatchLine = 9162;
inline constexpr int kDateLine = 9163;
inline constexpr int kFirstValueLine = 9164;
inline constexpr int kLastValueLine = 9165;
inline constexpr int kModeLine = 9166;
inline constexpr int kPortLine = 9167;
inline constexpr int kRecordFileLine = 9168;
inline constexpr int kLimitsLine = 9169;
inline constexpr int kNumberColumn = 9170;  // value list: columns and marks
inline constexpr int kTimeColumn = 9171;
inline constexpr int kValueColumn = 9172;
inline constexpr int kJudgementColumn = 9173;
inline constexpr int kInsideMark = 9174;
inline constexpr int kBelowMark = 9175;
inline constexpr int kAboveMark = 9176;
inline constexpr int kPageLine = 9177;  // "page", before the page number
inline constexpr int kValueListTitle = 9178;
inline constexpr int kLastAnalysisId = 9178;
// A plan run (9230 to 9259): the chooser, the report's plan particulars and part list.
inline constexpr int kCharacteristicLabel = 9230;  // La_Characteristic; report: a page's title
inline constexpr int kPlanLine = 9231;             // report page 1: the plan's particulars
inline constexpr int kPartNumberLine = 9232;
inline constexpr int kPartNameLine = 9233;
inline constexpr int kPartsLine = 9234;  // parts: how many, OK, NOK, incomplete
inline constexpr int kUnitLine = 9235;   // a characteristic's page: its unit
inline constexpr int kPartListTitle = 9236;
inline constexpr int kPartColumn = 9237;  // part list: columns and results
inline constexpr int kIdColumn = 9238;
inline constexpr int kResultColumn = 9239;
inline constexpr int kOkMark = 9240;
inline constexpr int kNokMark = 9241;
inline constexpr int kIncompleteMark = 9242;
inline constexpr int kCharacteristicsTitle = 9243;  // report page 1: the plan's characteristics
inline constexpr int kValuesCountColumn = 9244;     // its columns: how many values, limits,
inline constexpr int kLowerColumn = 9245;           //   values inside the tolerance
inline constexpr int kNominalColumn = 9246;
inline constexpr int kUpperColumn = 9247;
inline constexpr int kInsideColumn = 9248;

}  // namespace pzam::textid
