#include "ui/Controls.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QTableWidget>
#include <QVariant>
#include <QWidget>

namespace pzam::ui {

namespace {

QFont MakeFont(const char* family, QFont::StyleHint hint, int pixels, bool bold) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

}  // namespace

QFont SansSerifFont(int pixels, bool bold) {
  return MakeFont("Liberation Sans", QFont::SansSerif, pixels, bold);
}

QFont ArialFont(int pixels, bool bold) {
  return MakeFont("Liberation Sans", QFont::Helvetica, pixels, bold);
}

QFont CourierNewFont(int pixels, bool bold) {
  QFont font = MakeFont("Liberation Mono", QFont::TypeWriter, pixels, bold);
  font.setFixedPitch(true);
  return font;
}

void SetTag(QObject* control, int tag) {
  control->setProperty("tag", tag);
}

int Tag(const QObject* control) {
  return control->property("tag").toInt();
}

void SetBackground(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  palette.setColor(QPalette::Base, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void KeepTextReadableWhenDisabled(QLineEdit* field) {
  QPalette palette = field->palette();
  palette.setColor(QPalette::Disabled, QPalette::Text,
                   palette.color(QPalette::Active, QPalette::Text));
  field->setPalette(palette);
}

namespace {

// Owned by its button; turns Enter and Return on the focused, enabled button into a click.
class TEnterPress : public QObject {
 public:
  explicit TEnterPress(QAbstractButton* button) : QObject(button), FButton(button) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == FButton && event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if ((key == Qt::Key_Return || key == Qt::Key_Enter) && FButton->isEnabled()) {
        FButton->click();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QAbstractButton* FButton;
};

}  // namespace

void PressOnEnter(QAbstractButton* button) {
  button->installEventFilter(new TEnterPress(button));
}

TPanel::TPanel(QWidget* parent) : QLabel(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
  setAlignment(Qt::AlignCenter);
}

TFramePanel::TFramePanel(QWidget* parent, bool raisedInner) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | (raisedInner ? QFrame::Raised : QFrame::Sunken));
  setLineWidth(1);
}

QTableWidget* FigureTable(QWidget* parent, const char* name, int rows, int rowHeight,
                          int valueWidth, int thirdWidth, bool thirdRight) {
  auto* table = new QTableWidget(rows, 3, parent);
  table->setObjectName(name);
  table->setFont(SansSerifFont(12));
  table->verticalHeader()->setVisible(false);
  table->verticalHeader()->setDefaultSectionSize(rowHeight);
  table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  table->setColumnWidth(1, valueWidth);
  table->setColumnWidth(2, thirdWidth);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->setFocusPolicy(Qt::NoFocus);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < 3; ++c) {
      auto* item = new QTableWidgetItem;
      if (c == 1 || (c == 2 && thirdRight))
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table->setItem(r, c, item);
    }
  }
  return table;
}

}  // namespace pzam::ui
