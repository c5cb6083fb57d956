// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A private speech-dispatcher with espeak-ng's Japanese, started under a temporary folder for one
// process: its sound goes to a raw file (22.05 kHz, 16-bit mono, through ALSA's file plugin), so
// that it runs headless with no sound card, and SPEECHD_ADDRESS points this process at it. The
// daemon is killed by its pid file when this goes.

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

namespace testing {

class PrivateSpeechDispatcher
{
public:
    PrivateSpeechDispatcher() = default;
    PrivateSpeechDispatcher(const PrivateSpeechDispatcher &) = delete;
    PrivateSpeechDispatcher &operator=(const PrivateSpeechDispatcher &) = delete;

    ~PrivateSpeechDispatcher()
    {
        QFile pid(m_folder.filePath(QStringLiteral("speechd.pid")));
        if (pid.open(QIODevice::ReadOnly)) {
            const int id = pid.readAll().trimmed().toInt();
            if (id > 0)
                ::kill(id, SIGKILL);
        }
        qunsetenv("SPEECHD_ADDRESS");
    }

    // Why it cannot run here, or an empty string.
    static QString Missing()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("speech-dispatcher")).isEmpty())
            return QStringLiteral("speech-dispatcher is not installed");
        if (!QFileInfo::exists(QStringLiteral("/usr/lib/speech-dispatcher-modules/sd_espeak-ng")))
            return QStringLiteral("speech-dispatcher-espeak-ng is not installed");
        return {};
    }

    // Starts the daemon; false when it did not come up within timeoutMs.
    bool start(int timeoutMs = 30000)
    {
        QFile conf(m_folder.filePath(QStringLiteral("speechd.conf")));
        if (!m_folder.isValid() || !conf.open(QIODevice::WriteOnly))
            return false;
        conf.write(QStringLiteral("LogLevel 2\nLogDir \"%1\"\nAudioOutputMethod \"alsa\"\n"
                                  "AudioALSADevice \"file:%2,raw\"\n"
                                  "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n"
                                  "DefaultModule espeak-ng\nDefaultLanguage \"ja\"\n")
                       .arg(m_folder.path(), sound())
                       .toUtf8());
        conf.close();
        const QString socket = m_folder.filePath(QStringLiteral("speechd.sock"));
        const QString pidFile = m_folder.filePath(QStringLiteral("speechd.pid"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder.path());
        QProcess daemon;
        daemon.setProcessEnvironment(environment);
        daemon.start(QStringLiteral("speech-dispatcher"),
                     {"-d", "-t", "0", "-C", m_folder.path(), "-S", socket, "-P", pidFile});
        if (!daemon.waitForFinished(timeoutMs))
            return false;
        for (int waited = 0; waited < timeoutMs; waited += 50) {
            if (QFileInfo::exists(socket) && QFileInfo::exists(pidFile)) {
                qputenv("SPEECHD_ADDRESS", ("unix_socket:" + socket).toUtf8());
                return true;
            }
            QThread::msleep(50);
        }
        return false;
    }

    // The raw samples written so far.
    QString sound() const { return m_folder.filePath(QStringLiteral("sound.raw")); }

private:
    QTemporaryDir m_folder;
};

} // namespace testing
