#include "gui/clipboard_copy.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

namespace stridewell::gui {

bool copyTextToClipboard(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return false;
  clipboard->setText(text, QClipboard::Clipboard);
  return clipboard->text(QClipboard::Clipboard) == text;
}

bool copyFileToClipboard(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return false;

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
  return copyTextToClipboard(QString::fromLatin1(text));
}

}  // namespace stridewell::gui
