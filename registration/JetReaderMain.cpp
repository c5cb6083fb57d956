// SPDX-License-Identifier: GPL-3.0-or-later
// The Jet reader's helper process: tovimaru-jet-reader FILE TABLE COLUMN...
// Reads the first row of TABLE with libmdb and writes it as one frame (JetProtocol.h) on its
// standard output. It runs under the program's time and memory limits; if libmdb crashes or
// hangs on a damaged file, only this process goes down.

#include "registration/JetFile.h"
#include "registration/JetProtocol.h"

#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fputs("usage: tovimaru-jet-reader FILE TABLE COLUMN...\n", stderr);
        return 2;
    }
    QStringList columns;
    for (int k = 3; k < argc; ++k)
        columns.append(QString::fromUtf8(argv[k]));
    const JetRow row = ReadFirstJetRowInProcess(QString::fromLocal8Bit(argv[1]), QString::fromUtf8(argv[2]), columns);
    const QByteArray frame = EncodeJetRow(row);
    if (std::fwrite(frame.constData(), 1, std::size_t(frame.size()), stdout) != std::size_t(frame.size()))
        return 1;
    return std::fflush(stdout) == 0 ? 0 : 1;
}
