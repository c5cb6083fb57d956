// SPDX-License-Identifier: GPL-3.0-or-later
// The Jet reader's helper process: libmdb reading the phrase table of a Jet file, from bytes.
// libmdb is not ours and crashes on some damaged files; that is why it runs in a helper process.
// What this target finds goes into tests/regressions/jet/, where the test suite checks that the
// program reads each such file as an unreadable one and carries on.

#include "registration/JetFile.h"
#include "registration/Phrases.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir(QStringLiteral("/dev/shm/tovimaru-fuzz-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("tovi.mdb"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QStringList columns;
    for (int k = 1; k <= PhraseCount; ++k)
        columns.append(PhraseColumn(k));
    ReadFirstJetRowInProcess(path, PhraseTable, columns);
    return 0;
}
