// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The setting shelf: every poster is kept as a file of its own in the user's data folder
// (posters/, at most MostKept of them; the oldest beyond are moved into posters/older/, never
// deleted), and the big button CommandShelf "たな" in the side panel of step 1 opens the shelf: a
// page of big pictures of the posters kept, newest first, each its own small picture and nothing
// to read, with "あたらしく" (the fresh poster of step 1) and "ごみばこ" (a poster into the bin,
// posters/bin/, after a question). The shelf reads only the small picture each file keeps; a
// file that cannot be read is set aside under another name and the others show.
//
// A teacher's starters (half-made posters to begin from) stand in a row of their own above the
// posters, each marked with a star; taking one begins a new poster as a copy of it. They are the
// posters of every tovimaru/starters folder of the user's data folder and of $XDG_DATA_DIRS, and
// the program's own five, drawn by the build (tools/makestarters.cpp) and installed beside its own
// pictures (a file of one name once, the user's first).

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <atomic>
#include <future>

class QPushButton;

namespace shelf {

inline constexpr int MostKept = 200;

QString Folder();      // $XDG_DATA_HOME/tovimaru/posters
QString BinFolder();   // posters/bin
QString OlderFolder(); // posters/older: the posters beyond MostKept
// A name for a new poster's file, free and after every name before.
QString NewPosterPath();
// The posters kept, newest first.
QStringList Posters();
// The user's own starters: $XDG_DATA_HOME/tovimaru/starters.
QString StarterFolder();
// Every starter, in the order of their folders, by name within each.
QStringList Starters();
// Moves the oldest posters beyond count into OlderFolder().
void KeepAtMost(int count);
// Moves a poster's file into a folder, under a free name; returns the new path, empty on failure.
QString MoveInto(const QString &path, const QString &folder);

} // namespace shelf

class ShelfWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShelfWindow)
public:
    static const QString BinQuestion; // "このぽすたーを ごみばこに いれますか？"

    // Over the main window, which it blocks while it is shown.
    explicit ShelfWindow(QWidget &over);
    ~ShelfWindow() override;

    // The poster buttons, in the order shown, and the starters'.
    QList<QPushButton *> posterButtons() const;
    QList<QPushButton *> starterButtons() const { return m_starters; }

signals:
    // A poster was taken: its file; a starter begins a new poster. The window closes itself.
    void taken(const QString &path, bool starter);

private:
    QPushButton *addPoster(QList<QPushButton *> &row, const QString &path, const QImage &picture);
    // Places the starters' rows, then the posters' below them.
    void arrange();
    void showPicture(const QString &path, const QImage &picture, bool sound);
    void take(QPushButton *poster);

    QWidget *m_page; // the posters' page, in a scroll area
    struct Grid
    {
        int columns = 0;
        QSize tile; // a poster's button
    };
    Grid m_posterGrid;  // three columns, or as many as the window's width holds at the small pictures' size
    Grid m_starterGrid; // five where the posters stand three, smaller
    QPushButton *m_bin;
    QList<QPushButton *> m_posters;
    QList<QPushButton *> m_starters;
    // The small pictures beyond the first page, read on another thread.
    std::atomic_bool m_stop{false};
    std::future<void> m_reading;
};
