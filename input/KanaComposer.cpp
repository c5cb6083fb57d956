// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/KanaComposer.h"

#include "input/KeyCodes.h"

namespace platform {

namespace {

constexpr QChar Voiced(0x309B);     // ゛
constexpr QChar SemiVoiced(0x309C); // ゜

struct KanaKey
{
    std::uint16_t virtualKey;
    const char16_t *plain;
    const char16_t *shifted; // the same as plain where the key has no shifted kana
};

// The JIS kana layout.
constexpr KanaKey KanaKeys[] = {
    {'1', u"ぬ", u"ぬ"}, {'2', u"ふ", u"ふ"}, {'3', u"あ", u"ぁ"}, {'4', u"う", u"ぅ"}, {'5', u"え", u"ぇ"},
    {'6', u"お", u"ぉ"}, {'7', u"や", u"ゃ"}, {'8', u"ゆ", u"ゅ"}, {'9', u"よ", u"ょ"}, {'0', u"わ", u"を"},
    {0xBD, u"ほ", u"ほ"}, {0xDE, u"へ", u"へ"}, {0xDC, u"ー", u"ー"},
    {'Q', u"た", u"た"}, {'W', u"て", u"て"}, {'E', u"い", u"ぃ"}, {'R', u"す", u"す"}, {'T', u"か", u"か"},
    {'Y', u"ん", u"ん"}, {'U', u"な", u"な"}, {'I', u"に", u"に"}, {'O', u"ら", u"ら"}, {'P', u"せ", u"せ"},
    {0xC0, u"\u309B", u"\u309B"}, {0xDB, u"\u309C", u"「"},
    {'A', u"ち", u"ち"}, {'S', u"と", u"と"}, {'D', u"し", u"し"}, {'F', u"は", u"は"}, {'G', u"き", u"き"},
    {'H', u"く", u"く"}, {'J', u"ま", u"ま"}, {'K', u"の", u"の"}, {'L', u"り", u"り"}, {0xBB, u"れ", u"れ"},
    {0xBA, u"け", u"け"}, {0xDD, u"む", u"」"},
    {'Z', u"つ", u"っ"}, {'X', u"さ", u"さ"}, {'C', u"そ", u"そ"}, {'V', u"ひ", u"ひ"}, {'B', u"こ", u"こ"},
    {'N', u"み", u"み"}, {'M', u"も", u"も"}, {0xBC, u"ね", u"、"}, {0xBE, u"る", u"。"}, {0xBF, u"め", u"・"},
    {0xE2, u"ろ", u"ろ"},
};

struct AsciiKey
{
    std::uint16_t virtualKey;
    char plain, shifted; // 0: the key types nothing
};

// The ASCII characters of a JIS keyboard's punctuation keys and digit row; the yen key is a
// backslash in ASCII and shown as the yen sign.
constexpr AsciiKey AsciiKeys[] = {
    {'1', '1', '!'}, {'2', '2', '"'}, {'3', '3', '#'}, {'4', '4', '$'}, {'5', '5', '%'}, {'6', '6', '&'},
    {'7', '7', '\''}, {'8', '8', '('}, {'9', '9', ')'}, {'0', '0', 0},
    {0xBD, '-', '='}, {0xDE, '^', '~'}, {0xDC, '\\', '|'}, {0xC0, '@', '`'}, {0xDB, '[', '{'},
    {0xBB, ';', '+'}, {0xBA, ':', '*'}, {0xDD, ']', '}'}, {0xBC, ',', '<'}, {0xBE, '.', '>'},
    {0xBF, '/', '?'}, {0xE2, '\\', '_'},
};

QString FullWidth(char c)
{
    if (c == '\\')
        return QStringLiteral("＼");
    return QString(QChar(static_cast<char16_t>(c - 0x21 + 0xFF01)));
}

// Voiced and semi-voiced pairs; katakana follow from these.
constexpr char16_t VoicedPairs[] = u"かがきぎくぐけげこごさざしじすずせぜそぞただちぢつづてでとどはばひびふぶへべほぼうゔ";
constexpr char16_t SemiVoicedPairs[] = u"はぱひぴふぷへぺほぽ";

} // namespace

QString KanaComposer::CharacterOf(std::uint16_t virtualKey, bool shift, bool kanaLock)
{
    if (virtualKey >= vk::Numpad0 && virtualKey <= vk::Numpad0 + 9)
        return QString(QChar(static_cast<char16_t>(u'０' + (virtualKey - vk::Numpad0))));
    if (kanaLock) {
        for (const KanaKey &key : KanaKeys) {
            if (key.virtualKey == virtualKey)
                return QString::fromUtf16(shift ? key.shifted : key.plain);
        }
        return QString();
    }
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return FullWidth(static_cast<char>(shift ? virtualKey : virtualKey - 'A' + 'a'));
    for (const AsciiKey &key : AsciiKeys) {
        if (key.virtualKey == virtualKey) {
            const char c = shift ? key.shifted : key.plain;
            if (!c)
                return QString();
            return virtualKey == 0xDC ? QString(shift ? QStringLiteral("｜") : QStringLiteral("￥")) : FullWidth(c);
        }
    }
    return QString();
}

QString KanaComposer::Combine(const QString &kana, QChar mark)
{
    if (kana.size() != 1)
        return QString();
    const bool katakana = kana[0].unicode() >= 0x30A1 && kana[0].unicode() <= 0x30F6;
    const QChar plain = katakana ? QChar(kana[0].unicode() - 0x60) : kana[0];
    const std::u16string_view pairs = mark == Voiced ? VoicedPairs : SemiVoicedPairs;
    for (std::size_t k = 0; k + 1 < pairs.size(); k += 2) {
        if (pairs[k] == plain.unicode()) {
            const QString combined = QChar(pairs[k + 1]);
            return katakana ? ToKatakana(combined) : combined;
        }
    }
    return QString();
}

KanaComposer::Result KanaComposer::keyDown(std::uint16_t virtualKey, bool shift, bool kanaLock)
{
    Result result;
    switch (virtualKey) {
    case vk::Space:
    case vk::Convert:
        if (m_state == State::Empty) {
            if (virtualKey == vk::Space)
                result.commit = QStringLiteral("\u3000");
        } else if (m_state == State::Composing || m_kanaForm) {
            convert();
        } else {
            // The next candidate of the focused segment, round again after the last.
            const int count = static_cast<int>(m_segments[m_focus].candidates.size());
            m_current[m_focus] = (m_current[m_focus] + 1) % count;
        }
        return result;
    case vk::Return:
        if (m_state == State::Empty)
            result.forwardKey = virtualKey;
        else
            result.commit = commit();
        return result;
    case vk::Back:
        if (m_state == State::Empty) {
            result.forwardKey = virtualKey;
        } else if (m_state == State::Converted) {
            m_state = State::Composing; // back to the reading
            m_segments.clear();
            m_current.clear();
        } else {
            m_units.removeLast();
            if (m_units.isEmpty())
                clear();
        }
        return result;
    case vk::Delete:
        if (m_state == State::Empty) {
            result.forwardKey = virtualKey;
        } else if (m_state == State::Converted) {
            m_state = State::Composing;
            m_segments.clear();
            m_current.clear();
        }
        // The caret stays at the end of a composition: nothing lies right of it.
        return result;
    case vk::F6:
    case vk::F7:
        if (m_state != State::Empty)
            kanaForm(virtualKey == vk::F7);
        return result;
    default:
        break;
    }
    const QString character = CharacterOf(virtualKey, shift, kanaLock);
    if (character.isEmpty())
        return result;
    if (m_state == State::Converted)
        result.commit = commit();
    append(character);
    return result;
}

void KanaComposer::append(const QString &character)
{
    m_state = State::Composing;
    if ((character[0] == Voiced || character[0] == SemiVoiced) && !m_units.isEmpty()) {
        const QString combined = Combine(m_units.last(), character[0]);
        if (!combined.isEmpty()) {
            m_units.last() = combined;
            return;
        }
    }
    m_units.push_back(character);
}

void KanaComposer::convert()
{
    m_segments = ConvertKana(reading());
    if (m_segments.isEmpty())
        return;
    m_learn = KanaKanjiAvailable();
    m_kanaForm = false;
    m_current = QList<int>(m_segments.size(), 0);
    m_focus = 0;
    m_state = State::Converted;
}

void KanaComposer::kanaForm(bool katakana)
{
    ConversionSegment segment;
    segment.reading = reading();
    segment.candidates = {ToHiragana(segment.reading), ToKatakana(segment.reading)};
    m_segments = {segment};
    m_current = {katakana ? 1 : 0};
    m_focus = 0;
    m_learn = false;
    m_kanaForm = true;
    m_state = State::Converted;
}

bool KanaComposer::pick(int index)
{
    if (m_state != State::Converted || index < 0 || index >= m_segments[m_focus].candidates.size())
        return false;
    m_current[m_focus] = index;
    if (m_focus + 1 < m_segments.size()) {
        ++m_focus;
        return false;
    }
    return true;
}

QString KanaComposer::text() const
{
    if (m_state != State::Converted)
        return reading();
    QString shown;
    for (int i = 0; i < m_segments.size(); ++i)
        shown += m_segments[i].candidates[m_current[i]];
    return shown;
}

int KanaComposer::focusStart() const
{
    int start = 0;
    for (int i = 0; i < m_focus && i < m_segments.size(); ++i)
        start += static_cast<int>(m_segments[i].candidates[m_current[i]].size());
    return start;
}

int KanaComposer::focusLength() const
{
    if (m_state != State::Converted)
        return 0;
    return static_cast<int>(m_segments[m_focus].candidates[m_current[m_focus]].size());
}

QStringList KanaComposer::readings() const
{
    QStringList pairs;
    if (m_state != State::Converted)
        return pairs;
    for (int i = 0; i < m_segments.size(); ++i)
        pairs << m_segments[i].candidates[m_current[i]] << m_segments[i].reading;
    return pairs;
}

QString KanaComposer::commit()
{
    const QString shown = text();
    m_committedReadings = readings();
    if (m_state == State::Converted && m_learn)
        CommitConversion(reading(), m_current);
    clear();
    return shown;
}

void KanaComposer::clear()
{
    m_state = State::Empty;
    m_units.clear();
    m_segments.clear();
    m_current.clear();
    m_focus = 0;
    m_learn = false;
    m_kanaForm = false;
}

} // namespace platform
