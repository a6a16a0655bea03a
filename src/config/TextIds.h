// Text ids: the keys of the language files and the tags of the controls that show the texts.
#pragma once

#include <array>

namespace pzam::textid {

inline constexpr int kTitle = 1000;            // main window title, before the version text
inline constexpr int kTakeValue = 1101;        // take-value button (modes 2 and 3)
inline constexpr int kPollValue = 11011;       // take-value button in mode 1
inline constexpr int kSettingsCaption = 2000;  // settings window caption
inline constexpr int kModeItem0 = 20011;       // operating-mode items 0 to 3: 20011 to 20014
inline constexpr int kSignSwap = 20015;        // sign swap check box
inline constexpr int kSaveItem0 = 20031;       // save-mode items 0 to 2: 20031 to 20033
inline constexpr int kNoRecordFile = 9001;     // file name field in save mode 0
inline constexpr int kRunEnded = 9002;         // message list line at End
inline constexpr int kValueLimit = 9003;       // a run's 10000th value is refused
inline constexpr int kPortOpenFailed = 9004;   // format: %s port name, %s reason
inline constexpr int kPortRemoved = 9005;      // the port was removed during the run
inline constexpr int kPortReopened = 9006;     // the port is back and the run reopened it
inline constexpr int kNoOperatingMode = 9007;  // Initialise refused: no operating mode selected
inline constexpr int kRowWriteFailed = 9008;   // a record row failed; the reason follows
inline constexpr int kHeader0 = 9010;          // record file header cells: 9010 to 9017
inline constexpr int kPlantState0 = 9249;  // the plant indicator: not configured, settings refused,
                                           // connected, connected and %s waiting, %s waiting
inline constexpr int kValueAhead = 9277;   // plan run: "%s %s: ..." port, value, port
inline constexpr int kValueDiscarded = 9278;  // plan run: "%s: %s ..." characteristic, value

// Every id the language files hold, in the order of the files. (std::to_array: the deduction
// guide of std::array nests one level per id, past clang's limit of 256.)
inline constexpr auto kAll = std::to_array<int>(
    {1000,  1001,  1002,  1003, 1004, 1005, 1006, 1007, 1008, 1009,  1010,  1011,  1100,  1101,
     1102,  1103,  11011, 2000, 2001, 2003, 2004, 2005, 2006, 20011, 20012, 20013, 20014, 20015,
     20031, 20032, 20033, 9001, 9002, 9003, 9004, 9005, 9006, 9007,  9008,  9010,  9011,  9012,
     9013,  9014,  9015,  9016, 9017, 9018, 9019, 9030, 9031, 9032,  9033,  9034,  9035,  9036,
     9037,  9038,  9039,  9040, 9041, 9100, 9101, 9102, 9103, 9104,  9105,  9106,  9107,  9108,
     9109,  9110,  9111,  9112, 9113, 9114, 9115, 9116, 9117, 9118,  9119,  9120,  9121,  9122,
     9123,  9124,  9125,  9126, 9127, 9128, 9129, 9130, 9131, 9132,  9133,  9134,  9135,  9136,
     9137,  9138,  9139,  9140, 9141, 9142, 9143, 9144, 9145, 9146,  9147,  9148,  9149,  9150,
     9160,  9161,  9162,  9163, 9164, 9165, 9166, 9167, 9168, 9169,  9170,  9171,  9172,  9173,
     9174,  9175,  9176,  9177, 9178, 9200, 9201, 9202, 9203, 9204,  9205,  9206,  9207,  9208,
     9209,  9210,  9211,  9212, 9213, 9214, 9215, 9216, 9217, 9218,  9219,  9220,  9221,  9222,
     9223,  9224,  9225,  9226, 9227, 9228, 9230, 9231, 9232, 9233,  9234,  9235,  9236,  9237,
     9238,  9239,  9240,  9241, 9242, 9243, 9244, 9245, 9246, 9247,  9248,  9249,  9250,  9251,
     9252,  9253,  9260,  9261, 9262, 9263, 9264, 9265, 9266, 9267,  9268,  9269,  9270,  9271,
     9272,  9273,  9274,  9275, 9276, 9277, 9278, 9280, 9281, 9282,  9283,  9284,  9285,  9286,
     9287,  9288,  9289,  9290, 9291, 9292, 9293, 9294, 9295, 9296,  9297,  9298,  9299,  9300,
     9301,  9302,  9303,  9304, 9305, 9306, 9307, 9308, 9310, 9311,  9312,  9313,  9314,  9315,
     9316,  9317,  9318,  9319, 9320, 9321, 9322, 9323, 9324, 9325,  9326,  9327,  9328,  9329,
     9330,  9331,  9332,  9333, 9334, 9335, 9336, 9337, 9338, 9339});

}  // namespace pzam::textid
