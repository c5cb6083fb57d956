// SPDX-License-Identifier: GPL-3.0-or-later
#include "input/KanaKanji.h"

#include <QDir>
#include <QStandardPaths>

#ifdef HAVE_ANTHY
#include <anthy/anthy.h>
#endif

#include <vector>

namespace platform {

namespace {

struct Settings
{
    QString dataFolder;
    QString dictionary;
};

Settings &TheSettings()
{
    static Settings settings;
    return settings;
}

// The two forms every conversion can offer.
ConversionSegment KanaSegment(const QString &reading)
{
    constexpr int HiraganaId = -3; // the converter's numbers for these two forms
    constexpr int KatakanaId = -2;
    ConversionSegment segment;
    segment.reading = reading;
    segment.candidates = {ToHiragana(reading), ToKatakana(reading)};
    segment.ids = {HiraganaId, KatakanaId};
    return segment;
}

#ifdef HAVE_ANTHY
class Anthy
{
public:
    static Anthy &instance()
    {
        static Anthy anthy;
        return anthy;
    }

    bool available() const { return m_context != nullptr; }

    QList<ConversionSegment> convert(const QString &reading)
    {
        QList<ConversionSegment> segments;
        m_reading.clear();
        if (anthy_set_string(m_context, reading.toUtf8().constData()) != 0)
            return segments;
        anthy_conv_stat stat{};
        if (anthy_get_stat(m_context, &stat) != 0)
            return segments;
        int offset = 0;
        for (int i = 0; i < stat.nr_segment; ++i) {
            anthy_segment_stat segmentStat{};
            if (anthy_get_segment_stat(m_context, i, &segmentStat) != 0)
                return {};
            ConversionSegment segment;
            segment.reading = reading.mid(offset, segmentStat.seg_len);
            offset += segmentStat.seg_len;
            for (int c = 0; c < segmentStat.nr_candidate; ++c) {
                const QString text = candidate(i, c);
                if (text.isEmpty() || segment.candidates.contains(text))
                    continue;
                segment.candidates.push_back(text);
                segment.ids.push_back(c);
            }
            // The plain forms are always there to choose: first for a reading of one kana, whose
            // kanji are many and seldom meant (a child converting "か" wants か or カ far more
            // often than 課), else last if anthy has not offered them.
            const ConversionSegment plain = KanaSegment(segment.reading);
            const bool plainFirst = reading.size() == 1;
            for (int k = 0; k < plain.candidates.size(); ++k) {
                const int at = int(segment.candidates.indexOf(plain.candidates[k]));
                if (plainFirst && at >= 0) {
                    segment.candidates.removeAt(at);
                    segment.ids.removeAt(at);
                }
                if (plainFirst || at < 0) {
                    const int to = plainFirst ? k : int(segment.candidates.size());
                    segment.candidates.insert(to, plain.candidates[k]);
                    segment.ids.insert(to, plain.ids[k]);
                }
            }
            segments.push_back(segment);
        }
        m_reading = reading;
        m_segments = segments;
        return segments;
    }

    void commit(const QString &reading, const QList<int> &chosen)
    {
        if (reading != m_reading || chosen.size() != m_segments.size())
            return;
        for (int i = 0; i < m_segments.size(); ++i) {
            const int k = chosen[i];
            if (k < 0 || k >= m_segments[i].ids.size())
                return;
        }
        for (int i = 0; i < m_segments.size(); ++i)
            anthy_commit_segment(m_context, i, m_segments[i].ids[chosen[i]]);
        m_reading.clear();
    }

private:
    Anthy()
    {
        const Settings &settings = TheSettings();
        QString folder = settings.dataFolder;
        if (folder.isEmpty())
            folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        // Anthy keeps what it learns in <HOME>/.anthy; it takes HOME from the password file,
        // so it is set here.
        if (!folder.isEmpty() && QDir().mkpath(folder))
            anthy_conf_override("HOME", QFile::encodeName(folder).constData());
        if (!settings.dictionary.isEmpty())
            anthy_conf_override("DIC_FILE", QFile::encodeName(settings.dictionary).constData());
        if (anthy_init() != 0)
            return;
        m_context = anthy_create_context();
        if (m_context)
            anthy_context_set_encoding(m_context, ANTHY_UTF8_ENCODING);
    }

    ~Anthy()
    {
        if (m_context)
            anthy_release_context(m_context);
    }

    QString candidate(int segment, int index)
    {
        const int bytes = anthy_get_segment(m_context, segment, index, nullptr, 0);
        if (bytes <= 0)
            return QString();
        std::vector<char> buffer(static_cast<std::size_t>(bytes) + 1);
        if (anthy_get_segment(m_context, segment, index, buffer.data(), bytes + 1) < 0)
            return QString();
        return QString::fromUtf8(buffer.data());
    }

    anthy_context_t m_context = nullptr;
    QString m_reading; // the last conversion, until it is committed
    QList<ConversionSegment> m_segments;
};
#endif

} // namespace

void ConfigureKanaKanji(const QString &dataFolder, const QString &dictionary)
{
    TheSettings() = {dataFolder, dictionary};
}

bool KanaKanjiAvailable()
{
#ifdef HAVE_ANTHY
    return Anthy::instance().available();
#else
    return false;
#endif
}

QList<ConversionSegment> ConvertKana(const QString &reading)
{
    if (reading.isEmpty())
        return {};
#ifdef HAVE_ANTHY
    if (Anthy::instance().available()) {
        QList<ConversionSegment> segments = Anthy::instance().convert(ToHiragana(reading));
        if (!segments.isEmpty())
            return segments;
    }
#endif
    return {KanaSegment(reading)};
}

void CommitConversion(const QString &reading, const QList<int> &chosen)
{
#ifdef HAVE_ANTHY
    if (Anthy::instance().available())
        Anthy::instance().commit(ToHiragana(reading), chosen);
#else
    Q_UNUSED(reading);
    Q_UNUSED(chosen);
#endif
}

QString ToKatakana(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c.unicode() >= 0x3041 && c.unicode() <= 0x3096)
            c = QChar(c.unicode() + 0x60);
    }
    return result;
}

QString ToHiragana(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6)
            c = QChar(c.unicode() - 0x60);
    }
    return result;
}

} // namespace platform
