// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SpokenText.h"

#include <QHash>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

// Captions a voice reads wrongly, and what it is given instead.
const QHash<QString, QString> &CaptionForms()
{
    static const QHash<QString, QString> forms = {
        {QStringLiteral("つぎへ"), QStringLiteral("つぎえ")},
        {QStringLiteral("ー"), QStringLiteral("のばす")},
        {QStringLiteral(" ゛"), QStringLiteral("てんてん")},
        {QStringLiteral(" ゜"), QStringLiteral("まる")},
        {QStringLiteral("、"), QStringLiteral("てん")},
        {QStringLiteral("。"), QStringLiteral("まる")},
        {QStringLiteral("漢\u3000\u3000字"), QStringLiteral("かんじ")},
        {QStringLiteral("カナ入力きりかえ"), QStringLiteral("かなにゅうりょく きりかえ")},
        {QStringLiteral("け\u3000\u3000す"), QStringLiteral("けす")},
        {QStringLiteral("こ\u3000もじ"), QStringLiteral("こもじ")},
        {QStringLiteral("←"), QStringLiteral("ひとつ けす")},
        {QStringLiteral("ＯＫ"), QStringLiteral("おーけー")},
        {QStringLiteral("OK"), QStringLiteral("おーけー")},
        {QStringLiteral("▲"), QStringLiteral("うえ")},
        {QStringLiteral("▼"), QStringLiteral("した")},
        {QStringLiteral("Tovimaru２"), QStringLiteral("とびまる に")},
        {QStringLiteral("１．かみのいろを きめます"), QStringLiteral("いち、かみのいろを きめます")},
        {QStringLiteral("２．がぞうを\u3000はります"), QStringLiteral("に、がぞうを はります")},
        {QStringLiteral("３．もじを\u3000はります"), QStringLiteral("さん、もじを はります")},
        {QStringLiteral("４．しあげ／ほぞんします"), QStringLiteral("よん、しあげ、ほぞんします")},
    };
    return forms;
}

bool IsKanji(char32_t c)
{
    return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0x20000 && c <= 0x3FFFF) || c == 0x3005; // 々 stands for a kanji
}

// The reading of a converted segment as it is said: a particle は or へ that closes a segment
// written with kanji ("今日は", "学校へ") is said わ or え.
QString SaidReading(const QString &written, const QString &reading)
{
    if (written.size() < 2 || reading.isEmpty() || !IsKanji(written.at(written.size() - 2).unicode()))
        return reading;
    const QChar last = written.back();
    if (reading.back() != last)
        return reading;
    if (last == QChar(u'は'))
        return reading.chopped(1) + QChar(u'わ');
    if (last == QChar(u'へ'))
        return reading.chopped(1) + QChar(u'え');
    return reading;
}

} // namespace

QStringList ReadingsOf(const QWidget *box)
{
    return box ? box->property(ReadingsProperty).toStringList() : QStringList();
}

void KeepReading(QWidget *box, const QString &written, const QString &reading)
{
    if (!box || written.isEmpty() || written == reading)
        return;
    QStringList readings = ReadingsOf(box);
    for (qsizetype i = 0; i + 1 < readings.size(); i += 2) {
        if (readings[i] == written) {
            readings[i + 1] = reading;
            box->setProperty(ReadingsProperty, readings);
            return;
        }
    }
    box->setProperty(ReadingsProperty, readings << written << reading);
}

QString SpokenCaption(const QString &caption)
{
    const auto form = CaptionForms().constFind(caption);
    return form != CaptionForms().cend() ? *form : SpokenText(caption);
}

QString SpokenText(const QString &text, const QStringList &readings, bool readsKanji)
{
    QString said = text;
    if (!readsKanji) {
        // The longest written forms first, so that "日本語" is not read as "日本" + "語".
        std::vector<std::pair<QString, QString>> pairs;
        for (qsizetype i = 0; i + 1 < readings.size(); i += 2)
            pairs.emplace_back(readings[i], SaidReading(readings[i], readings[i + 1]));
        std::stable_sort(pairs.begin(), pairs.end(),
                         [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
        for (const auto &[written, reading] : pairs)
            said.replace(written, reading);
    }
    // Full-width digits, letters and signs become their plain forms.
    // A voicing mark that no kana took in is not said; NFKC would make it a space and a mark.
    said.remove(QChar(0x309B)).remove(QChar(0x309C));
    said = said.normalized(QString::NormalizationForm_KC);
    QString result;
    result.reserve(said.size());
    const QList<uint> characters = said.toUcs4();
    for (uint c : characters) {
        if (c == 0x3099 || c == 0x309A || (!readsKanji && IsKanji(c)))
            continue;
        result.append(QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1));
    }
    return result.simplified();
}

} // namespace platform
