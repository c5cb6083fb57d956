// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The text side of the metafile player: turning the bytes of a text record into characters by
// the charset of the font that draws them, and choosing installed families for the face the
// metafile names.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

namespace platform::wmf {

// The charsets of a LOGFONT record that change how bytes become characters.
enum Charset : quint8 {
    AnsiCharset = 0,
    DefaultCharset = 1,
    SymbolCharset = 2,
    MacCharset = 77,
    ShiftJisCharset = 128,
    HangulCharset = 129,
    JohabCharset = 130,
    Gb2312Charset = 134,
    ChineseBig5Charset = 136,
    GreekCharset = 161,
    TurkishCharset = 162,
    VietnameseCharset = 163,
    HebrewCharset = 177,
    ArabicCharset = 178,
    BalticCharset = 186,
    RussianCharset = 204,
    ThaiCharset = 222,
    EastEuropeCharset = 238,
    OemCharset = 255,
};

// One character of a text record and the number of bytes it took (1, or 2 for the double-byte
// characters of the East Asian charsets), so that a record's per-byte advances can be summed
// per character.
struct TextUnit
{
    QString text; // one character, maybe a surrogate pair; U+FFFD where the bytes are invalid
    int bytes = 1;
};

// The characters of bytes in the given charset. symbolFace: the font is a Symbol face, whose
// bytes are Greek letters and mathematical signs whatever charset it claims.
std::vector<TextUnit> DecodeText(QByteArrayView bytes, int charset, bool symbolFace);

// The whole string of DecodeText.
QString JoinText(const std::vector<TextUnit> &units);

// The face name of a LOGFONT (up to 32 bytes, ended by a zero byte) in its charset.
QString DecodeFaceName(QByteArrayView bytes, int charset);

// True for a face drawn with the Symbol encoding ("Symbol").
bool IsSymbolFace(const QString &face);

// Installed families to draw a face with, best first: the face itself, then a stand-in of the
// same kind (proportional or fixed gothic for the Japanese faces and charsets, sans, serif or
// fixed-pitch by the face or the pitch-and-family byte otherwise), and a Japanese-capable gothic
// last, for characters none of the others has.
QStringList FamiliesFor(const QString &face, int charset, quint8 pitchAndFamily);

} // namespace platform::wmf
