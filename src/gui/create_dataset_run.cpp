#include "gui/create_dataset_run.h"

#include <QEvent>
#include <QTimer>

#include "app/interaction.h"
#include "datasets/dataset_name.h"
#include "gui/main_window.h"
#include "gui/progress_dialog.h"
#include "gui/qt_interaction.h"

namespace stridewell::gui {
namespace {

// Stands between the core run and the window. The core reports progress
// only once the dataset file is open, so the progress window and the
// disabled menu begin with the first progress report; they end before a
// warning or notice, which the run gives only when it is done, and in any
// case when this object goes. Closing the main window while the run holds
// the thread cancels the run (it stops before its next pair) and closes the
// window once the run is over, as a handicap run does.
class RunFrontEnd final : public ProgressSink, public UserInteraction {
 public:
  RunFrontEnd(MainWindow& window, std::string caption)
      : window_(window), caption_(std::move(caption)), busy_(window, false) {}
  ~RunFrontEnd() override { endRun(); }
  RunFrontEnd(const RunFrontEnd&) = delete;
  RunFrontEnd& operator=(const RunFrontEnd&) = delete;

  void setText(std::string_view text) override {
    openOnce();
    window_.progressDialog().setText(text);
  }
  void setPercent(int percent) override {
    openOnce();
    window_.progressDialog().setPercent(percent);
  }
  bool cancelled() const override { return open_ && window_.progressDialog().cancelled(); }

  // Errors come while the progress window is up, as the run meets them.
  void error(std::string_view text) override { window_.ui().error(text); }
  void warning(std::string_view text) override {
    endRun();
    window_.ui().warning(text);
  }
  bool query(std::string_view text) override { return window_.ui().query(text); }
  void notice(std::string_view caption, std::string_view text) override {
    endRun();
    window_.ui().notice(caption, text);
  }

  void endRun() {
    if (!open_) return;
    open_ = false;
    closed_ = true;  // never opened again for this run
    window_.progressDialog().finish();
    busy_.end();
  }

 private:
  void openOnce() {
    if (open_ || closed_) return;
    open_ = true;
    busy_.begin();
    window_.progressDialog().open(toQString(caption_));
  }

  MainWindow& window_;
  std::string caption_;
  MainWindow::LongRun busy_;
  bool open_ = false;
  bool closed_ = false;
};

}  // namespace

CreateOutcome runCreateRequest(MainWindow& window, const CreateRequest& request) {
  RunFrontEnd frontEnd(window, createRunCaption(trimDatasetName(request.name), request.append));
  // An append asks, at the first race the dataset already holds, whether to
  // leave such races out.
  return createDataset(request.name, request.append, request.folder, request.pairs, window.workspace(),
                       frontEnd, frontEnd, DuplicateRaces::kAsk);
}

}  // namespace stridewell::gui
