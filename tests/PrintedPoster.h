// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The finished poster printed to a PDF by the step-4 button, and where the poster's elements lie
// on that page.

#include "PdfPages.h"
#include "TestSupport.h"

#include "app/Program.h"
#include "app/Startup.h"
#include "form/Form1.h"
#include "output/PosterCapture.h"
#include "output/PrintAndSave.h"

#include <QPrintDialog>
#include <QPrinter>

namespace testing {

// The printed page at 72 dpi, and where a point of the step-4 capture lies on it, in points.
struct PrintedPoster
{
    QString pdf;
    QImage page;
    QRect ink;
    QSize capture;
    QPointF onPage(QPointF inCapture) const
    {
        return {ink.left() + (inCapture.x() + 0.5) * ink.width() / capture.width(),
                ink.top() + (inCapture.y() + 0.5) * ink.height() / capture.height()};
    }
};

// Prints the poster of step 4 to pdf, as the print button does with the dialog accepted.
inline PrintedPoster PrintPoster(Form1 &form, const QString &pdf)
{
    QPrinter &printer = CurrentProgram()->printing().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    AnswerNextModal([](QDialog *dialog) { QVERIFY(qobject_cast<QPrintDialog *>(dialog)); });
    QTest::mouseClick(form.Command14, Qt::LeftButton);
    PrintedPoster printed{pdf, PdfPage(pdf), {}, form.Picture2->picture().image().size()};
    printed.ink = Ink(printed.page);
    return printed;
}

// Where a control on the poster lies in the step-4 capture.
inline QRect InCapture(const QWidget &control)
{
    return {(control.geometry().topLeft() - output::PosterRect.topLeft()) * platform::CaptureDensity,
            control.geometry().size() * platform::CaptureDensity};
}

// What is printed where box of the capture lies, rendered at about a pixel a pixel of the
// capture; a null image where it cannot be rendered.
inline QImage PrintedBox(const PrintedPoster &printed, const QRect &box)
{
    const QRectF onPage(printed.onPage(box.topLeft()), printed.onPage(box.bottomRight()));
    const int dpi = qRound(72.0 * printed.capture.width() / printed.ink.width());
    const QRect rendered = onPage.toAlignedRect();
    const QRectF inRendered((onPage.topLeft() - rendered.topLeft()) * dpi / 72.0, onPage.size() * dpi / 72.0);
    return PdfPage(printed.pdf, dpi, rendered).copy(inRendered.toRect());
}

} // namespace testing
