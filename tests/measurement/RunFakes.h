// Recording stand-ins for the window, the operator's choices and the port of a measuring run.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "measurement/RunInterfaces.h"

namespace pzam::measurement::test {

class TRecordingView : public IRunView {
 public:
  void ShowPanel(TPanel panel, const std::string& text) override { Panels[panel] = text; }
  void ClearMemo() override { Memo.clear(); }
  void AddMemoLine(const std::string& line) override { Memo.push_back(line); }
  void ShowFilename(const std::string& text) override { Filename = text; }
  void EnableControl(TControl control, bool enabled) override { Enabled[control] = enabled; }
  void SetTakeValueCaption(const std::string& text) override { TakeValueCaption = text; }

  std::map<TPanel, std::string> Panels;
  std::vector<std::string> Memo;
  std::string Filename = "...";
  std::map<TControl, bool> Enabled;
  std::string TakeValueCaption;
};

class TFixedChoices : public IRunChoices {
 public:
  int OperatingMode() const override { return Mode; }
  int SaveMode() const override { return Save; }
  int CableType() const override { return Cable; }
  bool SignSwap() const override { return Swap; }
  std::string BatchNumber() const override { return Batch; }
  std::string LanguageText(int id) const override {
    const auto it = Texts.find(id);
    return it == Texts.end() ? "0" : it->second;
  }
  TDateTime Clock() const override { return At; }
  TFormatSettings FormatSettings() const override { return Format; }

  int Mode = 0, Save = 0, Cable = 0;
  bool Swap = false;
  std::string Batch = "-----";
  std::map<int, std::string> Texts;
  TDateTime At{2026, 12, 8, 9, 5, 3};
  TFormatSettings Format{',', "%H:%M:%S"};
};

class TRecordingPort : public IRunPort {
 public:
  std::string Name() const override { return "COM3"; }
  bool Open(std::string& reason) override {
    Calls.push_back("open");
    if (!CanOpen) reason = "Device or resource busy";
    IsOpen = CanOpen;
    return CanOpen;
  }
  void Close() override {
    Calls.push_back("close");
    IsOpen = false;
  }
  int WriteText(const std::string& text) override {
    Calls.push_back("write " + text);
    if (!IsOpen) return 0;
    Sent += text;
    return static_cast<int>(text.size());
  }

  bool CanOpen = true;
  bool IsOpen = false;
  std::string Sent;
  std::vector<std::string> Calls;
};

}  // namespace pzam::measurement::test
