// The facts the desktop's SIM and dataset lists show beside each name, as a
// tooltip on every item (and on the drop-down itself for the item chosen):
// a dataset's races, first and last race date and size; a SIM's size, time
// of change, and the dataset and passes of its training record. The texts
// come from the core (operations/listing_details.h), so the command line's
// lists say the same. User-interface thread only.
#pragma once

#include <string>
#include <vector>

class QComboBox;
class QListWidget;

namespace stridewell {
struct Workspace;
}

namespace stridewell::gui {

// Items 0 to names.size() - 1 of the list name those datasets.
void setDatasetToolTips(QComboBox* list, const Workspace& workspace, const std::vector<std::string>& names);
void setDatasetToolTips(QListWidget* list, const Workspace& workspace, const std::vector<std::string>& names);

// The first `count` items of the list are SIM names (the placeholder of an
// empty list gets none).
void setSimToolTips(QComboBox* list, const Workspace& workspace, int count);

}  // namespace stridewell::gui
