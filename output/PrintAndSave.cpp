// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/PrintAndSave.h"

#include "output/PosterCapture.h"
#include "output/PrintPreview.h"
#include "platform/EventLoop.h"
#include "platform/MessageBox.h"
#include "base/Twips.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryFile>

#include <functional>
#include <vector>

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

namespace {

// The pixels a file holds: the picture at its natural size, 24 bits a pixel.
QImage FilePixels(const platform::Picture &picture)
{
    const QSize pixels = picture.logicalSize().toSize();
    QImage bitmap = picture.image().scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_RGB888);
    bitmap.setDevicePixelRatio(1);
    return bitmap;
}

// Writes a file through a temporary file in the same folder, renamed over the target only when
// write() has succeeded, so a failed write never destroys an existing file.
bool WriteWhole(const QString &fileName, const std::function<bool(QIODevice &)> &write)
{
    if (fileName.isEmpty())
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!write(file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool SaveImageFile(const platform::Picture &picture, const QString &fileName, const char *format)
{
    if (picture.isEmpty())
        return false;
    const QImage pixels = FilePixels(picture);
    return WriteWhole(fileName, [&](QIODevice &file) { return pixels.save(&file, format); });
}

} // namespace

bool SavePictureAsBmp(const platform::Picture &picture, const QString &fileName)
{
    return SaveImageFile(picture, fileName, "BMP");
}

bool SavePictureAsPng(const platform::Picture &picture, const QString &fileName)
{
    return SaveImageFile(picture, fileName, "PNG");
}

bool SavePictureAsPdf(const platform::Picture &picture, const QString &fileName, const QPageSize &paper)
{
    if (picture.isEmpty() || fileName.isEmpty())
        return false;
    // The printer writes its PDF by name; it is rendered aside and then written into place whole.
    QTemporaryFile rendered;
    if (!rendered.open())
        return false;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(rendered.fileName());
    pdf.setPageSize(paper);
    if (!PrintPictureFitted(pdf, picture))
        return false;
    return WriteWhole(fileName, [&](QIODevice &file) {
        QFile page(rendered.fileName());
        if (!page.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = page.readAll();
        return !bytes.isEmpty() && file.write(bytes) == bytes.size();
    });
}

QString FreshPosterName(const QString &folder)
{
    const QString stem = QStringLiteral("ぽすたー");
    // Every name of the folder that starts so, up to its first dot.
    QSet<QString> taken;
    const QStringList names = QDir(folder).entryList({stem + QLatin1Char('*')},
                                                     QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const QString &name : names)
        taken.insert(name.section(QLatin1Char('.'), 0, 0));
    for (int number = 1;; ++number) {
        QString name = stem;
        for (const QChar digit : QString::number(number))
            name += QChar(u'０' + (digit.unicode() - u'0'));
        if (!taken.contains(name))
            return name;
    }
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

// The file types of "ほぞん": BMP alone as designed, PNG and PDF after it with saveFormats.
enum class FileType { Bmp, Png, Pdf };

struct FileTypeFilter
{
    FileType type;
    QString filter;    // as the dialog lists it
    QString extension; // added to a name that has none; none for BMP, whose name is kept exactly
};

const std::vector<FileTypeFilter> &FileTypeFilters()
{
    static const std::vector<FileTypeFilter> filters{
        {FileType::Bmp, QStringLiteral("BMP(*.bmp)"), QString()},
        {FileType::Png, QStringLiteral("PNG(*.png)"), QStringLiteral("png")},
        {FileType::Pdf, QStringLiteral("PDF(*.pdf)"), QStringLiteral("pdf")},
    };
    return filters;
}

const FileTypeFilter &FilterNamed(const QString &filter)
{
    for (const FileTypeFilter &entry : FileTypeFilters()) {
        if (entry.filter == filter)
            return entry;
    }
    return FileTypeFilters().front();
}

// Qt's save dialog, which adds the chosen type's extension to a name that does not end with it
// as it accepts the name, so that its question before replacing a file asks about the file that
// will be written. A folder's name still opens the folder.
class SaveDialog final : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QString extension = FilterNamed(selectedNameFilter()).extension;
        // Qt adds it to a name without any extension; a name with another one ("え.bmp") gets
        // it in the name box.
        setDefaultSuffix(extension);
        auto *name = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!extension.isEmpty() && name) {
            const QString typed = name->text();
            const QString ending = QLatin1Char('.') + extension;
            if (typed.contains(QLatin1Char('.')) && !typed.endsWith(ending, Qt::CaseInsensitive)
                && !typed.contains(QLatin1Char('"')) && !QFileInfo(directory(), typed).isDir())
                name->setText(typed + ending);
        }
        QFileDialog::accept();
    }
};

} // namespace

