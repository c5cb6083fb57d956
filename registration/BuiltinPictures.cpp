// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/BuiltinPictures.h"

#include "base/HelperPrograms.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString BuiltinPicturesFolder()
{
    const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/" TOVIMARU_PICTURES_FROM_BINDIR);
    for (const QString &candidate : {installed, helpers::BuildTreePath(QStringLiteral(TOVIMARU_INSTALL_PICTURESDIR))}) {
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
    }
    return QString();
}

QString BuiltinPicturesCaption()
{
    return QStringLiteral("とびまる の え");
}
