// The program's message boxes: the standard error box (caption "P-ZAM") that every window handler
// falls back to, and the information box. They go through one presenter, which shows them modally;
// tests replace it to see what would be shown without a modal loop.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <string>

class QMessageBox;
class QWidget;

namespace pzam::ui {

enum class TBoxKind { Error, Information };

// The application title, the caption of the error box.
inline constexpr const char* kApplicationTitle = "P-ZAM";

// The error box text: the error's text with a full stop added when its last character sorts
// after ".".
QString ErrorBoxText(const std::string& message);

// The text with a zero-width space after each path separator and after every longestRun
// characters without a blank, so a box can wrap a long path or name.
QString BreakableText(const QString& text, int longestRun = 40);

// A message box of the given kind with an OK button, not yet shown. Long words are wrapped.
std::unique_ptr<QMessageBox> MakeMessageBox(TBoxKind kind, const QString& caption,
                                            const QString& text, QWidget* parent = nullptr);

using TBoxPresenter =
    std::function<void(TBoxKind kind, const QString& caption, const QString& text)>;
// Replaces the presenter; an empty one restores the modal boxes. Returns the previous one.
TBoxPresenter SetBoxPresenter(TBoxPresenter presenter);

void ShowMessageBox(TBoxKind kind, const QString& caption, const QString& text);
// The error box for an error text (caption "P-ZAM", the full stop rule applied).
void ShowErrorBox(const std::string& message);

// Runs fn; an error that leaves it becomes the error box. Every window handler runs through this.
template <class Fn>
void Guard(Fn&& fn) noexcept {
  try {
    fn();
  } catch (const std::exception& e) {
    ShowErrorBox(e.what());
  } catch (...) {
    ShowErrorBox("Unbekannter Fehler");
  }
}

// A slot for connect(): the handler wrapped in Guard.
template <class Fn>
auto Guarded(Fn fn) {
  return [fn = std::move(fn)]() { Guard(fn); };
}

}  // namespace pzam::ui