PrintController::PrintController(const PrintControls &controls, QObject *parent)
    : QObject(parent), m_controls(controls)
{
}

QPrinter &PrintController::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

PrintController::~PrintController() = default;

void PrintController::CaptureFinishedPoster()
{
    m_controls.finished->setPicture(CapturePoster(m_controls.client));
    m_controls.finished->show();
    emit captured();
}

void PrintController::Print()
{
    platform::YieldingHandler handler;
    *m_controls.hasSelection = 0;
    platform::Yield();
    CaptureFinishedPoster();

    // The job's name in the print queue: the poster's, once it has been saved under one.
    printer().setDocName(m_posterName.isEmpty() ? QStringLiteral("とびまる") : m_posterName);

    // With the preview on, the page is shown first; going back prints nothing. Printing then
    // goes on as without it, through the print dialog.
    if (settings::Current().printPreview
        && !ShowPrintPreview(printer(), m_controls.finished->picture(), m_controls.window))
        return;

    // The print-setup choices: printer, paper and orientation (the orientation is then set from
    // the poster's shape). Where no printer is installed the dialog offers printing to a file.
    QPrintDialog dialog(&printer(), m_controls.window);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return; // cancelled: nothing printed, nothing said

    if (PrintPictureFitted(printer(), m_controls.finished->picture()))
        emit writtenOut();
    else
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
    SaveDialog dialog(m_controls.window);
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const bool moreTypes = settings::Current().saveFormats;
    if (moreTypes) {
        QStringList filters;
        for (const FileTypeFilter &entry : FileTypeFilters())
            filters << entry.filter;
        dialog.setNameFilters(filters);
        if (!m_lastFilter.isEmpty())
            dialog.selectNameFilter(m_lastFilter);
    } else {
        dialog.setNameFilter(FileTypeFilters().front().filter);
    }
    dialog.setIconProvider(&types);
    // It opens where the program was started, or on the last name, never in a folder some
    // earlier run of the dialog remembered.
    dialog.setDirectory(QDir::currentPath());
    if (moreTypes) {
        // A name of its own in the folder saved into last, so that the mouse alone can save.
        const QString folder = m_lastFileName.isEmpty() ? QDir::currentPath() : QFileInfo(m_lastFileName).absolutePath();
        QString name = FreshPosterName(folder);
        const FileTypeFilter &type = FilterNamed(dialog.selectedNameFilter());
        name += QLatin1Char('.') + (type.extension.isEmpty() ? QStringLiteral("bmp") : type.extension);
        dialog.selectFile(QDir(folder).filePath(name));
    } else if (!m_lastFileName.isEmpty()) {
        dialog.selectFile(m_lastFileName);
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        m_lastFileName = dialog.selectedFiles().constFirst();
        const FileType type = moreTypes ? FilterNamed(dialog.selectedNameFilter()).type : FileType::Bmp;
        if (moreTypes)
            m_lastFilter = dialog.selectedNameFilter();
        const platform::Picture &picture = m_controls.finished->picture();
        const bool saved = type == FileType::Png   ? SavePictureAsPng(picture, m_lastFileName)
                           : type == FileType::Pdf ? SavePictureAsPdf(picture, m_lastFileName, printer().pageLayout().pageSize())
                                                   : SavePictureAsBmp(picture, m_lastFileName);
        if (saved) {
            m_posterName = QFileInfo(m_lastFileName).completeBaseName();
            emit writtenOut();
        } else {
            platform::ShowErrorMessage(m_controls.window, SaveFailedMessage, QStringLiteral("ほぞん"));
        }
    }
    platform::Yield();
}

} // namespace output
