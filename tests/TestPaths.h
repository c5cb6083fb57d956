// SPDX-License-Identifier: GPL-3.0-or-later
// Where the checkout and the build tree lie, for the tests. The build writes them into a source
// file of its own (TestPaths.cpp in the build folder) instead of the compiler's command line: a
// folder on that line makes every test's object differ from one clone to the next, so that the
// compiler cache could never serve a fresh clone.
#pragma once

#include <QString>

namespace testing {

// A path inside the checkout ("samples/SUN.BMP"); the checkout itself for an empty one.
QString SourcePath(const QString &relative = {});
// A path inside the build tree.
QString BuildPath(const QString &relative = {});
// The program built in this tree.
QString ProgramPath();

} // namespace testing
