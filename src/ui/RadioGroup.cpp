#include "ui/RadioGroup.h"

#include <QEvent>
#include <QKeyEvent>
#include <QRadioButton>
#include <algorithm>

namespace pzam::ui {

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent) {
  // The group takes the keyboard focus itself, so the tab order survives replaced items.
  setFocusPolicy(Qt::StrongFocus);
}

void TRadioGroup::SetItemIndex(int index) {
  const int last = Count() - 1;
  if (index > last) index = last;
  if (index < -1) index = -1;
  if (index == FItemIndex) return;
  FItemIndex = index;
  SyncChecks();
  if (index >= 0) emit Click();
}

QStringList TRadioGroup::Items() const {
  QStringList items;
  for (const QRadioButton* b : FButtons) items << b->text();
  return items;
}

void TRadioGroup::SetItems(const QStringList& items) {
  for (QRadioButton* b : FButtons) delete b;
  FButtons.clear();
  FItemIndex = -1;
  for (const QString& text : items) AddItem(text);
}

void TRadioGroup::AddItem(const QString& text) {
  auto* button = new QRadioButton(text, this);
  // The group keeps the selection itself, so a button never unchecks another on its own.
  button->setAutoExclusive(false);
  button->setFocusPolicy(Qt::NoFocus);
  button->setFont(font());
  const int index = Count();
  connect(button, &QRadioButton::clicked, this, [this, index] { ButtonClicked(index); });
  FButtons.push_back(button);
  Arrange();
  button->show();
}

QRadioButton* TRadioGroup::Button(int index) const {
  return index >= 0 && index < Count() ? FButtons[static_cast<size_t>(index)] : nullptr;
}

void TRadioGroup::SetCaption(const QString& caption) {
  setTitle(caption);
  Arrange();
}

void TRadioGroup::SetColumns(int columns) {
  FColumns = columns < 1 ? 1 : columns;
  Arrange();
}

void TRadioGroup::ButtonClicked(int index) {
  // A click on the selected item would uncheck it; the selection stays as it is.
  SyncChecks();
  SetItemIndex(index);
}

void TRadioGroup::SyncChecks() {
  for (int i = 0; i < Count(); ++i) FButtons[static_cast<size_t>(i)]->setChecked(i == FItemIndex);
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
  QGroupBox::resizeEvent(event);
  Arrange();
}

void TRadioGroup::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
      if (FItemIndex > 0) SetItemIndex(FItemIndex - 1);
      break;
    case Qt::Key_Down:
    case Qt::Key_Right:
      if (FItemIndex + 1 < Count()) SetItemIndex(FItemIndex + 1);
      break;
    default:
      QGroupBox::keyPressEvent(event);
  }
}

void TRadioGroup::changeEvent(QEvent* event) {
  QGroupBox::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    for (QRadioButton* b : FButtons) b->setFont(font());
    Arrange();
  }
}

// Items fill the area below the caption in equal rows, column by column.
void TRadioGroup::Arrange() {
  if (FButtons.empty()) return;
  const int count = Count();
  const int rows = (count + FColumns - 1) / FColumns;
  const int top = title().isEmpty() ? 4 : fontMetrics().height() + 2;
  const int rowHeight = std::max(1, (height() - top - 4) / rows);
  const int columnWidth = std::max(1, (width() - 16) / FColumns);
  const int buttonHeight = std::min(rowHeight, fontMetrics().height() + 6);
  for (int i = 0; i < count; ++i) {
    const int column = i / rows;
    const int row = i % rows;
    const int y = top + row * rowHeight + (rowHeight - buttonHeight) / 2;
    FButtons[static_cast<size_t>(i)]->setGeometry(8 + column * columnWidth, y, columnWidth,
                                                  buttonHeight);
  }
}

}  // namespace pzam::ui
