// Text ids of the plan window (9200 to 9229, 9260 to 9279 for the part during a run, 9280 to 9299
// for the plan's problems).
#pragma once

namespace pzam::textid {

inline constexpr int kPlanButton = 9200;   // Bu_Plan on the main window
inline constexpr int kPlanCaption = 9201;  // F_Plan caption
inline constexpr int kPlanNameLabel = 9202;
inline constexpr int kPartNumberLabel = 9203;
inline constexpr int kPartNameLabel = 9204;
inline constexpr int kPartIdsBox = 9205;
inline constexpr int kPlanColumn0 = 9206;  // column headings 9206 to 9216: name ... problem
inline constexpr int kPlanNew = 9217;
inline constexpr int kPlanOpen = 9218;
inline constexpr int kPlanSave = 9219;
inline constexpr int kPlanSaveAs = 9220;
inline constexpr int kPlanAddRow = 9221;
inline constexpr int kPlanRemoveRow = 9222;
inline constexpr int kPlanSaved = 9223;       // the path follows
inline constexpr int kPlanNotSaved = 9224;    // see the marked rows
inline constexpr int kPlanNotANumber = 9225;  // "'%s' is not a number", also the file's values'
inline constexpr int kPlanNotRead = 9226;     // a file that is no plan; the reason follows
inline constexpr int kPlanNeverSaved = 9227;  // the plan to measure has no file yet
inline constexpr int kPlanChanged = 9228;     // "changes not saved (%s)" (the file)
inline constexpr int kLastPlanId = 9228;
inline constexpr int kUsePlan = 9260;        // Cb_UsePlan
inline constexpr int kPartHeading = 9261;    // "Part %s" (its number)
inline constexpr int kPartIdLabel = 9262;    // beside Ed_PartId
inline constexpr int kPartIdWaits = 9263;    // the part waits for its id
inline constexpr int kRepeat = 9264;         // Bu_Repeat
inline constexpr int kTake = 9265;           // Bu_Take
inline constexpr int kPartCounts = 9266;     // "OK: %s   NOK: %s"
inline constexpr int kLastPart = 9267;       // "Last part: %s %s %s" (number, id, result)
inline constexpr int kRunColumn0 = 9268;     // run table headings 9268 to 9271
inline constexpr int kPlanNotUsable = 9272;  // the plan in use cannot be measured; reason follows
inline constexpr int kPlanRunning = 9273;    // the editor is locked while the plan is measured
inline constexpr int kPartOk = 9274;
inline constexpr int kPartNok = 9275;
inline constexpr int kPartIncomplete = 9276;
inline constexpr int kLastRunId = 9276;
// The texts of the plan's problems, in the order of plan::TPlanProblemKind.
inline constexpr int kPlanProblemTexts[] = {9280, 9281, 9282, 9283, 9284, 9285, 9286,
                                            9287, 9288, 9289, 9290, 9291, 9292, kPlanNotANumber,
                                            9293, 9294, 9295, 9296, 9297, 9298, 9299};

}  // namespace pzam::textid
