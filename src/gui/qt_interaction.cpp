#include "gui/qt_interaction.h"

#include <QMessageBox>

namespace stridewell::gui {
namespace {

QMessageBox::StandardButton showBox(QWidget* owner, QMessageBox::Icon icon, std::string_view caption,
                                    std::string_view text, QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, toQString(caption), toQString(text), buttons, owner);
  box.setTextFormat(Qt::PlainText);  // file names may hold '<' or '&'
  box.raise();
  box.activateWindow();
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void QtInteraction::error(std::string_view text) {
  showBox(owner_, QMessageBox::Critical, kErrorCaption, text, QMessageBox::Ok);
}

void QtInteraction::warning(std::string_view text) {
  showBox(owner_, QMessageBox::NoIcon, kWarningCaption, text, QMessageBox::Ok);
}

bool QtInteraction::query(std::string_view text) {
  return showBox(owner_, QMessageBox::Question, kQueryCaption, text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

void QtInteraction::notice(std::string_view caption, std::string_view text) {
  showBox(owner_, QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
}

}  // namespace stridewell::gui
