// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/BuiltinPictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString BuiltinPicturesFolder()
{
    const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/" TOVIMARU_PICTURES_FROM_BINDIR);
    for (const QString &candidate : {installed, QStringLiteral(TOVIMARU_PICTURES_BUILD_DIR)}) {
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
    }
    return QString();
}

QString BuiltinPicturesCaption()
{
    return QStringLiteral("とびまる の え");
}
