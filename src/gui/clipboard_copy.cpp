#include "gui/clipboard_copy.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

namespace stridewell::gui {

bool copyFileToClipboard(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return false;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return false;

  // Line ends as read in text mode (a CR LF pair is one line end), each
  // written back as CR LF. Bytes map one to one onto characters so that
  // nothing in a report is re-encoded.
  QByteArray text;
  text.reserve(bytes.size() + bytes.size() / 16);
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    if (c == '\n') text.append('\r');
    text.append(c);
  }
  const QString copy = QString::fromLatin1(text);
  clipboard->setText(copy, QClipboard::Clipboard);
  return clipboard->text(QClipboard::Clipboard) == copy;
}

}  // namespace stridewell::gui
