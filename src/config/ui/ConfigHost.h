// What the settings window needs of the window that owns it: the port its choices set, the port
// manager its list shows, and what follows a changed choice. The main window implements it, so
// the settings window does not depend on the main window's module.
#pragma once

namespace pzam {

namespace serial {
class TCOMManager;
class TSerial;
}  // namespace serial

class IConfigHost {
 public:
  virtual ~IConfigHost() = default;

  virtual serial::TSerial& Serial1() const = 0;
  virtual serial::TCOMManager& Manager() const = 0;
  // A measuring run lasts (the port stays open).
  virtual bool Running() const = 0;
  // The port choice changed.
  virtual void ShowComPort() = 0;
  // The language choice changed.
  virtual void LoadLanguage() = 0;
  // The window closes: the owner takes over the operating mode and save mode.
  virtual void ApplyOperatingMode() = 0;
  // The plant data settings are asked for.
  virtual void EditPlantSettings() {}
};

}  // namespace pzam
