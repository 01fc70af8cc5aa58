// The Report dialog that the exotics, daily-double and contents reports
// share: which dataset to report on and whether the comma table goes on the
// clipboard. Both choices are remembered in the settings (REPORT_DATASET,
// REPORT_CLIPBOARD) when the user presses OK. User-interface thread only.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace stridewell {
class SettingsStore;
struct Workspace;
}  // namespace stridewell

namespace stridewell::gui {

class ReportDialog : public QDialog {
  Q_OBJECT

 public:
  // `title`: "Exotics Report", "Daily Double Report" or "DataSet Contents
  // Report". Lists the Workspace's datasets and starts at the remembered one.
  ReportDialog(const QString& title, const Workspace& workspace, SettingsStore& settings,
               QWidget* parent = nullptr);

  // The choice once accepted.
  std::string datasetName() const { return dataset_; }
  bool copyToClipboard() const { return clipboard_; }

  QComboBox* datasetList() const { return list_; }
  QCheckBox* clipboardCheck() const { return check_; }
  QPushButton* okButton() const { return ok_; }

  void accept() override;

 private:
  SettingsStore& settings_;
  std::vector<std::string> names_;  // as listed; the names' own bytes
  QComboBox* list_;
  QCheckBox* check_;
  QPushButton* ok_;
  std::string dataset_;
  bool clipboard_ = false;
};

}  // namespace stridewell::gui
