// SPDX-License-Identifier: GPL-3.0-or-later
#include "wmf/WmfText.h"

#include "base/Fonts.h"

#include <QStringDecoder>

namespace platform::wmf {

namespace {

// The name of the codec for a charset, as ICU knows it; nothing for the single-byte default.
const char *codecOf(int charset)
{
    switch (charset) {
    case ShiftJisCharset: return "windows-31j"; // Shift_JIS with the vendor extensions
    case HangulCharset:
    case JohabCharset: return "windows-949";
    case Gb2312Charset: return "GBK";
    case ChineseBig5Charset: return "Big5";
    case GreekCharset: return "windows-1253";
    case TurkishCharset: return "windows-1254";
    case VietnameseCharset: return "windows-1258";
    case HebrewCharset: return "windows-1255";
    case ArabicCharset: return "windows-1256";
    case BalticCharset: return "windows-1257";
    case RussianCharset: return "windows-1251";
    case ThaiCharset: return "windows-874";
    case EastEuropeCharset: return "windows-1250";
    case MacCharset: return "macintosh";
    case OemCharset: return "IBM437";
    default: return "windows-1252";
    }
}

// Whether byte starts a two-byte character in a double-byte charset.
bool isLeadByte(quint8 byte, int charset)
{
    switch (charset) {
    case ShiftJisCharset:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case HangulCharset:
    case JohabCharset:
    case Gb2312Charset:
    case ChineseBig5Charset:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

// The Symbol encoding: Greek letters on the Latin ones, and mathematical signs above 0x80.
char16_t symbolCharacter(quint8 byte)
{
    static constexpr char16_t upper[26] = {u'Α', u'Β', u'Χ', u'Δ', u'Ε', u'Φ', u'Γ', u'Η', u'Ι',
                                           u'ϑ', u'Κ', u'Λ', u'Μ', u'Ν', u'Ο', u'Π', u'Θ', u'Ρ',
                                           u'Σ', u'Τ', u'Υ', u'ς', u'Ω', u'Ξ', u'Ψ', u'Ζ'};
    static constexpr char16_t lower[26] = {u'α', u'β', u'χ', u'δ', u'ε', u'φ', u'γ', u'η', u'ι',
                                           u'ϕ', u'κ', u'λ', u'μ', u'ν', u'ο', u'π', u'θ', u'ρ',
                                           u'σ', u'τ', u'υ', u'ϖ', u'ω', u'ξ', u'ψ', u'ζ'};
    if (byte >= 'A' && byte <= 'Z')
        return upper[byte - 'A'];
    if (byte >= 'a' && byte <= 'z')
        return lower[byte - 'a'];
    switch (byte) {
    case 0x22: return u'∀';
    case 0x24: return u'∃';
    case 0x27: return u'∋';
    case 0x2A: return u'∗';
    case 0x2D: return u'−';
    case 0x40: return u'≅';
    case 0x5C: return u'∴';
    case 0x5E: return u'⊥';
    case 0x60: return u'‾';
    case 0x7E: return u'∼';
    case 0xA2: return u'′';
    case 0xA3: return u'≤';
    case 0xA5: return u'∞';
    case 0xAB: return u'↔';
    case 0xAC: return u'←';
    case 0xAD: return u'↑';
    case 0xAE: return u'→';
    case 0xAF: return u'↓';
    case 0xB0: return u'°';
    case 0xB1: return u'±';
    case 0xB2: return u'″';
    case 0xB3: return u'≥';
    case 0xB4: return u'×';
    case 0xB5: return u'∝';
    case 0xB6: return u'∂';
    case 0xB7: return u'•';
    case 0xB8: return u'÷';
    case 0xB9: return u'≠';
    case 0xBA: return u'≡';
    case 0xBB: return u'≈';
    case 0xBC: return u'…';
    case 0xC5: return u'⊕';
    case 0xC6: return u'∅';
    case 0xC7: return u'∩';
    case 0xC8: return u'∪';
    case 0xC9: return u'⊃';
    case 0xCA: return u'⊇';
    case 0xCB: return u'⊄';
    case 0xCC: return u'⊂';
    case 0xCD: return u'⊆';
    case 0xCE: return u'∈';
    case 0xCF: return u'∉';
    case 0xD0: return u'∠';
    case 0xD1: return u'∇';
    case 0xD5: return u'∏';
    case 0xD6: return u'√';
    case 0xD7: return u'⋅';
    case 0xD8: return u'¬';
    case 0xD9: return u'∧';
    case 0xDA: return u'∨';
    case 0xDB: return u'⇔';
    case 0xDC: return u'⇐';
    case 0xDE: return u'⇒';
    case 0xE1: return u'〈';
    case 0xE5: return u'∑';
    case 0xF1: return u'〉';
    case 0xF2: return u'∫';
    case 0xF3: return u'⌠';
    case 0xF4: return u'⎮';
    case 0xF5: return u'⌡';
    default: break;
    }
    // Pieces of tall brackets: ⎛⎜⎝⎡⎢⎣⎧⎨⎩⎪ and ⎞⎟⎠⎤⎥⎦⎫⎬⎭.
    static constexpr char16_t leftPieces[10] = {u'⎛', u'⎜', u'⎝', u'⎡', u'⎢', u'⎣', u'⎧', u'⎨', u'⎩', u'⎪'};
    static constexpr char16_t rightPieces[9] = {u'⎞', u'⎟', u'⎠', u'⎤', u'⎥', u'⎦', u'⎫', u'⎬', u'⎭'};
    if (byte >= 0xE6 && byte <= 0xEF)
        return leftPieces[byte - 0xE6];
    if (byte >= 0xF6 && byte <= 0xFE)
        return rightPieces[byte - 0xF6];
    return byte < 0x80 ? char16_t(byte) : u'\uFFFD';
}

bool containsAny(const QString &text, std::initializer_list<const char16_t *> words)
{
    for (const char16_t *word : words) {
        if (text.contains(QString::fromUtf16(word), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

std::vector<TextUnit> DecodeText(QByteArrayView bytes, int charset, bool symbolFace)
{
    std::vector<TextUnit> units;
    units.reserve(size_t(bytes.size()));
    if (symbolFace || charset == SymbolCharset) {
        for (const char byte : bytes)
            units.push_back({QString(QChar(symbolCharacter(quint8(byte)))), 1});
        return units;
    }
    QStringDecoder decoder(codecOf(charset));
    for (qsizetype at = 0; at < bytes.size();) {
        const int length = isLeadByte(quint8(bytes[at]), charset) && at + 1 < bytes.size() ? 2 : 1;
        QString text;
        if (decoder.isValid()) {
            text = decoder.decode(bytes.sliced(at, length));
            decoder.resetState();
        } else {
            text = QString::fromLatin1(bytes.sliced(at, length));
        }
        if (text.isEmpty())
            text = QString(QChar(QChar::ReplacementCharacter));
        units.push_back({text, length});
        at += length;
    }
    return units;
}

QString JoinText(const std::vector<TextUnit> &units)
{
    QString text;
    for (const TextUnit &unit : units)
        text += unit.text;
    return text;
}

QString DecodeFaceName(QByteArrayView bytes, int charset)
{
    const qsizetype end = bytes.indexOf('\0');
    const QByteArrayView name = end < 0 ? bytes : bytes.first(end);
    return JoinText(DecodeText(name, charset, false)).trimmed();
}

bool IsSymbolFace(const QString &face)
{
    return face.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
}

QStringList FamiliesFor(const QString &face, int charset, quint8 pitchAndFamily)
{
    const QString japaneseProportional = FamilyOf(FontFace::PGothic);
    const QString japaneseFixed = FamilyOf(FontFace::Gothic);
    QStringList families;
    if (!face.isEmpty())
        families << face;

    constexpr quint8 FamilyMask = 0xF0;
    constexpr quint8 Roman = 0x10;
    constexpr quint8 Modern = 0x30;
    constexpr quint8 FixedPitch = 0x01;
    const bool japanese = charset == ShiftJisCharset
            || containsAny(face, {u"ゴシック", u"明朝", u"Gothic", u"Mincho", u"ｺﾞｼｯｸ", u"丸"});
    if (japanese) {
        // "ＭＳ Ｐゴシック" and "MS PGothic" are proportional, "ＭＳ ゴシック" fixed-pitch.
        const bool proportional = containsAny(face, {u"Ｐ", u"PGothic", u"PMincho", u"UI"})
                || (!(pitchAndFamily & FixedPitch) && face.isEmpty());
        families << (proportional ? japaneseProportional : japaneseFixed);
    } else if (IsSymbolFace(face)) {
        families << QStringLiteral("Standard Symbols PS") << QStringLiteral("DejaVu Sans");
    } else if (containsAny(face, {u"Courier", u"Mono", u"Fixed", u"Terminal", u"Console"})
               || (pitchAndFamily & FamilyMask) == Modern) {
        families << QStringLiteral("Nimbus Mono PS") << QStringLiteral("DejaVu Sans Mono");
    } else if (containsAny(face, {u"Times", u"Roman", u"Serif", u"Georgia", u"Garamond", u"Book"})
               && !containsAny(face, {u"Sans"})) {
        families << QStringLiteral("Nimbus Roman") << QStringLiteral("DejaVu Serif");
    } else if ((pitchAndFamily & FamilyMask) == Roman && face.isEmpty()) {
        families << QStringLiteral("Nimbus Roman") << QStringLiteral("DejaVu Serif");
    } else {
        families << QStringLiteral("Nimbus Sans") << QStringLiteral("DejaVu Sans");
    }
    families << japaneseProportional << japaneseFixed;
    families.removeDuplicates();
    return families;
}

} // namespace platform::wmf
