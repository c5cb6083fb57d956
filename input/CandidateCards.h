// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The candidates of a conversion as large cards in the rounded gothic face, laid out in a row
// near the text box being typed into, the current one highlighted. A click on a card picks it.
// The cards never take the focus from the text box.

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace platform {

class CandidateCards final : public QWidget
{
    Q_OBJECT
public:
    explicit CandidateCards(QWidget *parent = nullptr);

    // Shows the page of candidates that holds the current one, near box (a widget of the same
    // window as this one's parent).
    void showFor(QWidget *box, const QStringList &candidates, int current);

    // The cards shown, left to right; each card's index property is its candidate's index.
    QList<QLabel *> cards() const { return m_cards; }

    static constexpr int CardHeight = 52; // logical pixels
    static constexpr double CardPoints = 24;

signals:
    void picked(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *makeCard(const QFont &font);

    QList<QLabel *> m_cards; // shown
    QList<QLabel *> m_pool;  // made so far
};

} // namespace platform
