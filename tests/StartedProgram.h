// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The whole program started in this process for the tests of input without a held button:
// the main window shown and active, the registration window put away, the gallery showing
// pictures of a folder, and a black pen that shows on the white paper.

#include "TestSupport.h"

#include "app/Program.h"
#include "app/Startup.h"
#include "form/Form1.h"
#include "form/Module1.h"
#include "images/Gallery.h"
#include "registration/frmList.h"

#include <QtTest>

namespace testing {

// Starts the program with the settings made current and shows names of folder in the gallery;
// *form is its main window, null when it did not come up.
inline void StartOnGallery(const QString &folder, const QStringList &names, Form1 **form)
{
    StartTovimaru();
    *form = qobject_cast<Form1 *>(TopLevel(QStringLiteral("Form1")));
    QVERIFY(*form);
    QVERIFY(QTest::qWaitForWindowExposed(*form));
    if (frmList *registration = CurrentProgram()->registration())
        registration->hide();
    (*form)->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(*form));
    Module1::ImageDir = folder + QLatin1Char('/');
    CurrentProgram()->gallery().ScanImageFolder(names);
    (*form)->Command13->setBackColor(Qt::black);
}

} // namespace testing
