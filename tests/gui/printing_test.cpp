// Printing and the report viewer: reports and result files printed to PDF
// and read back with pdftotext (page count, page headers, where pages
// break), the failure cases (a re-pagination file that cannot be written
// leaves the one before it), and the viewer's lines, layouts and buttons.
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QListWidget>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>

#include "base/settings_store.h"
#include "gui/print_results_dialog.h"
#include "gui/report_viewer.h"
#include "gui/text_printing.h"
#include "layout/print_pages.h"
#include "support/faulty_file_system.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

using namespace stridewell;
using namespace stridewell::gui;
namespace fs = std::filesystem;

namespace {

void writeFile(const std::string& path, const std::vector<std::string>& lines) {
  std::ofstream out(path, std::ios::binary);
  for (const std::string& line : lines) out << line << '\n';
}

std::vector<std::string> numbered(const std::string& prefix, int from, int to) {
  std::vector<std::string> lines;
  for (int i = from; i <= to; ++i) lines.push_back(prefix + std::to_string(i));
  return lines;
}

// The text of each page of a PDF; pdftotext ends every page with a form feed.
QStringList pdfPages(const QString& pdf) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!process.waitForFinished(60000) || process.exitCode() != 0)
    return {QStringLiteral("<pdftotext failed>")};
  QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
  if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.pop_back();
  return pages;
}

// A page's lines with surrounding white space trimmed, empty ones dropped.
QStringList pageLines(const QString& page) {
  QStringList lines;
  for (const QString& line : page.split(QLatin1Char('\n')))
    if (!line.trimmed().isEmpty()) lines << line.trimmed();
  return lines;
}

// Runs `act` on the first modal widget of type T that appears.
template <typename T>
void whenModal(std::function<void(T*)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(widget);
    }
  });
  timer->start(10);
}

}  // namespace

class PrintingTest : public QObject {
  Q_OBJECT

 private:
  test::TempFolder folder_;
  QString pdf_;
  bool havePdftotext_ = false;
  std::unique_ptr<QPrinter> printer_;

  std::string path(const char* name) const { return (folder_.path() / name).string(); }

  // Body lines of a page: those that start with `prefix`.
  static QStringList bodyOf(const QString& page, const QString& prefix) {
    QStringList body;
    for (const QString& line : pageLines(page))
      if (line.startsWith(prefix)) body << line;
    return body;
  }

 private slots:
  void initTestCase() {
    havePdftotext_ = !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
  }

  // A long report: full pages of equal size, the rest on the last; the title
  // alone on page 1, numbered from page 2; the year's notice on every page.
  void reportPages() {
    if (!havePdftotext_) QSKIP("pdftotext is missing (poppler-utils); scripts/install-deps.sh installs it");
    const std::string report = path("report.txt");
    writeFile(report, numbered("Line ", 1, 200));
    QVERIFY(printTextFile(*printer_, report, "Stridewell 5 - Profit/Loss Analysis"));
    const QStringList pages = pdfPages(pdf_);
    QVERIFY2(pages.size() >= 2, qPrintable(pages.join(QStringLiteral("|"))));
    const int perPage = int(bodyOf(pages[0], QStringLiteral("Line ")).size());
    // 11-point lines on US Letter less its margins and the six lines of
    // header and footer: about fifty.
    QVERIFY2(perPage >= 40 && perPage <= 60, qPrintable(QString::number(perPage)));
    QCOMPARE(pages.size(), (200 + perPage - 1) / perPage);
    int next = 1;
    const QString year = QString::number(QDate::currentDate().year());
    for (int p = 0; p < pages.size(); ++p) {
      const QStringList lines = pageLines(pages[p]);
      const QString header = p == 0
                                 ? QStringLiteral("Stridewell 5 - Profit/Loss Analysis")
                                 : QStringLiteral("Stridewell 5 - Profit/Loss Analysis (Page %1)").arg(p + 1);
      QCOMPARE(lines.front(), header);
      QVERIFY2(lines.back().contains(year), qPrintable(lines.back()));
      const QStringList body = bodyOf(pages[p], QStringLiteral("Line "));
      QCOMPARE(body.size(), p + 1 < pages.size() ? perPage : 200 - perPage * p);
      for (const QString& line : body) QCOMPARE(line, QStringLiteral("Line %1").arg(next++));
    }
    QCOMPARE(next, 201);
  }

