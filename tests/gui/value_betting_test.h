// The Value Betting command's tests, run from the profit/loss tests' main()
// so that both share one program.
#pragma once

#include <QObject>
#include <memory>

class ValueBettingTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void wholeRunFromTheMenu();
  void combinedChancesFromTheDialog();
  void dialogRefusals();
  void errorBeforeTheRun();
  void cancelOnTheProgressWindowShowsNothing();
  void screenshots();

 private:
  std::shared_ptr<bool> alive_;
};
