// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers shared by the program's tests: finding the program's windows and controls by name,
// and answering the modal dialogs the program opens.

#include "TestPaths.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest/QTest>

#include <functional>

namespace testing {

// The dots of a picture box as a user would compare them: a box that has never been drawn on has
// no surface yet, which is the same as a clear one.
template<class Box>
QImage DotsOf(const Box &box)
{
    QImage dots = box.drawingSurface();
    if (dots.isNull()) {
        dots = QImage(box.surfaceSize(), QImage::Format_ARGB32_Premultiplied);
        dots.fill(Qt::transparent);
    }
    return dots;
}

// Every test process has a desktop thumbnail cache of its own, empty at its start, so that no run
// reads what another left and none writes into the user's cache.
inline const struct FreshThumbnailCache
{
    QTemporaryDir folder;
    FreshThumbnailCache() { qputenv("XDG_CACHE_HOME", folder.path().toUtf8()); }
} freshThumbnailCache;

// Nor does a teacher's settings file on this machine reach the tests, nor the programs they start:
// every test process has empty configuration folders of its own.
inline const struct FreshConfiguration
{
    QTemporaryDir folder;
    FreshConfiguration()
    {
        qputenv("XDG_CONFIG_HOME", (folder.path() + QStringLiteral("/home")).toUtf8());
        qputenv("XDG_CONFIG_DIRS", (folder.path() + QStringLiteral("/system")).toUtf8());
    }
} freshConfiguration;

// Nor the user's data folder (tovi.mdb of --user-folders, the poster autosave keeps): every test
// process has an empty one of its own, unless it is a child that shares its parent's.
inline const struct FreshDataHome
{
    QTemporaryDir folder;
    FreshDataHome()
    {
        if (!qEnvironmentVariableIsSet("TOVIMARU_TEST_KEEP_DATA_HOME"))
            qputenv("XDG_DATA_HOME", folder.path().toUtf8());
    }
} freshDataHome;

// The shared corpus of public test pictures and phrase stores: the folder TOVIMARU_TESTDATA names,
// or by default the one beside the checkout, which only the project's own machines have.
inline QString TestdataDir()
{
    const QString chosen = qEnvironmentVariable("TOVIMARU_TESTDATA");
    return chosen.isEmpty() ? testing::SourcePath(QStringLiteral("../shared/testdata")) : chosen;
}

inline QString TestdataPath(const QString &relativePath)
{
    return TestdataDir() + QLatin1Char('/') + relativePath;
}

inline bool HasTestdata()
{
    return QFileInfo(TestdataPath(QStringLiteral("images"))).isDir()
           && QFileInfo(TestdataPath(QStringLiteral("mdb"))).isDir();
}

// Where a missing corpus must fail rather than skip (the project's CI sets this).
inline bool TestdataRequired()
{
    return qEnvironmentVariableIntValue("TOVIMARU_REQUIRE_TESTDATA") != 0;
}

// Resident memory of this process in KiB: a field of /proc/self/status (VmRSS now, VmHWM the
// peak).
inline long ResidentKib(const char *field = "VmRSS:")
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The top-level window with that object name, or nullptr.
inline QWidget *TopLevel(const QString &name)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name)
            return widget;
    }
    return nullptr;
}

// A control of a window by object name ("Command11", "Image3(10)").
template<class T = QWidget>
T *Control(const QString &window, const QString &name)
{
    QWidget *top = TopLevel(window);
    return top ? top->findChild<T *>(name) : nullptr;
}

// Answers the next modal dialog once it is open: inspect() sees it, then it is accepted.
// Polls every 10 ms for at most two seconds, so a test never hangs on a dialog.
inline void AnswerNextModal(std::function<void(QDialog *)> inspect, int tries = 200)
{
    QTimer::singleShot(10, [inspect, tries] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            if (inspect)
                inspect(dialog);
            dialog->accept();
            return;
        }
        if (tries > 0)
            AnswerNextModal(inspect, tries - 1);
    });
}

} // namespace testing

// First line of a test function (or of its _data function) that needs the shared corpus: skips it
// with one line when the corpus is absent, or fails where it is required.
#define SKIP_WITHOUT_TESTDATA()                                                                   \
    do {                                                                                           \
        if (!testing::HasTestdata()) {                                                             \
            if (testing::TestdataRequired())                                                       \
                QFAIL(qPrintable(QStringLiteral("the test corpus is missing: ") + testing::TestdataDir())); \
            QSKIP("the shared test corpus is absent (set TOVIMARU_TESTDATA to its folder)");       \
        }                                                                                          \
    } while (false)

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>

namespace testing {

// Answers the next message box with the button of that role (say, Yes to "replace it?").
inline void AnswerNextMessageBox(QMessageBox::StandardButton button, int tries = 200)
{
    QTimer::singleShot(10, [button, tries] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            if (QAbstractButton *choice = box->button(button)) {
                choice->click();
                return;
            }
        }
        if (tries > 0)
            AnswerNextMessageBox(button, tries - 1);
    });
}

// Hands the next modal dialog of type T, once it is open and shown, to act(), from a posted call
// (not from inside a timer's slot, so that act may open further dialogs of its own). Polls every
// 10 ms for at most tries times.
template<class T = QDialog>
void OnNextModal(std::function<void(T *)> act, int tries = 200)
{
    QTimer::singleShot(10, [act, tries] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible() && dialog->windowHandle()) {
            QMetaObject::invokeMethod(qApp, [act, dialog = QPointer<T>(dialog)] {
                if (dialog)
                    act(dialog);
            }, Qt::QueuedConnection);
            return;
        }
        if (tries > 0)
            OnNextModal<T>(act, tries - 1);
    });
}

// A click on a control of a window as the pointer makes it: through the window's own QWindow,
// at the control's centre, so that it passes where a person's click passes.
inline void ClickThroughWindow(QWidget *control)
{
    QWidget *top = control->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, control->mapTo(top, control->rect().center()));
}

// Answers the next message box with a click on the button of that role, through its window.
inline void ClickNextMessageBox(QMessageBox::StandardButton button, std::function<void(QMessageBox *)> inspect = {},
                                int tries = 200)
{
    OnNextModal<QMessageBox>([button, inspect](QMessageBox *box) {
        if (inspect)
            inspect(box);
        QAbstractButton *choice = box->button(button);
        QVERIFY(choice);
        ClickThroughWindow(choice);
    }, tries);
}

// Every message box of the program speaks in the rounded gothic at one large size (the 27
// pixels, 20.25 points, of the buttons) and has a big OK button.
inline void ExpectTheProgramsMessageLook(const QString &family, int pixelSize, QSize ok)
{
    QCOMPARE(family, QStringLiteral("MotoyaLMaru"));
    QCOMPARE(pixelSize, 27);
    QVERIFY2(ok.width() >= 160 && ok.height() >= 56, qPrintable(QStringLiteral("OK is %1 x %2").arg(ok.width()).arg(ok.height())));
}

inline void ExpectTheProgramsMessageLook(QMessageBox *box)
{
    QAbstractButton *ok = box->button(QMessageBox::Ok);
    QVERIFY(ok);
    QVERIFY(box->font().bold());
    ExpectTheProgramsMessageLook(box->font().families().value(0), box->font().pixelSize(), ok->size());
}

// Rejects (cancels) the next modal dialog once it is open.
inline void CancelNextModal(int tries = 200)
{
    QTimer::singleShot(10, [tries] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            dialog->reject();
            return;
        }
        if (tries > 0)
            CancelNextModal(tries - 1);
    });
}

// Runs a command and returns what it printed; empty when it could not run.
inline QString Run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace testing
