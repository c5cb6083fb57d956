// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The gallery of step 2: the ten thumbnail cells Image1(0..9) in the side panel show ten files
// of the image folder, starting with the file in slot (value of VScroll1) of ImageFiles.
//
// ScanImageFolder takes the registration window's file list into ImageFiles, sizes VScroll1 and
// lays out the first page; PageChange, VScroll1's change handler, lays out the page its value
// names. Both fit each picture into its cell without distorting it (see FitThumbnail in
// Gallery.cpp) and count the filled cells in ThumbCount, which the wizard reads to show them.
//
// Thumbnails are decoded at the cell's resolution and kept in the program's picture cache, and
// the pages next to the one shown are decoded ahead on worker threads while the user looks at
// it. The workers only fill the cache: every handler and every change to a control runs on the
// GUI thread, and what a cell shows does not depend on what the workers got done, with one
// exception: a picture of today's formats too costly to decode while the page waits
// (pictures/DecodeCost.h), or that its decoding helper has not made by HelperWait after the page
// began, is laid out as a stand-in and decoded on workers of their own, and the cell shows it
// (or the card of a file that cannot be read) when it comes, if the page still shows that file.

#include "pictures/Picture.h"

#include <QObject>
#include <QSize>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>

#include <chrono>

class Form1;
class QWidget;

namespace images {

// A gallery cell, in twips, and where cell i lies: two columns, five rows, filled row by row.
inline constexpr double CellWidth = 1785;
inline constexpr double CellHeight = 1340;
inline constexpr int CellCount = 10;
inline constexpr double CellLeft(int i) { return 11040.0 + 2040.0 * (i % 2); }
inline constexpr double CellTop(int i) { return 2280.0 + 1560.0 * (i / 2); }

// The pixel size a gallery cell's picture is decoded at on the screen of widget: the cell's
// 119 x 89 logical pixels times the screen's device pixel ratio.
QSize ThumbnailBound(const QWidget &widget);

// How long the GUI thread waits for a thumbnail that a decoding helper makes (DecoderPool.h)
// before it shows the picture's stand-in instead: a page of the gallery, all its cells together.
inline constexpr std::chrono::milliseconds HelperWait{40};

// The picture of path as a gallery cell shows it: decoded at ThumbnailBound and shared through
// the program's picture cache (or its stand-in, until the costly decode of it is there). The
// picture slot laid over a cell loads its file this way too, so that it costs no second decode.
// For the GUI thread: a picture a helper decodes is waited for until deadline at most (now and
// HelperWait by default), its stand-in given after that while the decode goes on.
platform::Picture ThumbnailPicture(const QString &path, const QWidget &widget);
platform::Picture ThumbnailPicture(const QString &path, const QWidget &widget,
                                   std::chrono::steady_clock::time_point deadline);
// The same at a bound ThumbnailBound gave; safe on any thread, so that the cache can be filled
// ahead of the GUI thread's need.
platform::Picture ThumbnailPicture(const QString &path, const QSize &bound);

// With today's formats, what a cell shows for a file that cannot be read: a grey card of the
// cell's size with a torn picture on it. It is never carried onto the poster.
platform::Picture BrokenCard(const QWidget &widget);

// The path in a slot of ImageFiles; "" past its last slot, where a page reaching beyond it shows
// empty cells.
QString ImageFileAt(int slot);

class GalleryController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GalleryController)
public:
    explicit GalleryController(Form1 &form, QObject *parent = nullptr);
    ~GalleryController() override;

    // Fills ImageFiles with ImageDir + each name of fileNames, the plain file names of the
    // registration window's file list in the order it shows them, up to the first empty name and
    // at most 32001 of them; sets VScroll1's maximum and value and lays out the first page.
    void ScanImageFolder(const QStringList &fileNames);

    // VScroll1 change (by the user, or by code setting its value or its maximum): lays out the
    // page that starts at slot (value of VScroll1) of ImageFiles.
    void PageChange();

    // Starts decoding the first two pages of a folder that the registration window shows, before
    // the user confirms it, so that the scan finds them decoded: fileNames as for
    // ScanImageFolder, in the folder ImageDir names. Changes no control and no program-wide
    // value; a scan or page change that follows drops what has not started yet.
    void PrefetchFolder(const QStringList &fileNames);

private:
    void PutCellsBack();
    bool FillCell(int i, const QString &path, std::chrono::steady_clock::time_point deadline);
    void HideIfNotPlaced(int slot);
    void StartDecodingPage(int firstSlot);
    void DecodeNeighbours(int firstSlot);
    void DecodeAhead(int firstSlot, int priority);
    void Decode(const QString &path, int priority);
    void DecodeSlowly(const QString &path);
    void ShowDecoded(const QString &path);
    void Show(const QString &path, const platform::Picture &decoded);
    void ShowWaited();

    Form1 &m_form;
    QThreadPool m_decoders; // fills the picture cache; touches no control
    QThreadPool m_slowDecoders; // for the pictures cells show stand-ins of, a core each
    QStringList m_waited;       // files of the page shown whose helper was not waited for
    QTimer m_waitedCheck;       // looks for their pictures in the cache while there are any
};

} // namespace images
