#include "gui/print_results_dialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/interaction.h"
#include "base/program_name.h"
#include "gui/dialog_keys.h"

namespace stridewell::gui {
namespace {
constexpr int kMaxSelected = 64;
}

PrintResultsDialog::PrintResultsDialog(std::vector<PrintableResult> results, PrintFunction print,
                                       UserInteraction& ui, QWidget* parent)
    : QDialog(parent),
      results_(std::move(results)),
      print_(std::move(print)),
      ui_(ui),
      all_(new QRadioButton(QStringLiteral("All Results"), this)),
      pick_(new QRadioButton(QStringLiteral("Pick from list:"), this)),
      list_(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("Print Handicap Results"));
  all_->setChecked(true);
  list_->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const PrintableResult& result : results_) list_->addItem(QString::fromStdString(result.name));
  // Picking in the list means printing the picks.
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!list_->selectedItems().isEmpty()) pick_->setChecked(true);
  });

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &PrintResultsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(all_);
  layout->addWidget(pick_);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  keepEnterInLists(*this);
}

void PrintResultsDialog::accept() {
  std::vector<int> chosen;
  for (int i = 0; i < static_cast<int>(results_.size()); ++i)
    if (all_->isChecked() || list_->item(i)->isSelected()) chosen.push_back(i);
  if (chosen.empty()) {
    ui_.warning("No items have been selected.");
    return;  // the dialog stays open
  }
  if (static_cast<int>(chosen.size()) > kMaxSelected) chosen.resize(kMaxSelected);
  for (int i : chosen) {
    if (!print_(results_[i].path, programTitle(results_[i].name))) {
      ui_.error("Error during print (check printer setup).");
      reject();
      return;
    }
  }
  QDialog::accept();
}

}  // namespace stridewell::gui
