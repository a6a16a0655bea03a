// Text ids of the plan window (9200 to 9229).
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
inline constexpr int kPlanSaved = 9223;     // the path follows
inline constexpr int kPlanNotSaved = 9224;  // see the marked rows
inline constexpr int kPlanNotANumber = 9225;
inline constexpr int kPlanNotRead = 9226;  // a file that is no plan; the reason follows
inline constexpr int kLastPlanId = 9226;

}  // namespace pzam::textid
