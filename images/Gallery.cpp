// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/Gallery.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "pictures/DecodeCost.h"
#include "pictures/PictureCache.h"
#include "pictures/PictureFormats.h"
#include "base/Twips.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace images {

namespace {

// The last slot of ImageFiles; a page that reaches past it shows empty cells there.
constexpr int LastSlot = Module1::MaxImageFiles - 1;

// Queue order of the workers: the page being laid out first, then the page after it (where a
// user paging through the folder goes next), then the one before it.
constexpr int CurrentPagePriority = 2;
constexpr int NextPagePriority = 1;
constexpr int PreviousPagePriority = 0;

// A whole number of twips, halves to the even neighbour. Not RoundInt16: a photo's natural size
// is far beyond 16 bits (6000 pixels are 90000 twips), and so is the width-fitted height of a
// tall, narrow picture, which the fitting then scales back down. Clamping either would distort
// the thumbnail.
double RoundWhole(double twips)
{
    return std::nearbyint(twips); // the default rounding mode rounds halves to even
}

double NaturalTwips(int himetric)
{
    return RoundWhole(platform::HimetricToTwips(himetric));
}

// Fits a cell that lies at (left, top) with the standard size to a picture of natural size
// W x H twips, both nonzero, without distorting it: as wide as the cell, or as high as the cell
// where that would be too high, and centred in the cell's box.
void FitThumbnail(platform::ImageControl &cell, double W, double H, double left, double top)
{
    // The width-fitted height, in double precision; small pictures are enlarged too.
    const double h = RoundWhole(W > CellWidth ? H / (W / CellWidth) : H * (CellWidth / W));
    cell.setTwipsWidth(CellWidth);
    cell.setTwipsHeight(h);
    if (h > CellHeight) {
        // Fitted to the height instead. The width stays a fraction of a twip: the control keeps
        // it in single precision as it is.
        cell.setTwipsWidth(W > CellWidth ? CellWidth / (h / CellHeight) : (CellHeight / h) * CellWidth);
        cell.setTwipsHeight(CellHeight);
    }
    // Centred in single precision from the sizes the control now holds, which are floats.
    const float width = static_cast<float>(cell.twipsWidth());
    const float height = static_cast<float>(cell.twipsHeight());
    cell.setTwipsTop((static_cast<float>(CellHeight) - height) / 2.0f + static_cast<float>(top));
    cell.setTwipsLeft((static_cast<float>(CellWidth) - width) / 2.0f + static_cast<float>(left));
}

} // namespace

QSize ThumbnailBound(const QWidget &widget)
{
    const qreal ratio = widget.devicePixelRatioF();
    return QSize(qCeil(platform::TwipsToPixels(CellWidth) * ratio),
                 qCeil(platform::TwipsToPixels(CellHeight) * ratio));
}

namespace {

// The thumbnail as the cell shows it: a stand-in gives way to its slow decode once it is there.
platform::Picture ShownThumbnail(const QString &path, const QSize &bound, const platform::Picture &thumbnail)
{
    if (thumbnail.isStandIn()) {
        const std::optional<platform::Picture> decoded =
                platform::SharedPictureCache().cached(path, bound, platform::Use::SlowThumbnail);
        if (decoded && !decoded->isEmpty())
            return *decoded;
    }
    return thumbnail;
}

} // namespace

platform::Picture ThumbnailPicture(const QString &path, const QWidget &widget)
{
    return ThumbnailPicture(path, widget, std::chrono::steady_clock::now() + HelperWait);
}

platform::Picture ThumbnailPicture(const QString &path, const QWidget &widget,
                                   std::chrono::steady_clock::time_point deadline)
{
    const QSize bound = ThumbnailBound(widget);
    platform::PictureCache &cache = platform::SharedPictureCache();
    if (const std::optional<platform::Picture> cached = cache.cached(path, bound, platform::Use::Thumbnail))
        return ShownThumbnail(path, bound, *cached);
    const std::optional<platform::Picture> standIn = platform::StandInWhileDecoding(path, bound);
    if (!standIn)
        return ThumbnailPicture(path, bound);
    const std::optional<platform::Picture> decoded = cache.pictureBy(path, bound, platform::Use::Thumbnail, deadline);
    return decoded ? ShownThumbnail(path, bound, *decoded) : *standIn;
}

