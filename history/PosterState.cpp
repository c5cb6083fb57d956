// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/PosterState.h"

#include "form/Form1.h"
#include "form/Module1.h"
#include "form/Poster.h"
#include "platform/ControlLayout.h"

#include <QTextCursor>

#include <algorithm>
#include <vector>

namespace history {

namespace {

bool SamePicture(const platform::Picture &a, const QString &aSource, const platform::Picture &b, const QString &bSource)
{
    if (!aSource.isEmpty() || !bSource.isEmpty())
        return aSource == bSource;
    return a.isSameObject(b);
}

// The controls of one kind in their stacking order, back to front: the order of the client area's
// children, which Qt keeps from back to front.
template<class Slot, std::size_t N>
std::array<int, N> StackingOf(const std::array<Slot *, N> &controls)
{
    std::array<int, N> rank{};
    const QObjectList &children = controls[0]->parentWidget()->children();
    int next = 0;
    for (QObject *child : children) {
        const auto found = std::find(controls.begin(), controls.end(), child);
        if (found != controls.end())
            rank[std::size_t(found - controls.begin())] = next++;
    }
    return rank;
}

// Raises the controls into the ranks the state gives them: only those from the first that stands
// elsewhere, each to the front of its layer in turn.
template<class Slot, std::size_t N, class State>
void Restack(const std::array<Slot *, N> &controls, const std::array<State, N> &states)
{
    const std::array<int, N> now = StackingOf(controls);
    std::array<int, N> wanted{}, present{};
    for (std::size_t i = 0; i < N; ++i) {
        wanted[std::size_t(states[i].stacking)] = int(i);
        present[std::size_t(now[i])] = int(i);
    }
    std::size_t first = 0;
    while (first < N && wanted[first] == present[first])
        ++first;
    for (std::size_t rank = first; rank < N; ++rank)
        platform::BringToFront(controls[std::size_t(wanted[rank])]);
}

template<class Control>
void PlaceExactly(Control &control, double left, double top, double width, double height)
{
    // The handlers set height before width; a picture slot asks for its sharp decode once for both.
    if (control.twipsTop() != top)
        control.setTwipsTop(top);
    if (control.twipsLeft() != left)
        control.setTwipsLeft(left);
    if (control.twipsHeight() != height)
        control.setTwipsHeight(height);
    if (control.twipsWidth() != width)
        control.setTwipsWidth(width);
}

PaperState PaperOf(const platform::PictureBox &box)
{
    return {!box.isHidden(), box.backColor(), box.picture()};
}

// The surface's dots go with a new colour or picture: the caller puts its tiles back after.
void ApplyPaper(platform::PictureBox &box, const PaperState &state)
{
    if (box.backColor() != state.back)
        box.setBackColor(state.back);
    if (!box.picture().isSameObject(state.picture))
        box.setPicture(state.picture);
    if (box.isHidden() == state.shown)
        box.setVisible(state.shown);
}

// Whether a picture shows nothing but the colour under it: none at all, or the still picture a
// move of the wizard keeps of a plain paper.
bool ShowsOnlyColour(const platform::Picture &picture, const QColor &colour)
{
    if (picture.isEmpty())
        return true;
    if (picture.kind() != platform::Picture::Kind::Raster)
        return false;
    const QImage image = picture.image().convertToFormat(QImage::Format_RGB32);
    const QRgb plain = colour.rgb();
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        if (std::any_of(line, line + image.width(), [plain](QRgb pixel) { return pixel != plain; }))
            return false;
    }
    return true;
}

// Whether a paper looks the same: the same, or shown plain in the same colour with or without a
// still picture of itself. A hidden one is shown again after a move, as it is.
bool LooksSame(const PaperState &a, const PaperState &b)
{
    if (a == b)
        return true;
    return a.shown && b.shown && a.back == b.back && ShowsOnlyColour(a.picture, a.back) && ShowsOnlyColour(b.picture, b.back);
}

} // namespace

bool PictureSlotState::operator==(const PictureSlotState &other) const
{
    return shown == other.shown && left == other.left && top == other.top && width == other.width
           && height == other.height && border == other.border && stacking == other.stacking
           && keepsSharp == other.keepsSharp && SamePicture(picture, source, other.picture, other.source);
}

bool PaperState::operator==(const PaperState &other) const
{
    return shown == other.shown && back == other.back && picture.isSameObject(other.picture);
}

