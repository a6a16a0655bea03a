// Helpers the two windows build their controls with: names, text ids (the "tag" property),
// pixel positions, the colours and the fonts of the program's look.
#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QRect>
#include <QString>

class QAbstractButton;
class QLineEdit;
class QTableWidget;
class QWidget;

namespace pzam::ui {

inline const QColor clSkyBlue(166, 202, 240);
inline const QColor clBtnFace(240, 240, 240);

// The system's fonts by pixel size: MS Sans Serif through a close sans-serif, Arial and Courier
// New through their metric-compatible Liberation fonts.
QFont SansSerifFont(int pixels, bool bold = false);
QFont ArialFont(int pixels, bool bold = false);
QFont CourierNewFont(int pixels, bool bold = false);

// The text id of a control (0: none).
void SetTag(QObject* control, int tag);
int Tag(const QObject* control);

void SetBackground(QWidget* widget, const QColor& colour);

// A disabled field that stays readable: its text keeps the enabled colour on its own background.
void KeepTextReadableWhenDisabled(QLineEdit* field);

// Enter and Return press the focused button, as Space does.
void PressOnEnter(QAbstractButton* button);

// A read-only table of figures (name, value, a third column): rows of `rowHeight`, the name
// column stretched, no selection or focus; the value column right-aligned, the third too when
// `thirdRight`. Its items exist, empty.
QTableWidget* FigureTable(QWidget* parent, const char* name, int rows, int rowHeight,
                          int valueWidth, int thirdWidth, bool thirdRight);

// Names and places a control: objectName = name, at (left, top, width, height) of its parent.
template <class TWidget>
TWidget* Place(TWidget* control, const char* name, const QRect& position, int tag = 0) {
  control->setObjectName(name);
  control->setGeometry(position);
  if (tag != 0) SetTag(control, tag);
  return control;
}

// A display panel: centred text in a lowered bevel with a single border. Panels are not
// translated even when tagged.
class TPanel : public QLabel {
  Q_OBJECT

 public:
  explicit TPanel(QWidget* parent = nullptr);
};

// A frame (a panel without text) that holds other controls.
class TFramePanel : public QFrame {
  Q_OBJECT

 public:
  explicit TFramePanel(QWidget* parent = nullptr, bool raisedInner = false);
};

}  // namespace pzam::ui