platform::Picture ThumbnailPicture(const QString &path, const QSize &bound)
{
    return ShownThumbnail(path, bound, platform::CachedPicture(path, bound, platform::Use::Thumbnail));
}

platform::Picture BrokenCard(const QWidget &widget)
{
    QImage card = platform::formats::BrokenCardImage(ThumbnailBound(widget));
    card.setDevicePixelRatio(widget.devicePixelRatioF());
    return platform::Picture::fromImage(card);
}

GalleryController::GalleryController(Form1 &form, QObject *parent)
    : QObject(parent),
      m_form(form)
{
    connect(form.VScroll1, &platform::ScrollBar::change, this, &GalleryController::PageChange);
    m_waitedCheck.setInterval(std::chrono::milliseconds(50));
    connect(&m_waitedCheck, &QTimer::timeout, this, &GalleryController::ShowWaited);
}

GalleryController::~GalleryController()
{
    // Decodes that have not started are not waited for; those running finish into the cache.
    m_decoders.clear();
    m_slowDecoders.clear();
    m_decoders.waitForDone();
    m_slowDecoders.waitForDone();
}

void GalleryController::ScanImageFolder(const QStringList &fileNames)
{
    Form1 &f = m_form;
    const auto deadline = std::chrono::steady_clock::now() + HelperWait;

    // 1. Nothing of an earlier, longer folder survives.
    Module1::ImageFiles.assign(Module1::MaxImageFiles, QString());

    // 2. The list ends at its first empty name, ImageFiles at slot 32000.
    int n = 0;
    while (n <= LastSlot && n < fileNames.size() && !fileNames[n].isEmpty()) {
        Module1::ImageFiles[n] = Module1::ImageDir + fileNames[n];
        ++n;
    }
    StartDecodingPage(0);

    // 3. The first slot of the last page; C++ division truncates toward zero, so n = 0 gives 0.
    //    Lowering the maximum below the value moves the value, which runs the page change.
    f.VScroll1->setMaximum((n - 1) / CellCount * CellCount);

    // 4. If this moves the value, the page change lays out page 0 at once. Its cells and
    //    ThumbCount are laid out again below; the picture slots it hides stay hidden.
    f.VScroll1->setValue(0);

    // 5. Every cell emptied and hidden.
    for (platform::ImageControl *cell : f.Image1) {
        cell->setPicture(platform::Picture());
        cell->hide();
    }

    // 6. Every cell back at its place on the grid.
    PutCellsBack();

    // 7. The first page, counting the cells that get a picture. Only step 2 of the wizard shows
    //    VScroll1, and only there are the cells shown now; elsewhere the wizard shows them when
    //    it gets to step 2.
    Module1::ThumbCount = 0;
    for (int i = 0; i < CellCount; ++i) {
        platform::ImageControl &cell = *f.Image1[i];
        cell.setTwipsWidth(CellWidth);
        cell.setTwipsHeight(CellHeight);
        if (!FillCell(i, Module1::ImageFiles[i], deadline))
            continue;
        if (f.VScroll1->isVisibleTo(&f))
            cell.show();
        ++Module1::ThumbCount;
    }

    // 8. Of the free picture slots, only the first four are hidden.
    for (int slot = 0; slot < 4; ++slot)
        HideIfNotPlaced(slot);

    DecodeNeighbours(0);
}

