// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/JetReader.h"

#include "base/HelperPrograms.h"
#include "registration/JetProtocol.h"

#include <QFileInfo>
#include <QProcess>

#include <sys/resource.h>

namespace {

const QString ProgramName = QStringLiteral("tovimaru-jet-reader");

using helpers::LimitAddressSpace;

// Runs in the child between fork and exec: only async-signal-safe calls.
void LimitChild()
{
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlim_t seconds = JetReaderTimeLimitMsecs / 1000 + 1;
    const rlimit cpu{seconds, seconds};
    setrlimit(RLIMIT_CPU, &cpu);
    if (LimitAddressSpace) {
        const rlimit memory{rlim_t(JetReaderMemoryLimitBytes), rlim_t(JetReaderMemoryLimitBytes)};
        setrlimit(RLIMIT_AS, &memory);
    }
}

} // namespace

QString JetReaderProgram()
{
    return helpers::FindHelperProgram(ProgramName, "TOVIMARU_JET_READER", QStringLiteral(TOVIMARU_JET_READER_INSTALLED_DIR),
                                      helpers::BuildTreePath(QStringLiteral("app/tovimaru-jet-reader")));
}

JetRow ReadFirstJetRow(const QString &path, const QString &table, const QStringList &columns)
{
    const QString program = JetReaderProgram();
    if (program.isEmpty() || columns.size() > MaxJetValues)
        return JetRow();
    QProcess reader;
    reader.setChildProcessModifier(LimitChild);
    reader.setProcessChannelMode(QProcess::SeparateChannels);
    reader.setStandardInputFile(QProcess::nullDevice());
    reader.setStandardErrorFile(QProcess::nullDevice());
    reader.start(program, QStringList{QFileInfo(path).absoluteFilePath(), table} + columns);
    // The answer is small; more than this is nonsense and is not read into memory.
    constexpr qint64 MaxAnswer = 16 + qint64(MaxJetValues) * (4 + MaxJetValueBytes);
    if (!reader.waitForFinished(JetReaderTimeLimitMsecs)) {
        reader.kill();
        reader.waitForFinished(1000);
        return JetRow();
    }
    if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0
        || reader.bytesAvailable() > MaxAnswer)
        return JetRow();
    const std::optional<JetRow> row = DecodeJetRow(reader.readAllStandardOutput());
    if (!row || (row->status == JetRow::Read && row->values.size() != columns.size()))
        return JetRow();
    return *row;
}
