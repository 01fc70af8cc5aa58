// The progress window of the long runs, each run's rules in one table: when
// the window shows, what its text line says, which messages close it before
// they show, who holds the menu, and that Cancel reaches the run only while
// the window shows.
#include "gui/run_progress.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/settings_store.h"
#include "gui/main_window.h"
#include "gui/progress_dialog.h"
#include "support/isolated_user.h"
#include "widget_texts.h"

using namespace stridewell;
using namespace stridewell::gui;

namespace {

enum class Message { kError, kWarning, kQuery, kNotice };
constexpr std::array kMessages{Message::kError, Message::kWarning, Message::kQuery, Message::kNotice};

const char* messageName(Message message) {
  switch (message) {
    case Message::kError:
      return "error";
    case Message::kWarning:
      return "warning";
    case Message::kQuery:
      return "question";
    case Message::kNotice:
      return "notice";
  }
  return "?";
}

// Notes, at each message box, whether the progress window and the menu
// were up.
class ObservingInteraction final : public UserInteraction {
 public:
  struct Seen {
    bool progressShown;
    bool menuEnabled;
  };

  void watch(MainWindow* window) { window_ = window; }
  const std::vector<Seen>& seen() const { return seen_; }
  void clear() { seen_.clear(); }

  void error(std::string_view) override { note(); }
  void warning(std::string_view) override { note(); }
  bool query(std::string_view) override {
    note();
    return true;
  }
  void notice(std::string_view, std::string_view) override { note(); }

 private:
  void note() {
    if (window_ != nullptr) seen_.push_back({window_->progressDialog().isVisible(), window_->menuEnabled()});
  }

  MainWindow* window_ = nullptr;
  std::vector<Seen> seen_;
};

struct Frame {
  Frame() : store(SettingsStore::defaultFile(), &ui), window(store, ui) {
    window.resize(900, 700);
    window.show();
    ui.watch(&window);
  }

  test::IsolatedUser user;
  ObservingInteraction ui;
  SettingsStore store;
  MainWindow window;
};

void say(RunProgress& run, Message message) {
  switch (message) {
    case Message::kError:
      run.error("Cannot write the file.");
      break;
    case Message::kWarning:
      run.warning("A damaged race.");
      break;
    case Message::kQuery:
      run.query("Replace it?");
      break;
    case Message::kNotice:
      run.notice("Done", "All written.");
      break;
  }
}

using MenuLock = RunProgress::MenuLock;

struct Case {
  const char* run;
  RunProgress::Options options;
  bool shownAtStart;
  bool menuEnabledAtStart;  // before any progress (a caller's lock counts)
  const char* textAt40;     // after the text "B.DSI" and 40 per cent
  // Per message (error, warning, question, notice) given through the run
  // while the window shows: whether it was still up when the box came.
  // None for a run whose messages go to the main window directly.
  std::optional<std::array<bool, 4>> upDuring;
};

// The rules of each run of the desktop program.
const Case kCases[] = {
    {"split or combine", kSplitOrCombineProgress, false, false, "B.DSI",
     std::array{false, true, true, false}},
    {"dataset report", kDatasetReportProgress, true, false, "40% complete",
     std::array{false, true, true, false}},
    {"profit/loss", kProfitLossProgress, false, true, "40% complete.", std::nullopt},
    {"prep", kPrepProgress, false, false, "B.DSI", std::array{false, false, false, false}},
    {"create", kCreateProgress, false, true, "B.DSI", std::array{true, false, true, false}},
};

// One run of a case, under the menu lock its caller would hold.
std::optional<MainWindow::LongRun> callerLockFor(MainWindow& window, const Case& c) {
  if (c.options.menuLock != MenuLock::kCaller) return std::nullopt;
  return std::optional<MainWindow::LongRun>(std::in_place, window);
}

// At every paint of the progress window's text line or bar: the number the
// text starts with and the bar's value, as the screen then shows them.
class PaintWatch final : public QObject {
 public:
  explicit PaintWatch(ProgressDialog& dialog)
      : label_(dialog.findChild<QLabel*>()), bar_(dialog.findChild<QProgressBar*>()) {
    if (label_ == nullptr || bar_ == nullptr) qFatal("progress window without its text or bar");
    label_->installEventFilter(this);
    bar_->installEventFilter(this);
  }

  // Paints at which the two numbers differed, as "text | bar".
  QStringList mismatches;
  int paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && (watched == label_ || watched == bar_)) {
      ++paints;
      if (leadingNumber(label_->text()) != bar_->value()) mismatches << label_->text() + " | " + bar_->text();
    }
    return false;
  }

 private:
  static int leadingNumber(const QString& text) {
    const qsizetype end = text.indexOf(QLatin1Char('%'));
    bool ok = false;
    const int number = text.left(end).toInt(&ok);
    return ok ? number : -1;
  }

  QLabel* label_;
  QProgressBar* bar_;
};

struct CaseRun {
  CaseRun(MainWindow& window, const Case& c)
      : name(QString::fromLatin1(c.run)),
        callerLock(callerLockFor(window, c)),
        run(window, QStringLiteral("Running..."), c.options) {}

  QString name;
  std::optional<MainWindow::LongRun> callerLock;
  RunProgress run;
};

}  // namespace

class RunProgressTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    frame_ = std::make_unique<Frame>();
    QVERIFY(test::startUpWindow(frame_->window));
    frame_->ui.clear();
  }
  void cleanup() { frame_.reset(); }

  // Showing, the text line and the menu, from the start to the close.
  void showsAndCloses() {
    MainWindow& window = frame_->window;
    ProgressDialog& dialog = window.progressDialog();
    for (const Case& c : kCases) {
      {
        CaseRun caseRun(window, c);
        const QString& name = caseRun.name;
        RunProgress& run = caseRun.run;
        QVERIFY2(dialog.isVisible() == c.shownAtStart, qPrintable(name));
        QVERIFY2(window.menuEnabled() == c.menuEnabledAtStart, qPrintable(name));
        QVERIFY2(!run.cancelled(), qPrintable(name));

        run.setText("A.DSI");
        QVERIFY2(dialog.isVisible(), qPrintable(name));
        QVERIFY2(!window.menuEnabled(), qPrintable(name));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Running..."));
        run.setText("B.DSI");
        run.setPercent(40);
        QVERIFY2(dialog.text() == QString::fromLatin1(c.textAt40), qPrintable(name + ": " + dialog.text()));
        QVERIFY2(dialog.percent() == 40, qPrintable(name));

        run.close();
        QVERIFY2(!dialog.isVisible(), qPrintable(name));
        // A caller's lock outlasts the window (a report's viewer comes after).
        QVERIFY2(window.menuEnabled() == !caseRun.callerLock, qPrintable(name));
        // Once closed, progress never brings the window back.
        run.setText("C.DSI");
        run.setPercent(50);
        QVERIFY2(!dialog.isVisible(), qPrintable(name));
      }
      QVERIFY2(window.menuEnabled(), c.run);
    }
  }

  // Which messages close the window before their box shows.
  void messagesCloseByTheRunsRule() {
    MainWindow& window = frame_->window;
    for (const Case& c : kCases) {
      if (!c.upDuring) continue;
      const std::array<bool, 4>& upDuring = *c.upDuring;
      for (size_t i = 0; i < kMessages.size(); ++i) {
        frame_->ui.clear();
        CaseRun caseRun(window, c);
        const QString name =
            caseRun.name + QStringLiteral(", ") + QString::fromLatin1(messageName(kMessages[i]));
        caseRun.run.setText("A.DSI");
        say(caseRun.run, kMessages[i]);
        QVERIFY2(frame_->ui.seen().size() == 1, qPrintable(name));
        const ObservingInteraction::Seen seen = frame_->ui.seen().front();
        QVERIFY2(seen.progressShown == upDuring[i], qPrintable(name));
        // The menu comes back with the window unless the caller holds it.
        QVERIFY2(seen.menuEnabled == (!seen.progressShown && !caseRun.callerLock), qPrintable(name));
        QVERIFY2(window.progressDialog().isVisible() == upDuring[i], qPrintable(name));
      }
    }
  }

  // A question before the run's first progress (replace an existing file?)
  // does not keep the window from opening afterwards.
  void questionBeforeTheRunStillOpens() {
    MainWindow& window = frame_->window;
    for (const Case& c : kCases) {
      if (c.shownAtStart || !c.upDuring) continue;
      CaseRun caseRun(window, c);
      QVERIFY2(caseRun.run.query("Replace it?"), c.run);
      QVERIFY2(!window.progressDialog().isVisible(), c.run);
      caseRun.run.setText("A.DSI");
      QVERIFY2(window.progressDialog().isVisible(), c.run);
    }
  }

  // The runs whose text line is the percentage never show one number in the
  // text and another on the bar: not on screen at any paint, and not out of
  // range (a value past 100 reads 100 in both).
  void textAndBarShowOneNumber() {
    MainWindow& window = frame_->window;
    ProgressDialog& dialog = window.progressDialog();
    struct Step {
      int given;
      int shown;
    };
    const Step steps[] = {{28, 28}, {29, 29}, {30, 30}, {99, 99}, {100, 100}, {130, 100}};
    int percentRuns = 0;
    for (const Case& c : kCases) {
      if (!QString::fromLatin1(c.textAt40).contains(QLatin1Char('%'))) continue;
      ++percentRuns;
      CaseRun caseRun(window, c);
      caseRun.run.setText("A.DSI");
      PaintWatch watch(dialog);
      for (const Step& step : steps) {
        const QString name = caseRun.name + QStringLiteral(" at %1").arg(step.given);
        caseRun.run.setPercent(step.given);
        QVERIFY2(dialog.percent() == step.shown, qPrintable(name));
        QVERIFY2(dialog.text().startsWith(QStringLiteral("%1% complete").arg(step.shown)),
                 qPrintable(name + ": " + dialog.text()));
        QVERIFY2(dialog.findChild<QProgressBar*>()->text() == QStringLiteral("%1%").arg(step.shown),
                 qPrintable(name));
      }
      QVERIFY2(watch.paints > 0, qPrintable(caseRun.name));
      QVERIFY2(watch.mismatches.isEmpty(), qPrintable(caseRun.name + ": " + watch.mismatches.join(", ")));
    }
    QCOMPARE(percentRuns, 2);
  }

  // Cancel reaches the run while the window shows; each run starts
  // uncancelled after the one before was cancelled.
  void cancelCountsWhileShown() {
    MainWindow& window = frame_->window;
    ProgressDialog& dialog = window.progressDialog();
    for (const Case& c : kCases) {
      CaseRun caseRun(window, c);
      caseRun.run.setPercent(10);
      QVERIFY2(!caseRun.run.cancelled(), c.run);
      dialog.cancelButton()->click();
      QVERIFY2(!dialog.isVisible(), c.run);
      QVERIFY2(caseRun.run.cancelled(), c.run);
    }
  }

 private:
  std::unique_ptr<Frame> frame_;
};

QTEST_MAIN(RunProgressTest)
#include "run_progress_test.moc"