PosterState TakeSnapshot(const Form1 &form)
{
    PosterState state;
    const auto pictureRanks = StackingOf(form.Image3);
    for (std::size_t i = 0; i < form.Image3.size(); ++i) {
        const platform::ImageControl &slot = *form.Image3[i];
        state.pictures[i] = {!slot.isHidden(), slot.twipsLeft(), slot.twipsTop(), slot.twipsWidth(), slot.twipsHeight(),
                             slot.borderStyle(), pictureRanks[i], slot.picture(), slot.sourcePath(), slot.keepsSharp()};
    }
    const auto textRanks = StackingOf(form.Text1);
    for (std::size_t i = 0; i < form.Text1.size(); ++i) {
        const platform::RichTextBox &slot = *form.Text1[i];
        state.texts[i] = {!slot.isHidden(), slot.twipsLeft(), slot.twipsTop(), slot.twipsWidth(), slot.twipsHeight(),
                          slot.borderStyle(), textRanks[i], slot.text(), slot.textCursor().position(), slot.fontSize(),
                          slot.backColor(), slot.foreColor()};
    }
    state.paper = PaperOf(*form.Picture1);
    state.paperButton = form.Command12->backColor();
    state.finished = PaperOf(*form.Picture2);
    state.onPoster = form.OnPoster;
    state.selectedKind = Module1::SelectedKind;
    state.selectedIndex = Module1::SelectedIndex;
    state.hasSelection = form.HasSelection;
    return state;
}

void ApplySnapshot(Form1 &form, const PosterState &state)
{
    ApplyPaper(*form.Picture1, state.paper);
    if (form.Command12->backColor() != state.paperButton)
        form.Command12->setBackColor(state.paperButton);
    ApplyPaper(*form.Picture2, state.finished);

    for (std::size_t i = 0; i < form.Text1.size(); ++i) {
        platform::RichTextBox &slot = *form.Text1[i];
        const TextSlotState &want = state.texts[i];
        // The text first: the box sizes itself to it and its change handler may give it the
        // standard size; the size stored comes after.
        slot.setText(want.text);
        if (slot.textCursor().position() != want.caret) {
            QTextCursor caret = slot.textCursor();
            caret.setPosition(std::min(want.caret, int(want.text.size())));
            slot.setTextCursor(caret);
        }
        if (slot.fontSize() != want.fontSize)
            slot.setFontSize(want.fontSize);
        if (slot.backColor() != want.back)
            slot.setBackColor(want.back);
        if (slot.foreColor() != want.fore)
            slot.setForeColor(want.fore);
        if (slot.borderStyle() != want.border)
            slot.setBorderStyle(want.border);
        PlaceExactly(slot, want.left, want.top, want.width, want.height);
        if (slot.isHidden() == want.shown)
            slot.setVisible(want.shown);
    }
    for (std::size_t i = 0; i < form.Image3.size(); ++i) {
        platform::ImageControl &slot = *form.Image3[i];
        const PictureSlotState &want = state.pictures[i];
        if (!SamePicture(slot.picture(), slot.sourcePath(), want.picture, want.source))
            slot.setPicture(want.picture, want.source);
        if (slot.borderStyle() != want.border)
            slot.setBorderStyle(want.border);
        PlaceExactly(slot, want.left, want.top, want.width, want.height);
        slot.setKeepSharp(want.keepsSharp);
        if (slot.isHidden() == want.shown)
            slot.setVisible(want.shown);
    }
    Restack(form.Image3, state.pictures);
    Restack(form.Text1, state.texts);

    form.OnPoster = state.onPoster;
    Module1::SelectedKind = state.selectedKind;
    Module1::SelectedIndex = state.selectedIndex;
    form.HasSelection = state.hasSelection;
}

bool SamePoster(const PosterState &a, const PosterState &b)
{
    if (!LooksSame(a.paper, b.paper) || a.paperButton != b.paperButton || !LooksSame(a.finished, b.finished))
        return false;
    for (std::size_t i = 0; i < a.pictures.size(); ++i) {
        PictureSlotState x = a.pictures[i], y = b.pictures[i];
        // Off the poster a slot is only ever laid over a gallery cell, ready to be picked up, or
        // hidden, free for the next pass over a cell: whether it grew on the poster before is
        // forgotten as soon as it is carried.
        if (x.left >= Poster::PlacedLimit && y.left >= Poster::PlacedLimit)
            continue;
        if (a.onPoster[i] != b.onPoster[i])
            return false;
        x.border = y.border = 0;
        x.stacking = y.stacking = 0;
        if (!(x == y))
            return false;
    }
    for (std::size_t i = 0; i < a.texts.size(); ++i) {
        TextSlotState x = a.texts[i], y = b.texts[i];
        x.border = y.border = 0;
        x.stacking = y.stacking = 0;
        x.caret = y.caret = 0;
        if (!(x == y))
            return false;
    }
    return true;
}

} // namespace history
