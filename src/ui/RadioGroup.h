// A group of radio items with one selected index, as the settings window uses them: -1 means
// nothing selected, the items can be replaced, and Click is raised only when the selection
// really changes to an item, whether the operator or the program changed it.
#pragma once

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QRadioButton;

namespace pzam::ui {

class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  explicit TRadioGroup(QWidget* parent = nullptr);

  int ItemIndex() const { return FItemIndex; }
  // Clamped to -1 .. last item. Raises Click when the selection moves to another item.
  void SetItemIndex(int index);

  QStringList Items() const;
  // Replaces the items; the selection becomes -1 without a Click.
  void SetItems(const QStringList& items);
  void ClearItems() { SetItems({}); }
  void AddItem(const QString& text);
  int Count() const { return static_cast<int>(FButtons.size()); }
  QRadioButton* Button(int index) const;

  // The group's caption; the items move to make room for it.
  void SetCaption(const QString& caption);

  int Columns() const { return FColumns; }
  void SetColumns(int columns);

 signals:
  void Click();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // The arrow keys move the selection, as in a radio group of the system.
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ButtonClicked(int index);
  void SyncChecks();
  void Arrange();

  std::vector<QRadioButton*> FButtons;
  int FItemIndex = -1;
  int FColumns = 1;
};

}  // namespace pzam::ui
