// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A player for Windows metafiles (WMF) on QPainter.
//
// The file is parsed once into a list of records whose sizes have been checked against the
// data; playing walks that list and draws each record it knows, with the device context of the
// original platform (pens, brushes, fonts, palettes and regions in an object table, the window
// mapping, clipping, text alignment and colours, saved and restored as a stack). Nothing is
// drawn where the metafile draws nothing, so a picture sits on the paper without a box.
//
// Every read is bounds-checked. A file may be hostile: the records kept, the objects, the
// points, characters and bitmap pixels a record may ask for, the depth of saved states and the
// total work of one play are all capped, so that no file crashes, hangs or allocates without
// bound. What lies before the first bad record is still played.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <optional>
#include <vector>

class QPainter;

namespace platform::wmf {

// The caps on what one file may ask for.
inline constexpr int MaxRecords = 200000;
inline constexpr int MaxObjects = 65535;      // the record's 16-bit object index can go no further
inline constexpr int MaxSavedStates = 1024;
inline constexpr int MaxTextBytes = 4096;     // bytes of one text record
inline constexpr int MaxRegionRects = 4096;   // rectangles of one region
inline constexpr int MaxDibSide = 8192;       // an embedded bitmap's width and height
inline constexpr qint64 MaxDibPixels = qint64(4096) * 4096;
// The work of one play: points drawn, and the area of what is filled or stroked, in multiples of
// the target's area (the overdraw). Clip art stays far below both.
inline constexpr qint64 MaxPointsPerPlay = 4000000;
inline constexpr int MaxOverdraw = 400;

// The record function numbers the player knows by name.
enum Function : quint16 {
    EndOfFile = 0x0000,
    SaveDC = 0x001E,
    RealizePalette = 0x0035,
    SetPalEntries = 0x0037,
    CreatePalette = 0x00F7,
    SetBkMode = 0x0102,
    SetMapMode = 0x0103,
    SetRop2 = 0x0104,
    SetRelAbs = 0x0105,
    SetPolyFillMode = 0x0106,
    SetStretchBltMode = 0x0107,
    SetTextCharExtra = 0x0108,
    RestoreDC = 0x0127,
    InvertRegion = 0x012A,
    PaintRegion = 0x012B,
    SelectClipRegion = 0x012C,
    SelectObject = 0x012D,
    SetTextAlign = 0x012E,
    ResizePalette = 0x0139,
    DibCreatePatternBrush = 0x0142,
    SetLayout = 0x0149,
    DeleteObject = 0x01F0,
    CreatePatternBrush = 0x01F9,
    SetBkColor = 0x0201,
    SetTextColor = 0x0209,
    SetTextJustification = 0x020A,
    SetWindowOrg = 0x020B,
    SetWindowExt = 0x020C,
    SetViewportOrg = 0x020D,
    SetViewportExt = 0x020E,
    OffsetWindowOrg = 0x020F,
    OffsetViewportOrg = 0x0211,
    LineTo = 0x0213,
    MoveTo = 0x0214,
    OffsetClipRgn = 0x0220,
    FillRegion = 0x0228,
    SetMapperFlags = 0x0231,
    SelectPalette = 0x0234,
    CreatePenIndirect = 0x02FA,
    CreateFontIndirect = 0x02FB,
    CreateBrushIndirect = 0x02FC,
    Polygon = 0x0324,
    Polyline = 0x0325,
    ScaleWindowExt = 0x0410,
    ScaleViewportExt = 0x0412,
    ExcludeClipRect = 0x0415,
    IntersectClipRect = 0x0416,
    Ellipse = 0x0418,
    FloodFill = 0x0419,
    FrameRegion = 0x0429,
    Rectangle = 0x041B,
    SetPixel = 0x041F,
    AnimatePalette = 0x0436,
    TextOut = 0x0521,
    PolyPolygon = 0x0538,
    ExtFloodFill = 0x0548,
    RoundRect = 0x061C,
    PatBlt = 0x061D,
    Escape = 0x0626,
    CreateRegion = 0x06FF,
    Arc = 0x0817,
    Pie = 0x081A,
    Chord = 0x0830,
    BitBlt = 0x0922,
    DibBitBlt = 0x0940,
    ExtTextOut = 0x0A32,
    StretchBlt = 0x0B23,
    DibStretchBlt = 0x0B41,
    StretchDib = 0x0F43,
};

// One record: its function and where its parameters lie in the file's bytes.
struct Record
{
    quint16 function = 0;
    quint32 offset = 0; // of the first parameter
    quint32 size = 0;   // bytes of parameters
};

class Metafile final
{
public:
    // The records of a metafile, with or without the placeable header: the METAHEADER must be
    // sound (type 1 or 2, 9 words), after it the records are taken up to the end-of-file record,
    // the end of the data, the first record whose size is below 3 words or runs past the data,
    // or MaxRecords. Nothing for data that is not a metafile at all.
    static std::optional<Metafile> parse(QByteArrayView bytes);

    bool isPlaceable() const { return m_placeable; }
    // The part of the metafile's logical space that fills the target: the placeable header's
    // bounding box, or for a metafile without one the first window it sets (the logical space
    // 1:1 if it sets none).
    QRect frame() const { return m_frame; }
    int unitsPerInch() const { return m_unitsPerInch; } // 0 without the placeable header
    int objectSlots() const { return m_objectSlots; }   // as the METAHEADER declares
    const std::vector<Record> &records() const { return m_records; }
    QByteArrayView bytes() const { return m_bytes; }

    // Plays the records so that the frame fills target (in the painter's coordinates), clipped
    // to target. Hair lines are one unit of the painter's coordinates wide, so one logical pixel
    // whatever the device's pixel ratio. The painter's state is kept.
    void play(QPainter &painter, const QRectF &target) const;

    // A rendering of pixels.width() x pixels.height(), transparent where nothing is drawn,
    // with the given devicePixelRatio (pixels per logical pixel of the target). A null image
    // for an empty or too large size.
    QImage render(const QSize &pixels, qreal pixelRatio = 1.0) const;

private:
    void playWithHairline(QPainter &painter, const QRectF &target, qreal hairline) const;

    QByteArray m_bytes;
    std::vector<Record> m_records;
    QRect m_frame;
    int m_unitsPerInch = 0;
    int m_objectSlots = 0;
    bool m_placeable = false;
};

} // namespace platform::wmf
