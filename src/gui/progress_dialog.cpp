#include "gui/progress_dialog.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/qt_interaction.h"

namespace stridewell::gui {

void pumpMessages() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent) {
  setModal(false);
  text_ = new QLabel(this);
  text_->setMinimumWidth(360);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  cancel_ = new QPushButton(tr("Cancel"), this);
  connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::cancel);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addWidget(bar_);
  layout->addLayout(buttons);
}

void ProgressDialog::open(const QString& caption) {
  cancelled_ = false;
  shownPercent_ = -1;
  setWindowTitle(caption);
  text_->clear();
  bar_->setValue(0);
  adjustSize();
  if (QWidget* owner = parentWidget()) {
    const QRect frame = owner->window()->geometry();
    move(frame.center() - rect().center());
  }
  show();
  raise();
  pumpMessages();
}

void ProgressDialog::finish() {
  hide();
  pumpMessages();
}

void ProgressDialog::setText(std::string_view text) {
  text_->setText(toQString(text));
  pumpMessages();
}

void ProgressDialog::setPercent(int percent) {
  bar_->setValue(std::clamp(percent, 0, 100));
  pumpMessages();
}

bool ProgressDialog::cancelled() const {
  pumpMessages();
  return cancelled_;
}

bool ProgressDialog::percentCallback(int percent) {
  if (percent != -1 && percent != shownPercent_) {
    shownPercent_ = percent;
    showPercent(percent, tr("%1% complete"));
  } else {
    pumpMessages();
  }
  return cancelled_;
}

void ProgressDialog::showPercent(int percent, const QString& format) {
  const int shown = std::clamp(percent, 0, 100);
  // The bar repaints itself at once when its value changes; held back, it
  // paints together with the text at the next pump.
  setUpdatesEnabled(false);
  text_->setText(format.arg(shown));
  bar_->setValue(shown);
  setUpdatesEnabled(true);
  pumpMessages();
}

QString ProgressDialog::text() const {
  return text_->text();
}

int ProgressDialog::percent() const {
  return bar_->value();
}

void ProgressDialog::cancel() {
  cancelled_ = true;
  hide();
}

void ProgressDialog::reject() {
  cancel();
}

}  // namespace stridewell::gui
