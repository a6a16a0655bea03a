// The settings window F_Config: the operator's choices (operating mode, cable type, sign swap,
// save mode, port and language). Its controls are the only store of these choices; the run
// reads them when it needs them. Choosing a mode or cable type sets the port's line parameters.
#pragma once

#include <QWidget>
#include <vector>

#include "config/ui/ConfigHost.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace pzam {

namespace ui {
class TRadioGroup;
class TFramePanel;
}  // namespace ui

class TSerPortComboBox;

class TF_Config : public QWidget {
  Q_OBJECT

 public:
  explicit TF_Config(IConfigHost* main, QWidget* parent = nullptr);
  ~TF_Config() override;

  // The window's components in order of creation.
  std::vector<QWidget*> Components() const;
  // The sign swap box is ticked.
  bool SignSwap() const;
  // The choices are fixed while a measuring run lasts (the close button stays usable).
  void SetChoicesEnabled(bool enabled);

  // Handlers (window thread).
  void FormActivate();
  void RG_REQModeClick();
  void RG_SaveDataClick() {}
  void SerPortComboBox1Change();
  void CbB_SprachwahlChange();
  void Bu_CloseClick();
  void Bu_PlantClick() { FMain->EditPlantSettings(); }

  // Controls, in the order of the window's definition.
  ui::TRadioGroup* RG_REQMode;
  QPushButton* Bu_Close;
  ui::TRadioGroup* RG_SaveData;
  ui::TFramePanel* Panel1;
  TSerPortComboBox* SerPortComboBox1;
  QLabel* Label17;
  ui::TRadioGroup* RG_CableType;
  QComboBox* CbB_Sprachwahl;
  QLabel* Label1;
  ui::TFramePanel* Panel2;
  QCheckBox* Cb_QuorvMode;
  // The way to the plant data settings, in Panel1's free space (not one of the components).
  QPushButton* Bu_Plant;

 protected:
  bool event(QEvent* event) override;

 private:
  void CreateControls();
  void ConnectHandlers();

  IConfigHost* FMain;
};

}  // namespace pzam
