// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ten ready-made phrases as the registration window and the phrase store share them, and
// where the store keeps them: one table, one text column per phrase, the first record only.

#include <QString>

#include <array>

inline constexpr int PhraseCount = 10;

// Phrase k (1..10) is Phrases[k - 1]; an empty phrase is "".
using Phrases = std::array<QString, PhraseCount>;

inline const QString PhraseTable = QStringLiteral("所属テーブル");

// The column of phrase k (1..10): "moji1".."moji10".
inline QString PhraseColumn(int k)
{
    return QStringLiteral("moji%1").arg(k);
}
