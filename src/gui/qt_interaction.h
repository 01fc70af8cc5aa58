// The core's message boxes as Qt message boxes owned by the main window:
// errors (caption "ERROR", error icon), warnings ("Warning", no icon),
// yes/no questions ("Query", question icon) and notices with their own
// caption. Each box is brought to the front so it is never lost behind
// the result windows.
#pragma once

#include <QPointer>
#include <QWidget>

#include "base/interaction.h"

namespace stridewell::gui {

class QtInteraction final : public UserInteraction {
 public:
  explicit QtInteraction(QWidget* owner = nullptr) : owner_(owner) {}

  void setOwner(QWidget* owner) { owner_ = owner; }

  void error(std::string_view text) override;
  void warning(std::string_view text) override;
  bool query(std::string_view text) override;
  void notice(std::string_view caption, std::string_view text) override;

 private:
  QPointer<QWidget> owner_;
};

// Text of the core (UTF-8, possibly cut mid-character) as a QString.
QString toQString(std::string_view text);

}  // namespace stridewell::gui
