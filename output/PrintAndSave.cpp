// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/PrintAndSave.h"

#include "output/PosterCapture.h"
#include "platform/EventLoop.h"
#include "platform/MessageBox.h"
#include "base/Twips.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QPainter>
#include <QPrintDialog>
#include <QSaveFile>

namespace output {

const QString PrintController::PrintFailedMessage = QStringLiteral("いんさつ できませんでした");
const QString PrintController::SaveFailedMessage = QStringLiteral("ほぞん できませんでした");

QRectF PrintableArea(const QPrinter &printer)
{
    // The printer's own unprintable margins, in points. Qt reports them for the portrait page
    // even when the page is landscape; taking the larger of each pair keeps the picture inside
    // the printable area whichever way the page is turned.
    const QPageLayout layout = printer.pageLayout();
    QMarginsF margins = layout.minimumMargins();
    if (layout.orientation() == QPageLayout::Landscape) {
        const qreal sides = qMax(margins.top(), margins.bottom());
        const qreal ends = qMax(margins.left(), margins.right());
        margins = QMarginsF(sides, ends, sides, ends);
    }
    const double scale = printer.resolution() / 72.0;
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    return QRectF(paper.left() + margins.left() * scale, paper.top() + margins.top() * scale,
                  paper.width() - (margins.left() + margins.right()) * scale,
                  paper.height() - (margins.top() + margins.bottom()) * scale);
}

bool PrintPictureFitted(QPrinter &printer, const platform::Picture &picture)
{
    if (picture.isEmpty() || picture.heightHimetric() <= 0)
        return false;
    // The orientation follows the picture, whatever the dialog said; a square prints portrait.
    printer.setPageOrientation(picture.heightHimetric() < picture.widthHimetric() ? QPageLayout::Landscape
                                                                                   : QPageLayout::Portrait);
    // No extra margin of Qt's own: the printable area is the paper less the unprintable margins.
    printer.setFullPage(true);
    const QRectF area = PrintableArea(printer);
    if (area.height() <= 0 || area.width() <= 0)
        return false;

    // The fit is decided in 0.01 mm, single precision for the page and double for the picture,
    // so that the tie goes the way it always has.
    const double aspect = double(picture.widthHimetric()) / picture.heightHimetric();
    const double himetricPerPixel = 2540.0 / printer.resolution();
    const float pageWidth = static_cast<float>(area.width() * himetricPerPixel);
    const float pageHeight = static_cast<float>(area.height() * himetricPerPixel);
    const float pageAspect = pageWidth / pageHeight;
    double width, height; // 0.01 mm
    if (aspect >= pageAspect) {
        width = pageWidth;
        height = pageWidth / aspect;
    } else {
        height = pageHeight;
        width = pageHeight * aspect;
    }

    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // Without this Qt would embed the picture in a PDF as a JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF target(area.topLeft(), QSizeF(width / himetricPerPixel, height / himetricPerPixel));
    painter.drawImage(target, picture.image());
    const bool ended = painter.end();
    return ended && printer.printerState() != QPrinter::Error;
}

bool SavePictureAsBmp(const platform::Picture &picture, const QString &fileName)
{
    if (picture.isEmpty() || fileName.isEmpty())
        return false;
    const QSize pixels = picture.logicalSize().toSize();
    QImage bitmap = picture.image().scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_RGB888);
    bitmap.setDevicePixelRatio(1);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!bitmap.save(&file, "BMP")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

namespace {

// Names the type of a file from its name alone. Qt's own provider reads the start of every file
// in the folder to guess its type, which blocks forever on a pipe or a device file.
class SuffixTypes final : public QFileIconProvider
{
public:
    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QStringLiteral("フォルダー");
        return info.suffix().isEmpty() ? QStringLiteral("ファイル") : info.suffix().toUpper() + QStringLiteral(" ファイル");
    }
};

} // namespace

PrintController::PrintController(const PrintControls &controls, QObject *parent)
    : QObject(parent), m_controls(controls), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
}

PrintController::~PrintController() = default;

void PrintController::CaptureFinishedPoster()
{
    m_controls.finished->setPicture(CapturePoster(m_controls.client));
    m_controls.finished->show();
}

void PrintController::Print()
{
    platform::YieldingHandler handler;
    *m_controls.hasSelection = 0;
    platform::Yield();
    CaptureFinishedPoster();

    // The print-setup choices: printer, paper and orientation (the orientation is then set from
    // the poster's shape). Where no printer is installed the dialog offers printing to a file.
    QPrintDialog dialog(m_printer.get(), m_controls.window);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return; // cancelled: nothing printed, nothing said

    if (!PrintPictureFitted(*m_printer, m_controls.finished->picture()))
        platform::ShowErrorMessage(m_controls.window, PrintFailedMessage, QStringLiteral("いんさつ"));
    platform::Yield();
}

void PrintController::Save()
{
    platform::YieldingHandler handler;
    *m_controls.hasSelection = 0;
    platform::Yield();
    CaptureFinishedPoster();

    // Qt's own dialog (not the desktop's), so that it looks the same everywhere. It asks before
    // overwriting, adds no suffix and offers the last name again.
    SuffixTypes types; // outlives the dialog that uses it
    QFileDialog dialog(m_controls.window);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("BMP(*.bmp)"));
    dialog.setIconProvider(&types);
    // It opens where the program was started, or on the last name, never in a folder some
    // earlier run of the dialog remembered.
    dialog.setDirectory(QDir::currentPath());
    if (!m_lastFileName.isEmpty())
        dialog.selectFile(m_lastFileName);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        m_lastFileName = dialog.selectedFiles().constFirst();
        if (!SavePictureAsBmp(m_controls.finished->picture(), m_lastFileName))
            platform::ShowErrorMessage(m_controls.window, SaveFailedMessage, QStringLiteral("ほぞん"));
    }
    platform::Yield();
}

} // namespace output
