// SPDX-License-Identifier: GPL-3.0-or-later
// How the desktop tests start the installed program and work it as a person does: xdotool's
// clicks, moves and keys, by each hand that holds no button (clicks, dwell, keys).

#include "tst_desktop.h"

namespace {

// Key names of xdotool for the pointer keys, with Ctrl while a text box has the keyboard focus.
QStringList PointerKeys(QPoint delta, bool ctrl)
{
    QStringList keys;
    const QString prefix = ctrl ? QStringLiteral("ctrl+") : QString();
    for (const bool across : {true, false}) {
        int d = across ? delta.x() : delta.y();
        const QString way = across ? (d < 0 ? QStringLiteral("Left") : QStringLiteral("Right"))
                                   : (d < 0 ? QStringLiteral("Up") : QStringLiteral("Down"));
        const int sign = d < 0 ? -1 : 1;
        for (; sign * d >= 40; d -= sign * 40)
            keys.append(prefix + QStringLiteral("shift+") + way);
        for (; sign * d >= 4; d -= sign * 8)
            keys.append(prefix + way);
    }
    return keys;
}

} // namespace

QString TestDesktop::startProgram(const QStringList &arguments)
{
    QString form, registration;
    start(arguments, &form, &registration);
    if (QTest::currentTestFailed() || registration.isEmpty())
        return {};
    click(registration, m_places.confirm);
    QElapsedTimer clock;
    for (clock.start(); clock.elapsed() < 10000; QTest::qWait(100)) {
        if (xdo({"search", "--onlyvisible", "--name", QStringLiteral("データの登録")}).isEmpty())
            return form;
    }
    return {};
}

void TestDesktop::carryPicture(const QString &form)
{
    const QPoint cell = origin(form) + m_places.cell0;
    const QPoint poster = origin(form) + m_places.poster;
    xdo({"mousemove", QString::number(cell.x()), QString::number(cell.y())});
    QTest::qWait(400);
    xdo({"mousedown", "1"});
    for (int k = 1; k <= 8; ++k) {
        const QPoint p = cell + (poster - cell) * k / 8;
        xdo({"mousemove", QString::number(p.x()), QString::number(p.y())});
        QTest::qWait(50);
    }
    xdo({"mouseup", "1"});
    QTest::qWait(300);
}

QString TestDesktop::waitForNewWindow(const QStringList &before, int ms, bool named)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        for (const QString &window : windows()) {
            if (!before.contains(window) && (!named || !xdo({"getwindowname", window}).isEmpty()))
                return window;
        }
        QTest::qWait(100);
    }
    return {};
}

bool TestDesktop::waitForFocus(const QString &window, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        if (xdo({"getwindowfocus"}) == window)
            return true;
        QTest::qWait(100);
    }
    return false;
}

QString TestDesktop::openDialog(const QString &window, QPoint button)
{
    const QStringList before = windows();
    click(window, button);
    const QString dialog = waitForNewWindow(before);
    if (dialog.isEmpty() || !waitForFocus(dialog))
        return {};
    QTest::qWait(300);
    return dialog;
}

QPoint TestDesktop::origin(const QString &window)
{
    int left = 0, top = 0;
    for (const QString &line : xdo({"getwindowgeometry", "--shell", window}).split('\n')) {
        if (line.startsWith(QLatin1String("X=")))
            left = line.mid(2).toInt();
        else if (line.startsWith(QLatin1String("Y=")))
            top = line.mid(2).toInt();
    }
    return {left, top};
}

void TestDesktop::click(const QString &window, QPoint at)
{
    const QPoint p = origin(window) + at;
    xdo({"mousemove", QString::number(p.x()), QString::number(p.y())});
    QTest::qWait(150);
    xdo({"click", "1"});
    QTest::qWait(300);
}

void TestDesktop::start(const QStringList &arguments, QString *form, QString *registration)
{
    const QStringList before = windows();
    m_program.setProcessEnvironment(m_env);
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start(m_prefix + QStringLiteral("/bin/tovimaru"), arguments);
    QVERIFY(m_program.waitForStarted());
    // The main window and the registration window above it.
    QVERIFY2(!waitForNewWindow(before).isEmpty(), "no window opened");
    QTRY_VERIFY_WITH_TIMEOUT(!(*form = xdo({"search", "--onlyvisible", "--name", "^Tovimaru$"}).section('\n', 0, 0)).isEmpty(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!(*registration = xdo({"search", "--onlyvisible", "--name", QStringLiteral("データの登録")})
                                                   .section('\n', 0, 0))
                                  .isEmpty(),
                             10000);
    QTest::qWait(500);
}

void TestDesktop::shot(const QString &name)
{
    if (m_shots.isEmpty())
        return;
    QProcess::execute(QStringLiteral("sh"), {"-c", QStringLiteral("DISPLAY=%1 import -window root '%2/%3.png'")
                                                      .arg(m_env.value(QStringLiteral("DISPLAY")), m_shots, name)});
}

void TestDesktop::pointTo(Hand hand, QPoint at)
{
    if (hand == Hand::Keys) {
        const QStringList keys = PointerKeys(at - m_pointer, m_ctrl);
        for (const QString &key : keys) {
            const QString name = key.section('+', -1);
            const int step = key.contains(QLatin1String("shift+")) ? 40 : 8;
            m_pointer += (name == QLatin1String("Left") ? QPoint(-step, 0) : name == QLatin1String("Right") ? QPoint(step, 0)
                          : name == QLatin1String("Up") ? QPoint(0, -step) : QPoint(0, step));
        }
        if (!keys.isEmpty())
            xdo(QStringList{"key", "--delay", "8"} + keys);
        QTest::qWait(50);
        return;
    }
    xdo({"mousemove", QString::number(at.x()), QString::number(at.y())});
    QTest::qWait(60);
}

void TestDesktop::use(Hand hand, QPoint at)
{
    pointTo(hand, at);
    switch (hand) {
    case Hand::Clicks:
        xdo({"click", "1"});
        break;
    case Hand::Dwell:
        QTest::qWait(500); // the shortest rest, and a little for the ring's last frame
        break;
    case Hand::Keys:
        xdo({"key", m_ctrl ? "ctrl+space" : "space"});
        break;
    }
    QTest::qWait(hand == Hand::Dwell ? 200 : 120);
}

void TestDesktop::carryBy(Hand hand, QPoint from, QPoint to)
{
    use(hand, from);
    // Moved as a hand moves, in steps; no step rests long enough for a dwell's click.
    for (int k = 1; k < 4; ++k)
        pointTo(hand, from + (to - from) * k / 4);
    use(hand, to);
}
