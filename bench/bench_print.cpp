// SPDX-License-Identifier: GPL-3.0-or-later
// One print of the poster to a PDF file and one save as BMP, at the capture density: time and
// the peak memory of the process.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_print

#include "form/Form1.h"
#include "bench/ProgramBench.h"
#include "app/Startup.h"
#include "output/PosterCapture.h"
#include "output/PrintAndSave.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Form1 *form = bench::StartMainWindow();
    if (!form)
        return 1;
    bench::DrawOnPaper(*form, 500, 20);
    const platform::Picture poster = output::CapturePoster(form->client());
    std::printf("before: peak %.1f MiB\n", bench::StatusMiB("VmHWM"));

    QTemporaryDir dir;
    for (int run = 0; run < 3; ++run) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("poster%1.pdf").arg(run)));
        printer.setPageSize(QPageSize(QPageSize::A4));
        QElapsedTimer clock;
        clock.start();
        const bool printed = output::PrintPictureFitted(printer, poster);
        std::printf("print to PDF (A4, %dx%d pixels): %.1f ms%s, peak %.1f MiB, file %.1f KB\n",
                    poster.image().width(), poster.image().height(), clock.nsecsElapsed() / 1e6,
                    printed ? "" : " FAILED", bench::StatusMiB("VmHWM"),
                    QFile(printer.outputFileName()).size() / 1024.0);
    }
    for (int run = 0; run < 3; ++run) {
        const QString path = dir.filePath(QStringLiteral("poster%1.bmp").arg(run));
        QElapsedTimer clock;
        clock.start();
        const bool saved = output::SavePictureAsBmp(poster, path);
        std::printf("save as BMP (707x499, 24 bit): %.1f ms%s, peak %.1f MiB\n", clock.nsecsElapsed() / 1e6,
                    saved ? "" : " FAILED", bench::StatusMiB("VmHWM"));
    }
    return 0;
}