  // A form feed ends its page even when the page is not full.
  void formFeedEndsPage() {
    if (!havePdftotext_) QSKIP("pdftotext is missing (poppler-utils); scripts/install-deps.sh installs it");
    const std::string report = path("ff.txt");
    writeFile(report, {"Line 1", "Line 2\f", "Line 3"});
    QVERIFY(printTextFile(*printer_, report, "T"));
    const QStringList pages = pdfPages(pdf_);
    QCOMPARE(pages.size(), 2);
    QCOMPARE(bodyOf(pages[0], QStringLiteral("Line ")), (QStringList{"Line 1", "Line 2"}));
    QCOMPARE(bodyOf(pages[1], QStringLiteral("Line ")), (QStringList{"Line 3"}));
    QCOMPARE(pageLines(pages[1]).front(), QStringLiteral("T (Page 2)"));
  }

  // Race blocks that fit a page are never split: the page breaks at the
  // blank line before a block that would not fit, and that blank is dropped.
  void resultPagesBreakBetweenRaces() {
    if (!havePdftotext_) QSKIP("pdftotext is missing (poppler-utils); scripts/install-deps.sh installs it");
    // Learn the page's body capacity from a plain print first.
    const std::string probe = path("probe.txt");
    writeFile(probe, numbered("Line ", 1, 200));
    QVERIFY(printTextFile(*printer_, probe, "T"));
    const int perPage = int(bodyOf(pdfPages(pdf_)[0], QStringLiteral("Line ")).size());
    QVERIFY(perPage > 20);

    // Block A leaves three free lines on page 1; block B needs five.
    std::vector<std::string> lines = numbered("Race A ", 1, perPage - 3);
    lines.push_back("");
    for (const std::string& line : numbered("Race B ", 1, 5)) lines.push_back(line);
    const std::string result = path("SAX0313.TXT");
    writeFile(result, lines);
    const std::string repaginated = path("TMP.TXT");
    QFile::remove(pdf_);
    QVERIFY(printResultFile(*printer_, result, "Stridewell 5 - SAX0313", repaginated));

    const QStringList pages = pdfPages(pdf_);
    QCOMPARE(pages.size(), 2);
    QCOMPARE(bodyOf(pages[0], QStringLiteral("Race ")).size(), perPage - 3);
    QCOMPARE(bodyOf(pages[1], QStringLiteral("Race ")),
             (QStringList{"Race B 1", "Race B 2", "Race B 3", "Race B 4", "Race B 5"}));
    QCOMPARE(pageLines(pages[1]).front(), QStringLiteral("Stridewell 5 - SAX0313 (Page 2)"));

    // The re-pagination file: the blank line gone, a form feed after each
    // page's last line.
    std::vector<std::string> expected = numbered("Race A ", 1, perPage - 3);
    expected.back() += '\f';
    for (const std::string& line : numbered("Race B ", 1, 5)) expected.push_back(line);
    expected.back() += '\f';
    std::vector<std::string> written;
    QVERIFY(readLinePieces(repaginated, written));
    QVERIFY(written == expected);
  }

