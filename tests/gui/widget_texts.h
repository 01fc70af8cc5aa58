// What the desktop program's tests share: a main window taken through its
// start-up sequence, a named child widget (a missing one ends the test
// program at once, naming it, rather than crashing later on a null
// pointer), the item texts of a list or drop-down, and a file's bytes.
#pragma once

#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QListWidget>
#include <QObject>
#include <QSignalSpy>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/workspace.h"
#include "gui/main_window.h"

namespace stridewell::test {

// True when text in `font` lines up in columns: a narrow letter, a wide
// one, a digit and a blank all take the same advance. (Whether the font
// database calls the face fixed pitch is beside the point: some monospace
// faces are not reported so, and a substitute may be reported so wrongly.)
inline bool columnsLineUp(const QFont& font) {
  const QFontMetrics metrics(font);
  const int narrow = metrics.horizontalAdvance(QLatin1Char('i'));
  return narrow > 0 && metrics.horizontalAdvance(QLatin1Char('W')) == narrow &&
         metrics.horizontalAdvance(QLatin1Char('0')) == narrow &&
         metrics.horizontalAdvance(QLatin1Char(' ')) == narrow;
}

// Runs the window's start-up sequence in the user's default Workspace (a
// temporary one under test::IsolatedUser) and waits for it; true when it
// finished well. A busy machine gets half a minute.
inline bool startUpWindow(gui::MainWindow& window) {
  QSignalSpy finished(&window, &gui::MainWindow::startUpFinished);
  window.beginStartUp(workspaceAt(programFolder(), defaultWorkspaceBase()));
  if (!finished.wait(30000) && finished.isEmpty()) return false;
  return finished.first().first().toBool();
}

template <typename T>
T* child(QObject& parent, const char* name) {
  T* found = parent.findChild<T*>(QString::fromLatin1(name));
  if (found == nullptr) qFatal("no widget %s", name);
  return found;
}

inline QStringList itemTexts(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

inline QStringList itemTexts(const QComboBox* box) {
  QStringList texts;
  for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
  return texts;
}

inline std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace stridewell::test