void GalleryController::PageChange()
{
    Form1 &f = m_form;
    const int v = f.VScroll1->value();
    const auto deadline = std::chrono::steady_clock::now() + HelperWait;
    StartDecodingPage(v);

    // 1. Every cell back at its place on the grid.
    PutCellsBack();

    // 2. The page, counting the cells that get a picture. Unlike the scan, this shows the filled
    //    cells whether or not VScroll1 is shown.
    Module1::ThumbCount = 0;
    for (int i = 0; i < CellCount; ++i) {
        platform::ImageControl &cell = *f.Image1[i];
        cell.setTwipsWidth(CellWidth);
        cell.setTwipsHeight(CellHeight);
        cell.show();
        // A copy the pointer laid over a thumbnail of the page left behind.
        HideIfNotPlaced(i);
        if (!FillCell(i, ImageFileAt(v + i), deadline)) {
            cell.hide(); // it keeps the picture of the page before, unseen
            if (platform::formats::MoreFormats())
                cell.setPicture(platform::Picture()); // which the wizard would show again
            continue;
        }
        ++Module1::ThumbCount;
    }

    DecodeNeighbours(v);
}

// Every cell back at the top-left corner of its box, left before top, cell by cell.
void GalleryController::PutCellsBack()
{
    for (int i = 0; i < CellCount; ++i) {
        m_form.Image1[i]->setTwipsLeft(CellLeft(i));
        m_form.Image1[i]->setTwipsTop(CellTop(i));
    }
}

// The part both lay-outs share once cell i has its standard size: takes the natural size of the
// file's picture, fits the cell to it and gives the cell the picture. False, and the cell left as
// it was, when there is no picture of a size: an empty slot, or a file that is missing or cannot
// be decoded (treated alike, so later cells still fill and count). With today's formats, such a
// file shows the card of a file that cannot be read instead, and counts.
bool GalleryController::FillCell(int i, const QString &path, std::chrono::steady_clock::time_point deadline)
{
    platform::ImageControl &cell = *m_form.Image1[i];
    // One load serves for both the size and the pixels: the natural size is the file's whatever
    // the size the thumbnail was decoded at.
    platform::Picture picture = ThumbnailPicture(path, m_form, deadline);
    if (picture.isEmpty() && !path.isEmpty() && platform::formats::MoreFormats())
        picture = BrokenCard(m_form);
    const double W = NaturalTwips(picture.widthHimetric());
    const double H = NaturalTwips(picture.heightHimetric());
    if (W == 0 || H == 0)
        return false;
    FitThumbnail(cell, W, H, CellLeft(i), CellTop(i));
    cell.setPicture(picture);
    if (!picture.isStandIn())
        return true;
    if (platform::SharedPictureCache().cached(path, ThumbnailBound(m_form), platform::Use::Thumbnail)) {
        DecodeSlowly(path);
    } else if (!m_waited.contains(path)) {
        m_waited.append(path); // its helper goes on with it
        m_waitedCheck.start();
    }
    return true;
}

// The cells that show a stand-in of a file whose helper was not waited for get what the helper
// made once it is in the cache: the picture, the card of a file that cannot be read, or, for a
// picture too costly for a thumbnail, the stand-in of its slow decode.
void GalleryController::ShowWaited()
{
    const QSize bound = ThumbnailBound(m_form);
    for (qsizetype k = m_waited.size() - 1; k >= 0; --k) {
        const QString path = m_waited[k];
        const std::optional<platform::Picture> made =
                platform::SharedPictureCache().cached(path, bound, platform::Use::Thumbnail);
        if (!made)
            continue;
        m_waited.removeAt(k);
        if (made->isStandIn())
            DecodeSlowly(path);
        else
            Show(path, *made);
    }
    if (m_waited.isEmpty())
        m_waitedCheck.stop();
}

// Decodes the picture a cell shows a stand-in of, off the page's way, and shows it.
void GalleryController::DecodeSlowly(const QString &path)
{
    m_slowDecoders.start([this, path, bound = ThumbnailBound(m_form)] {
        platform::SharedPictureCache().prefetch(path, bound, platform::Use::SlowThumbnail);
        QMetaObject::invokeMethod(this, [this, path] { ShowDecoded(path); }, Qt::QueuedConnection);
    });
}

