// PrintBoards with many full-HD pictures, on the X server of $DISPLAY:
//   add one selection to a board of 100 pictures, the crash-safe save included   at most 100 ms
//   load five boards of 40 pictures each                                          reported
//   print a board of 100 pictures to a PDF file                                   at most 5 s
#include "core/module1.h"
#include "core/resources.h"
#include "core/window1.h"
#include "platform/documentprinter.h"
#include "platform/recordinghost.h"
#include "platform/styleddocument.h"
#include "printboards/boards.h"
#include "printboards/slots.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMimeData>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A screen-like picture: flat areas, text-like detail, different in every copy.
QImage screenPicture(int n)
{
    QImage picture(1920, 1080, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv(n * 7 % 360, 40, 240));
    for (int y = 100; y < 1000; y += 3)
        for (int x = 100 + n % 7; x < 1800; x += 7)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x + y + n) % 256));
    return picture;
}

void fillBoard(int slot, int pictures, int first)
{
    StyledDocument doc;
    QMimeData spacing;
    spacing.setText(QStringLiteral(" \r"));
    for (int i = 0; i < pictures; ++i) {
        const QImage picture = screenPicture(first + i);
        doc.insertPicture(picture, picture.size());
        doc.insertMimeData(spacing);
    }
    if (!resources::saveDocument(doc, printboards::key(slot)))
        qFatal("cannot prepare board %d", slot);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    resources::setFolder(folder.path());
    platform::setHost(std::make_unique<RecordingHost>());

    // Add: the real continuation, from the clipboard into the board and onto disk.
    fillBoard(1, 100, 0);
    {
        Window1 w;
        resources::loadDocument(*w.WASTEfield3, printboards::key(1));
        Module1::ActivePrintBoard = printboards::key(1);
        std::vector<double> times, onDisk;
        for (int run = 0; run < 7; ++run) {
            QApplication::clipboard()->setImage(screenPicture(1000 + run));
            QElapsedTimer timer;
            timer.start();
            printboards::addContinuation(w, 1);
            times.push_back(timer.nsecsElapsed() / 1e6);
            printboards::waitForSaves();
            onDisk.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::printf("add a full-HD selection to a board of 100 pictures: program busy %.0f ms "
                    "(target <= 100 ms, ratio %.2f), on disk after %.0f ms; board file %.1f MB\n",
                    median(times), median(times) / 100, median(onDisk),
                    QFileInfo(resources::filePath(printboards::key(1))).size() / 1e6);
    }

    // Load: five boards of 40.
    for (int slot = 1; slot <= 5; ++slot)
        fillBoard(slot, 40, slot * 100);
    {
        std::vector<double> times;
        for (int run = 0; run < 3; ++run) {
            Window1 w;
            QElapsedTimer timer;
            timer.start();
            for (int slot = 1; slot <= 5; ++slot)
                resources::loadDocument(*printboards::document(w, slot), printboards::key(slot));
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::printf("load five boards of 40 full-HD pictures: %.0f ms\n", median(times));
    }

    // Print: 100 pictures to a PDF file.
    fillBoard(2, 100, 500);
    {
        StyledDocument board;
        resources::loadDocument(board, printboards::key(2));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = folder.filePath(QStringLiteral("board.pdf"));
        printer.setOutputFileName(pdf);
        platform::applyPageFormat(printer, platform::defaultPageFormat());
        QElapsedTimer timer;
        timer.start();
        const int result = platform::printDocument(*board.document(), printer, 25);
        const double ms = timer.nsecsElapsed() / 1e6;
        std::printf("print a board of 100 full-HD pictures to PDF (25 %%): %.0f ms (target <= "
                    "5000 ms, ratio %.2f); result %d, %.1f MB\n",
                    ms, ms / 5000, result, QFileInfo(pdf).size() / 1e6);
    }
    return 0;
}