  void failures() {
    // A missing report prints an empty document and counts as printed.
    QVERIFY(printTextFile(*printer_, path("missing.txt"), "T"));
    QVERIFY(QFile::exists(pdf_));
    // A missing result file, or nowhere to write the re-pagination file, fails.
    QVERIFY(!printResultFile(*printer_, path("missing.txt"), "T", path("TMP.TXT")));
    const std::string result = path("R.TXT");
    writeFile(result, {"x"});
    QVERIFY(!printResultFile(*printer_, result, "T", path("no-such-folder/TMP.TXT")));
    // A re-pagination file that cannot be written whole fails and leaves the
    // one before it as it was, with no temporary beside it.
    struct Fault {
      const char* what;
      std::function<void(test::FaultyFileSystem&)> arrange;
    };
    const Fault faults[] = {
        {"full disk", [](auto& disk) { disk.failWritesFrom(1); }},
        {"short write, then full disk",
         [](auto& disk) {
           disk.shortenWrite(1);
           disk.failWritesFrom(2);
         }},
        {"failed flush to disk", [](auto& disk) { disk.failSync(EIO); }},
        {"failed rename", [](auto& disk) { disk.failRename(EACCES); }},
    };
    const std::string earlier = path("TMP.TXT");
    for (const Fault& fault : faults) {
      writeFile(earlier, {"the earlier pages"});
      test::FaultyFileSystem disk;
      fault.arrange(disk);
      QVERIFY2(!printResultFile(*printer_, result, "T", earlier, disk), fault.what);
      std::vector<std::string> kept;
      QVERIFY2(readLinePieces(earlier, kept), fault.what);
      QVERIFY2(kept == std::vector<std::string>{"the earlier pages"}, fault.what);
      for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
        QVERIFY2(!entry.path().filename().string().starts_with(".TMP.TXT."), fault.what);
      }
    }
    // A printer that cannot start the document.
    printer_->setOutputFileName(QString::fromStdString(path("no-such-folder/out.pdf")));
    QVERIFY(!printTextFile(*printer_, result, "T"));
  }

  void viewerLinesAndLayouts() {
    const std::string report = path("view.txt");
    const std::string longLine(250, 'x');
    writeFile(report, {"first", "", longLine, "last"});
    ReportViewer plain(report, "Stridewell 5 - Profit/Loss Analysis", ReportLayout::Plain);
    QCOMPARE(plain.windowTitle(), QStringLiteral("Stridewell 5 - Profit/Loss Analysis"));
    QStringList items;
    for (int i = 0; i < plain.list()->count(); ++i) items << plain.list()->item(i)->text();
    // The long line continues in a second item after 199 characters.
    QCOMPARE(items, (QStringList{"first", "", QString(199, QLatin1Char('x')), QString(51, QLatin1Char('x')),
                                 "last"}));
    QCOMPARE(plain.list()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(plain.printButton()->isDefault());
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    QCOMPARE(plain.focusWidget(), plain.list());

    // The wide layout scrolls over exactly 80 and a half columns.
    ReportViewer wide(report, "T", ReportLayout::Wide);
    wide.resize(300, 300);  // narrower than 80 columns, so that it scrolls
    wide.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wide));
    const QFontMetrics metrics(wide.list()->font());
    const int w = metrics.horizontalAdvance(QLatin1Char('M'));
    const QScrollBar* bar = wide.list()->horizontalScrollBar();
    QCOMPARE(bar->maximum() + wide.list()->viewport()->width(), 80 * w + w / 2);

    ReportViewer none(path("missing.txt"), "T", ReportLayout::Plain);
    QCOMPARE(none.list()->count(), 0);
  }

  void viewerButtons() {
    const std::string report = path("view.txt");
    writeFile(report, {"a"});
    for (const bool print : {true, false}) {
      QTimer::singleShot(0, [print] {
        auto* viewer = qobject_cast<ReportViewer*>(QApplication::activeModalWidget());
        QVERIFY(viewer != nullptr);
        QTest::mouseClick(print ? viewer->printButton() : viewer->cancelButton(), Qt::LeftButton);
      });
      QCOMPARE(showReport(report, "T", ReportLayout::Plain), print);
    }
  }

  // All results in list order, or the picked ones in list order; an empty
  // pick keeps the dialog open; the first failed print is reported and stops.
  void printResultsDialog() {
    const std::vector<PrintableResult> results = {
        {"SAX0313", "/p/SAX0313.TXT"}, {"AQU0101", "/p/AQU0101.TXT"}, {"BEL0202", "/p/BEL0202.TXT"}};
    std::vector<std::string> printed;
    int failOn = -1;
    auto print = [&](const std::string& file, const std::string& title) {
      printed.push_back(title + "|" + file);
      return static_cast<int>(printed.size()) != failOn;
    };
    const std::vector<std::string> all = {"Stridewell 5 - SAX0313|/p/SAX0313.TXT",
                                          "Stridewell 5 - AQU0101|/p/AQU0101.TXT",
                                          "Stridewell 5 - BEL0202|/p/BEL0202.TXT"};
    {
      test::RecordingInteraction ui;
      PrintResultsDialog dialog(results, print, ui);
      dialog.accept();
      QVERIFY(printed == all);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QVERIFY(ui.calls().empty());
    }
    {
      printed.clear();
      test::RecordingInteraction ui;
      PrintResultsDialog dialog(results, print, ui);
      dialog.show();
      dialog.pickFromList()->setChecked(true);
      dialog.accept();
      QVERIFY(printed.empty());
      QVERIFY(dialog.isVisible());
      QVERIFY((ui.calls() ==
               std::vector<test::RecordingInteraction::Call>{
                   {test::RecordingInteraction::Kind::kWarning, "Warning", "No items have been selected."}}));
      dialog.list()->item(2)->setSelected(true);
      dialog.list()->item(0)->setSelected(true);
      dialog.accept();
      QVERIFY((printed == std::vector<std::string>{all[0], all[2]}));
      QVERIFY(!dialog.isVisible());
    }
    {
      printed.clear();
      failOn = 2;
      test::RecordingInteraction ui;
      PrintResultsDialog dialog(results, print, ui);
      dialog.accept();
      QCOMPARE(printed.size(), size_t(2));
      QVERIFY((ui.calls() == std::vector<test::RecordingInteraction::Call>{
                                 {test::RecordingInteraction::Kind::kError, "ERROR",
                                  "Error during print (check printer setup)."}}));
    }
  }

  // With no printer installed, printing offers a PDF file instead; saying
  // No prints nothing and reports the print as failed.
  void noPrinterOffersPdf() {
    if (!havePdftotext_) QSKIP("pdftotext is missing (poppler-utils); scripts/install-deps.sh installs it");
    if (!QPrinterInfo::availablePrinters().isEmpty())
      QSKIP("a printer is installed here; the PDF offer only comes without one");
    const std::string report = path("offer.txt");
    writeFile(report, numbered("Line ", 1, 3));

    whenModal<QMessageBox>([](QMessageBox* box) {
      QCOMPARE(box->windowTitle(), QStringLiteral("Query"));
      box->button(QMessageBox::No)->click();
    });
    QVERIFY(!printTextFile(report, "T", nullptr));

    const QString chosen = QString::fromStdString(path("chosen.pdf"));
    whenModal<QMessageBox>([chosen](QMessageBox* box) {
      whenModal<QFileDialog>([chosen](QFileDialog* dialog) {
        dialog->selectFile(chosen);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept checks the name
      });
      box->button(QMessageBox::Yes)->click();
    });
    QVERIFY(printTextFile(report, "Offered", nullptr));
    const QStringList pages = pdfPages(chosen);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(bodyOf(pages[0], QStringLiteral("Line ")), (QStringList{"Line 1", "Line 2", "Line 3"}));

    // A result file that is missing fails before anyone is asked.
    QVERIFY(!printResultFile(path("missing.TXT"), "T", path(""), nullptr));
  }

  // Save as PDF offers the folder the last PDF went to, as long as it is
  // there; the remembered folder reaches the settings file.
  void pdfOfferStartsInTheLastFolder() {
    const std::string settings = path("pdf-settings.conf");
    const fs::path kept = folder_.path() / "kept";
    const fs::path gone = folder_.path() / "gone";
    fs::create_directories(kept);
    fs::create_directories(gone);
    const QString home = QDir::home().filePath(QStringLiteral("Report.pdf"));
    struct Case {
      const char* what;
      fs::path savedIn;  // empty: nothing saved yet
      bool removeAfter;
      QString offered;
    };
    const std::vector<Case> cases{
        {"nothing saved yet", {}, false, home},
        {"a folder still there", kept, false, QString::fromStdString((kept / "Report.pdf").string())},
        {"a folder since removed", gone, true, home},
    };
    for (const Case& c : cases) {
      fs::remove(settings);
      {
        SettingsStore store(settings);
        if (!c.savedIn.empty())
          rememberPdfFolder(store, QString::fromStdString((c.savedIn / "Old.pdf").string()));
      }
      if (c.removeAfter) fs::remove_all(c.savedIn);
      const SettingsStore reread(settings);  // as the next run of the program
      QVERIFY2(pdfFileOffer(reread, QStringLiteral("Report")) == c.offered, c.what);
    }
  }

  // Printer Setup edits the printer every later print uses.
  void printerSetup() {
    whenModal<QPageSetupDialog>([](QPageSetupDialog* dialog) {
      QCOMPARE(dialog->printer(), &sharedPrinter());
      dialog->reject();
    });
    QVERIFY(!showPrinterSetup(nullptr));
    whenModal<QPageSetupDialog>([](QPageSetupDialog* dialog) { dialog->accept(); });
    QVERIFY(showPrinterSetup(nullptr));
  }

  void init() {
    pdf_ = QString::fromStdString(path("out.pdf"));
    QFile::remove(pdf_);
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(pdf_);
    printer_->setPageSize(QPageSize(QPageSize::Letter));
  }
};

QTEST_MAIN(PrintingTest)
#include "printing_test.moc"