// The cells of the page shown that still show a stand-in of path get its picture. A file that
// could not be decoded after all gets the card of a file that cannot be read, as the page would
// have been laid out knowing it.
void GalleryController::ShowDecoded(const QString &path)
{
    const std::optional<platform::Picture> decoded =
            platform::SharedPictureCache().cached(path, ThumbnailBound(m_form), platform::Use::SlowThumbnail);
    if (!decoded)
        return; // another worker is decoding it, and shows it when done
    Show(path, *decoded);
}

// The cells of the page shown that still show a stand-in of path get decoded, or the card of a
// file that cannot be read when it is empty; fitted to it where its size is not the stand-in's
// (the stand-in of a file whose header states no size).
void GalleryController::Show(const QString &path, const platform::Picture &decoded)
{
    const int v = m_form.VScroll1->value();
    for (int i = 0; i < CellCount; ++i) {
        platform::ImageControl &cell = *m_form.Image1[i];
        if (ImageFileAt(v + i) != path || !cell.picture().isStandIn())
            continue;
        const platform::Picture shown = decoded.isEmpty() ? BrokenCard(m_form) : decoded;
        if (shown.himetricSize() != cell.picture().himetricSize())
            FitThumbnail(cell, NaturalTwips(shown.widthHimetric()), NaturalTwips(shown.heightHimetric()), CellLeft(i),
                         CellTop(i));
        cell.setPicture(shown);
    }
}

void GalleryController::HideIfNotPlaced(int slot)
{
    platform::ImageControl &pictureSlot = *m_form.Image3[slot];
    if (!Poster::IsPlaced(pictureSlot))
        pictureSlot.hide();
}

QString ImageFileAt(int slot)
{
    return slot >= 0 && slot <= LastSlot ? Module1::ImageFiles[slot] : QString();
}

// Has the workers decode the page that starts at firstSlot before anything they had queued for
// pages the user has left. The GUI thread, laying out that page meanwhile, takes the pictures as
// they come and decodes any that no worker has started on itself.
void GalleryController::StartDecodingPage(int firstSlot)
{
    m_decoders.clear();
    m_slowDecoders.clear();
    m_waited.clear();
    DecodeAhead(firstSlot, CurrentPagePriority);
}

// Once a page is laid out: the pages after and before it, while the user looks at this one.
void GalleryController::DecodeNeighbours(int firstSlot)
{
    DecodeAhead(firstSlot + CellCount, NextPagePriority);
    DecodeAhead(firstSlot - CellCount, PreviousPagePriority);
}

// Queues the files of the page that starts at firstSlot, in cell order.
void GalleryController::DecodeAhead(int firstSlot, int priority)
{
    for (int slot = firstSlot; slot < firstSlot + CellCount; ++slot)
        Decode(ImageFileAt(slot), priority);
}

void GalleryController::PrefetchFolder(const QStringList &fileNames)
{
    m_decoders.clear();
    for (int k = 0; k < std::min<qsizetype>(fileNames.size(), 2 * CellCount); ++k) {
        if (fileNames[k].isEmpty())
            break;
        Decode(Module1::ImageDir + fileNames[k], k < CellCount ? CurrentPagePriority : NextPagePriority);
    }
}

// Queues one file for decoding into the picture cache at the gallery's bound.
void GalleryController::Decode(const QString &path, int priority)
{
    if (path.isEmpty())
        return;
    m_decoders.start([this, path, bound = ThumbnailBound(m_form)] {
        platform::SharedPictureCache().prefetch(path, bound, platform::Use::Thumbnail);
        // A cell that was laid out with a stand-in while this went on gets its picture now.
        QMetaObject::invokeMethod(this, [this, path] {
            if (m_waited.contains(path))
                ShowWaited();
        }, Qt::QueuedConnection);
    }, priority);
}

} // namespace images
