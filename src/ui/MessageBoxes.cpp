#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace pzam::ui {

namespace {

TBoxPresenter& Presenter() {
  static TBoxPresenter presenter;
  return presenter;
}

void ShowModal(TBoxKind kind, const QString& caption, const QString& text) {
  QWidget* parent = QApplication::activeWindow();
  std::unique_ptr<QMessageBox> box = MakeMessageBox(kind, caption, text, parent);
  box->exec();
}

}  // namespace

QString BreakableText(const QString& text, int longestRun) {
  const QChar zeroWidthSpace(0x200B);
  QString out;
  out.reserve(text.size() + text.size() / longestRun + 8);
  int run = 0;
  for (const QChar c : text) {
    out += c;
    run = c.isSpace() ? 0 : run + 1;
    // After a path separator, or when a run of characters would not fit on one line.
    if (run > 0 && (c == '/' || c == '\\' || run >= longestRun)) {
      out += zeroWidthSpace;
      run = 0;
    }
  }
  return out;
}

QString ErrorBoxText(const std::string& message) {
  QString text = QString::fromStdString(message);
  // Compared as bytes, as the error text is an 8-bit text: a UTF-8 tail counts as above ".".
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') text += '.';
  return text;
}

std::unique_ptr<QMessageBox> MakeMessageBox(TBoxKind kind, const QString& caption,
                                            const QString& text, QWidget* parent) {
  const auto icon = kind == TBoxKind::Error ? QMessageBox::Critical : QMessageBox::Information;
  auto box =
      std::make_unique<QMessageBox>(icon, caption, BreakableText(text), QMessageBox::Ok, parent);
  box->setObjectName(kind == TBoxKind::Error ? "ErrorBox" : "InformationBox");
  return box;
}

TBoxPresenter SetBoxPresenter(TBoxPresenter presenter) {
  TBoxPresenter previous = std::move(Presenter());
  Presenter() = std::move(presenter);
  return previous;
}

void ShowMessageBox(TBoxKind kind, const QString& caption, const QString& text) {
  if (Presenter()) {
    Presenter()(kind, caption, text);
  } else {
    ShowModal(kind, caption, text);
  }
}

void ShowErrorBox(const std::string& message) {
  ShowMessageBox(TBoxKind::Error, kApplicationTitle, ErrorBoxText(message));
}

}  // namespace pzam::ui
