#include "gui/desktop_identity.h"

#include <QGuiApplication>
#include <QIcon>

namespace stridewell::gui {

void setDesktopIdentity() {
  QGuiApplication::setApplicationName(QString::fromLatin1(kWindowClass));
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
  // Drawn at two sizes so that a high-density screen never gets a blown-up
  // bitmap; Qt picks the nearer one.
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/stridewell-48.png"), QSize(48, 48));
  icon.addFile(QStringLiteral(":/icons/stridewell-256.png"), QSize(256, 256));
  QGuiApplication::setWindowIcon(icon);
}

}  // namespace stridewell::gui
