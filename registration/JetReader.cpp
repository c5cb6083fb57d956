// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/JetReader.h"

#include "registration/JetProtocol.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

#include <sys/resource.h>

namespace {

const QString ProgramName = QStringLiteral("tovimaru-jet-reader");

// The sanitizers reserve terabytes of address space for their shadow memory: a limit on the
// address space would stop the helper before it starts.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool LimitAddressSpace = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool LimitAddressSpace = false;
#else
constexpr bool LimitAddressSpace = true;
#endif
#else
constexpr bool LimitAddressSpace = true;
#endif

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
    const QString chosen = qEnvironmentVariable("TOVIMARU_JET_READER");
    if (!chosen.isEmpty())
        return chosen;
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {dir + QLatin1Char('/') + ProgramName,
                                     dir + QStringLiteral("/" TOVIMARU_JET_READER_INSTALLED_DIR "/") + ProgramName,
                                     QStringLiteral(TOVIMARU_JET_READER_BUILD_PATH)}) {
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    return QString();
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
