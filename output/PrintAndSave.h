// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Printing and saving the finished poster of step 4. Both first capture the poster area afresh
// into the finished-poster box, so the dots drawn in step 4 become part of its picture, and then
// work on that picture: printed fitted to one page, or written as a BMP file. A teacher's
// settings add a print preview before printing (printPreview) and PNG and PDF files with a name
// offered ready for a child who saves with the mouse alone (saveFormats).

#include "platform/Controls.h"
#include "pictures/Picture.h"

#include <QObject>
#include <QPrinter>

#include <cstdint>
#include <memory>

class QWidget;

namespace output {

// Sets the printer's orientation from the picture's shape (landscape when it is wider than
// high) and draws the picture as large as the printable area allows, keeping its proportions,
// at the area's top-left corner; where the proportions tie, the width limits. The picture goes
// to the page losslessly at the pixels it holds. Returns false when the print job could not be
// started or drawn.
bool PrintPictureFitted(QPrinter &printer, const platform::Picture &picture);

// The part of the page, in device pixels of the printer, that PrintPictureFitted draws into:
// the paper less the printer's unprintable margins, which Qt does not turn with the page.
QRectF PrintableArea(const QPrinter &printer);

// Writes the picture as a 24-bit BMP file of exactly that name, at its natural size in pixels
// (a capture: 707 x 499). It is written to a temporary file in the same folder and renamed over
// the target only when complete, so a failed write never destroys an existing file.
bool SavePictureAsBmp(const platform::Picture &picture, const QString &fileName);

// The same pixels as the BMP, as a PNG file; written in the same way.
bool SavePictureAsPng(const platform::Picture &picture, const QString &fileName);

// A PDF of one page of that paper, holding the picture as PrintPictureFitted prints it (turned
// by its shape, fitted to the page at its top-left corner, at the pixels it holds). Written in the
// same way: the file appears whole or not at all.
bool SavePictureAsPdf(const platform::Picture &picture, const QString &fileName, const QPageSize &paper);

// The name the save dialog offers with saveFormats: "ぽすたー" and the smallest number, in
// full-width digits, that no file or folder of that folder bears, whatever its extension
// ("ぽすたー１.png" takes "ぽすたー１"). Without an extension.
QString FreshPosterName(const QString &folder);

// The controls the print and save buttons work with, handed over by the main window.
struct PrintControls
{
    QWidget *window;                 // parent of the dialogs and messages
    QWidget *client;                 // the main window's client area, for the capture
    platform::PictureBox *finished;  // the finished poster of step 4
    std::int16_t *hasSelection;      // cleared by both buttons
};

class PrintController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintController)
public:
    explicit PrintController(const PrintControls &controls, QObject *parent = nullptr);
    ~PrintController() override;

    void Print(); // "いんさつ": a job named "とびまる", or after the poster's name once saved
    void Save();  // "ほぞん"

    // The file name the next save offers: the last one chosen, empty at first. With saveFormats
    // the next save offers a fresh name in its folder instead.
    QString lastFileName() const { return m_lastFileName; }
    // The printer, kept for the life of the main window so its settings persist. It is made
    // when first needed: making one asks the print system for its printers, which start-up
    // need not wait for.
    QPrinter &printer();

    static const QString PrintFailedMessage;
    static const QString SaveFailedMessage;

signals:
    // The poster area was captured afresh into the finished poster.
    void captured();
    // The poster went to the printer or into a file.
    void writtenOut();

private:
    void CaptureFinishedPoster();

    PrintControls m_controls;
    std::unique_ptr<QPrinter> m_printer;
    QString m_lastFileName;
    QString m_lastFilter; // the file type chosen last, with saveFormats
    QString m_posterName; // the name the poster was last saved under, without its extension
};

} // namespace output
