// The desktop program: refuses a second copy on the same Workspace, shows
// the main window where it was left (maximised unless it was left otherwise)
// and lets it run its start-up sequence.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/program_name.h"
#include "base/settings_store.h"
#include "base/version.h"
#include "base/workspace.h"
#include "gui/desktop_identity.h"
#include "gui/main_window.h"
#include "gui/qt_interaction.h"
#include "gui/single_instance.h"

int main(int argc, char* argv[]) {
  using namespace stridewell;
  // Answered before Qt starts, so that it works without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("stridewell-gui %s\n", std::string(kProgramVersion).c_str());
    return 0;
  }
  QApplication app(argc, argv);
  gui::setDesktopIdentity();
  QApplication::setApplicationVersion(QString::fromLatin1(kProgramVersion.data(), kProgramVersion.size()));

  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  gui::SingleInstance instance;
  if (instance.acquire(QString::fromStdString(workspace.base)) ==
      gui::SingleInstance::Outcome::kHeldElsewhere) {
    QMessageBox::critical(nullptr, QStringLiteral("Error"), gui::toQString(gui::alreadyRunningText()));
    return 1;
  }

  gui::QtInteraction ui;
  SettingsStore store(SettingsStore::defaultFile(), &ui);
  gui::MainWindow window(store, ui);
  ui.setOwner(&window);
  QObject::connect(&window, &gui::MainWindow::startUpFinished, &app, [&app](bool ok) {
    if (!ok) app.exit(1);
  });
  window.showAtLastPlace();
  window.beginStartUp(workspace);
  return QApplication::exec();
}
