#include "gui/list_details.h"

#include <QComboBox>
#include <QListWidget>

#include "datasets/dataset_name.h"
#include "operations/listing_details.h"

namespace stridewell::gui {
namespace {

// The drop-down's own tooltip follows the item chosen, so the facts show
// without opening the list.
void followCurrentItem(QComboBox* list) {
  const auto update = [list] { list->setToolTip(list->currentData(Qt::ToolTipRole).toString()); };
  QObject::connect(list, &QComboBox::currentIndexChanged, list, update);
  update();
}

}  // namespace

void setDatasetToolTips(QComboBox* list, const Workspace& workspace, const std::vector<std::string>& names) {
  const int count = std::min(static_cast<int>(names.size()), list->count());
  for (int i = 0; i < count; ++i) {
    const DatasetSummary summary =
        summarizeDatasetFile(datasetPath(workspace, names[static_cast<size_t>(i)]));
    list->setItemData(i, QString::fromStdString(datasetDetailsLine(summary)), Qt::ToolTipRole);
  }
  followCurrentItem(list);
}

void setDatasetToolTips(QListWidget* list, const Workspace& workspace,
                        const std::vector<std::string>& names) {
  const int count = std::min(static_cast<int>(names.size()), list->count());
  for (int i = 0; i < count; ++i) {
    const DatasetSummary summary =
        summarizeDatasetFile(datasetPath(workspace, names[static_cast<size_t>(i)]));
    list->item(i)->setToolTip(QString::fromStdString(datasetDetailsLine(summary)));
  }
}

void setSimToolTips(QComboBox* list, const Workspace& workspace, int count) {
  count = std::min(count, list->count());
  for (int i = 0; i < count; ++i) {
    const SimDetails details = simDetails(workspace, list->itemText(i).toStdString());
    list->setItemData(i, QString::fromStdString(simDetailsLine(details)), Qt::ToolTipRole);
  }
  followCurrentItem(list);
}

}  // namespace stridewell::gui
