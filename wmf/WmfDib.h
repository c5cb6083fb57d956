#pragma once

// The device-independent bitmaps that metafile records embed (brush patterns, StretchDIB and
// the DIB bit blocks), checked and decoded. Not part of the library's interface.

#include <QByteArrayView>
#include <QImage>

namespace platform::wmf::detail {

struct Palette;

// Whether a DIB header may begin with this size: the core header or one of the info headers.
bool isDibHeaderSize(quint32 size);
QImage decodeDib(QByteArrayView dib, bool paletteIndices, const Palette *palette);

} // namespace platform::wmf::detail
