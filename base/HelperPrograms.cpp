// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/HelperPrograms.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace helpers {

QString FindHelperProgram(const QString &name, const char *environmentVariable, const QString &installedDir,
                          const QString &buildPath)
{
    const QString chosen = qEnvironmentVariable(environmentVariable);
    if (!chosen.isEmpty())
        return chosen;
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {dir + QLatin1Char('/') + name, dir + QLatin1Char('/') + installedDir + QLatin1Char('/') + name, buildPath}) {
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return QString();
}

} // namespace helpers
