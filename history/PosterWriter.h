// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Keeps the poster of the main window in its file (the settings autosave and shelf), with the
// bytes of its pictures' files and a small picture of it: after every gesture,
// at most every two seconds, at every move of the wizard, and once more, waited for, before the
// program ends. The GUI thread only takes the poster (a snapshot; the pixels shared, not
// copied); a thread of the writer's own encodes it and writes the file whole (QSaveFile), so a
// crash loses at most the last two seconds and never leaves half a file.
//
// Nothing is written before the poster of this run begins: its first gesture, its first move
// of the wizard, or the poster taken up again. A child who starts the program and ends it again
// without touching the poster keeps the poster that was saved before.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

#include <map>
#include <memory>

class Form1;

namespace history {

class PosterWriter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PosterWriter)
public:
    // The shortest time between two writes after gestures, in ms.
    static constexpr int IntervalMs = 2000;

    // A child of the main window, where the subsystems' report of a gesture finds it.
    PosterWriter(Form1 &form, const QString &path);
    ~PosterWriter() override; // waits for a write on its way

    // The writer of that window, or nullptr.
    static PosterWriter *Of(const Form1 &form);

    const QString &path() const { return m_path; }

    // A gesture ended: the poster is written within IntervalMs.
    void gestureEnded();
    // The wizard moved: the poster is written now, off the GUI thread.
    void stepMoved();
    // The poster was taken up again from its file: it is this run's poster from now on. sources:
    // the bytes of its pictures' files the file kept, written again while slots name them.
    void begin(const std::map<QString, QByteArray> &sources = {});
    // The file the next writes go to.
    void setPath(const QString &path);
    // Before the program ends: the poster is written now, and this returns once it is.
    void writeNow();

    // Files written so far (whether or not they could be written).
    int writes() const { return m_writes; }
    // The processor time the GUI thread spent on the latest write, in ns.
    qint64 lastGuiTimeNs() const { return m_lastGuiTimeNs; }

signals:
    // A write has ended; ok when the file now holds the poster.
    void written(bool ok);

private:
    struct Shared;
    void schedule(int delayMs);
    void startWrite();
    void finished(bool ok);

    Form1 &m_form;
    QString m_path;
    QTimer m_timer;
    QThread m_thread;   // the writer's own, started once: handing it a write is only posting it
    QObject *m_worker;  // lives in m_thread; the writes run in its events
    QElapsedTimer m_sinceLastWrite;
    std::shared_ptr<Shared> m_shared;
    bool m_begun = false;
    bool m_writing = false;
    bool m_pending = false;
    int m_writes = 0;
    qint64 m_lastGuiTimeNs = 0;
};

} // namespace history
