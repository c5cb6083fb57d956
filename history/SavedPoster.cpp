// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/SavedPoster.h"

#include "form/Form1.h"
#include "history/PosterState.h"
#include "base/Twips.h"
#include "pictures/DecodeCost.h"
#include "pictures/SharpDecode.h"
#include "platform/SurfaceTiles.h"

#include <QFileInfo>

#include <map>
#include <vector>

namespace history {

namespace {

posterfile::Surface SurfaceOf(const platform::PictureBox &box, const PaperState &state)
{
    return {state.shown, state.back, state.picture.image(), box.drawingSurface()};
}

PaperState PaperFrom(const posterfile::Surface &surface)
{
    return {surface.shown, surface.back,
            surface.picture.isNull() ? platform::Picture() : platform::Picture::fromImage(surface.picture)};
}

// Writes the dots into the box's surface, tile by tile where they are drawn: the surface is clear
// once the paper's colour and picture were set.
void PutDots(platform::PictureBox &box, const QImage &dots)
{
    if (dots.isNull() || dots.size() != box.surfaceSize())
        return;
    platform::SurfaceTiles tiles;
    for (int tile : platform::SurfaceTiles::TilesUnder(dots.rect(), dots.size())) {
        if (platform::SurfaceTiles::IsInked(tile, dots))
            tiles.keep(tile, dots);
    }
    if (!tiles.isEmpty())
        box.exchangeTiles(tiles);
}

// A slot's picture from the bytes the poster's file kept of its file. Where the slot keeps its
// picture sharp: a preview at once, the poster's own small picture where the slot lies on it (a
// stand-in drawing elsewhere), decoded sharp after by the slot; otherwise decoded now, as sharp as
// a capture of the slot wants and twice that, so that it may grow.
platform::Picture KeptPicture(const posterfile::Poster &poster, const posterfile::PictureSlot &slot,
                              const platform::FileContents &contents, const QRectF &area)
{
    if (slot.keepsSharp) {
        const QImage &small = poster.thumbnail;
        QImage pixels;
        // The small picture shows the slots in steps 2 and 3 alone, over the poster area.
        if (slot.shown && (poster.step == 2 || poster.step == 3) && !small.isNull() && area.width() > 0) {
            const double scale = small.width() / area.width();
            const QRect at = QRectF((slot.left - area.left()) * scale, (slot.top - area.top()) * scale,
                                    slot.width * scale, slot.height * scale)
                                     .toAlignedRect();
            if (!at.isEmpty() && small.rect().contains(at))
                pixels = small.copy(at);
        }
        if (pixels.isNull()) {
            const QSizeF shape = QSizeF(slot.width, slot.height).scaled(64, 64, Qt::KeepAspectRatio);
            pixels = platform::formats::StandInImage(shape.toSize().expandedTo(QSize(1, 1)));
        }
        if (const platform::Picture preview = platform::PreviewPicture(contents, pixels); !preview.isEmpty())
            return preview;
    }
    const int side = qBound(1, int(std::max(slot.width, slot.height) / 15 * platform::CaptureDensity * 2), platform::MaxDecodedSide);
    return platform::DecodePicture(contents, QSize(side, side));
}

} // namespace

int StepOf(const Form1 &form)
{
    if (!form.Command16->isHidden())
        return 4;
    if (!form.Command15->isHidden())
        return 3;
    if (!form.Command6->isHidden())
        return 2;
    return 1;
}

posterfile::Poster TakeSavedPoster(const Form1 &form)
{
    const PosterState state = TakeSnapshot(form);
    posterfile::Poster poster;
    poster.step = StepOf(form);
    for (std::size_t i = 0; i < state.pictures.size(); ++i) {
        const PictureSlotState &slot = state.pictures[i];
        poster.pictures[i] = {slot.shown,  slot.left,   slot.top,        slot.width,          slot.height,
                              slot.border, slot.stacking, slot.source, slot.keepsSharp, state.onPoster[i]};
    }
    for (std::size_t i = 0; i < state.texts.size(); ++i) {
        const TextSlotState &slot = state.texts[i];
        poster.texts[i] = {slot.shown, slot.left, slot.top,  slot.width,    slot.height, slot.border,
                           slot.stacking, slot.text, slot.caret, slot.fontSize, slot.back, slot.fore};
    }
    poster.paper = SurfaceOf(*form.Picture1, state.paper);
    poster.paperButton = state.paperButton;
    poster.finished = SurfaceOf(*form.Picture2, state.finished);
    poster.still = form.Image2->picture().image();
    // What the next move forward captures anew, and no move back shows, is not kept: the still
    // picture under step 1's paper, and the finished poster before step 4.
    if (poster.step == 1)
        poster.still = QImage();
    if (poster.step < 4)
        poster.finished.picture = poster.finished.dots = QImage();
    poster.selectedKind = state.selectedKind;
    poster.selectedIndex = state.selectedIndex;
    poster.hasSelection = state.hasSelection;
    poster.pen = form.Command13->backColor();
    poster.dotSize = form.HScroll1->value();
    return poster;
}

void ApplySavedPoster(Form1 &form, const posterfile::Poster &poster, const PictureLoader &load)
{
    // The pictures whose files are gone or are other files now, from the bytes kept of them.
    const platform::PictureBox &paper = *form.Picture1;
    const QRectF area(paper.twipsLeft(), paper.twipsTop(), paper.twipsWidth(), paper.twipsHeight());
    std::map<QString, platform::Picture> kept;
    std::vector<platform::FileContents> held;
    for (const posterfile::PictureSlot &slot : poster.pictures) {
        const auto bytes = poster.sources.find(slot.source);
        if (bytes == poster.sources.end() || kept.count(slot.source) || QFileInfo(slot.source).size() == bytes->second.size())
            continue;
        held.push_back({bytes->second, platform::IdentityOf(bytes->second), 0});
        kept[slot.source] = KeptPicture(poster, slot, held.back(), area);
    }
    platform::HoldFileContents(std::move(held));
    const PosterState now = TakeSnapshot(form);
    PosterState state = now;
    for (std::size_t i = 0; i < state.pictures.size(); ++i) {
        const posterfile::PictureSlot &saved = poster.pictures[i];
        PictureSlotState &slot = state.pictures[i];
        const platform::Picture picture = saved.source.isEmpty()           ? platform::Picture()
                                          : kept.count(saved.source) ? kept.at(saved.source)
                                                                         : load(saved.source);
        if (picture.isEmpty()) {
            // Left out: the slot stays as it is, in the place among the slots it was saved in.
            slot.stacking = saved.stacking;
            state.onPoster[i] = now.onPoster[i];
            continue;
        }
        slot = {saved.shown, saved.left,   saved.top, saved.width,     saved.height,
                saved.border, saved.stacking, picture, saved.source, saved.keepsSharp};
        state.onPoster[i] = std::int16_t(saved.onPoster);
    }
    for (std::size_t i = 0; i < state.texts.size(); ++i) {
        const posterfile::TextSlot &saved = poster.texts[i];
        state.texts[i] = {saved.shown, saved.left,   saved.top,  saved.width,    saved.height, saved.border,
                          saved.stacking, saved.text, saved.caret, saved.fontSize, saved.back, saved.fore};
    }
    state.paper = PaperFrom(poster.paper);
    state.paperButton = poster.paperButton;
    state.finished = PaperFrom(poster.finished);
    state.selectedKind = std::int16_t(poster.selectedKind);
    state.selectedIndex = std::int16_t(poster.selectedIndex);
    state.hasSelection = std::int16_t(poster.hasSelection);
    // A picture left out cannot stay selected.
    if (state.selectedKind == 1 && poster.pictures[std::size_t(state.selectedIndex)].source != state.pictures[std::size_t(state.selectedIndex)].source)
        state.hasSelection = 0;

    form.Image2->setPicture(poster.still.isNull() ? platform::Picture() : platform::Picture::fromImage(poster.still));
    ApplySnapshot(form, state);
    PutDots(*form.Picture1, poster.paper.dots);
    PutDots(*form.Picture2, poster.finished.dots);
    // A file written before the pen was kept leaves the pen as it stands.
    if (poster.pen.isValid() && form.Command13->backColor() != poster.pen)
        form.Command13->setBackColor(poster.pen);
    if (poster.dotSize > 0)
        form.HScroll1->setValue(poster.dotSize);
}

} // namespace history
