// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A private CUPS daemon with one PDF queue, started under a temporary folder for one test
// process: CUPS_SERVER points this process (and the programs it starts) at it, and the PDF
// backend writes each job into out(). CUPS's PDF backend needs a server running as root.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

namespace testing {

class PrivateCups
{
public:
    // queue names the queue and the backend's settings file: one name per test program, so
    // that two of them can run at once.
    explicit PrivateCups(QString queue) : m_queue(std::move(queue)) {}
    PrivateCups(const PrivateCups &) = delete;
    PrivateCups &operator=(const PrivateCups &) = delete;

    ~PrivateCups()
    {
        if (m_cupsd.state() != QProcess::NotRunning) {
            m_cupsd.terminate();
            m_cupsd.waitForFinished(5000);
        }
        QFile::remove(backendSettings());
        QFile::remove(QStringLiteral("/var/log/cups/cups-pdf-%1_log").arg(m_queue));
    }

    // Why the server cannot run here, or an empty string.
    static QString Unavailable()
    {
        if (geteuid() != 0)
            return QStringLiteral("the PDF queue needs a print server running as root");
        if (QStandardPaths::findExecutable(QStringLiteral("cupsd"), {"/usr/sbin", "/sbin"}).isEmpty()
            || !QFile::exists(QStringLiteral("/usr/lib/cups/backend/cups-pdf")))
            return QStringLiteral("cups and printer-driver-cups-pdf are not installed");
        return {};
    }

    // Starts the server and makes the queue its default; false, with why, when it fails.
    bool start(QString *why)
    {
        const QString d = m_work.path();
        m_out = d + QStringLiteral("/out");
        for (const char *sub : {"etc", "spool/tmp", "cache", "state", "log", "out"})
            QDir().mkpath(d + QLatin1Char('/') + QLatin1String(sub));
        write(d + "/etc/cups-files.conf",
              QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                             "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                             "PageLog %1/log/page_log\nSystemGroup root\nFileDevice No\n")
                  .arg(d));
        write(d + "/etc/cupsd.conf",
              QStringLiteral("LogLevel info\nListen %1/cups.sock\nBrowsing Off\nWebInterface No\n"
                             "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                  .arg(d));
        // The PDF backend reads its settings for the queue from this file: it writes into out().
        write(backendSettings(), QStringLiteral("Out %1\n").arg(m_out));
        // The filters run as the lp user: they must reach the spool through the temporary folder.
        QProcess::execute(QStringLiteral("chmod"), {"0755", d});
        QProcess::execute(QStringLiteral("chown"), {"root:lp", d + "/spool", d + "/spool/tmp", d + "/cache", d + "/state"});
        QProcess::execute(QStringLiteral("chmod"), {"1777", d + "/spool/tmp"});

        m_cupsd.start(QStringLiteral("cupsd"), {"-f", "-c", d + "/etc/cupsd.conf", "-s", d + "/etc/cups-files.conf"});
        if (!m_cupsd.waitForStarted())
            return fail(why, QStringLiteral("cupsd did not start"));
        qputenv("CUPS_SERVER", socket().toUtf8());
        bool running = false;
        for (int k = 0; k < 100 && !running; ++k) {
            running = output(QStringLiteral("lpstat"), {"-r"}).contains(QLatin1String("is running"));
            if (!running)
                QThread::msleep(100);
        }
        if (!running)
            return fail(why, QStringLiteral("cupsd does not answer"));
        if (QProcess::execute(QStringLiteral("lpadmin"),
                              {"-p", m_queue, "-E", "-v", QStringLiteral("cups-pdf:/%1").arg(m_queue), "-P",
                               "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"})
                != 0
            || QProcess::execute(QStringLiteral("lpadmin"), {"-d", m_queue}) != 0)
            return fail(why, QStringLiteral("lpadmin could not add the PDF queue"));
        return true;
    }

    QString queue() const { return m_queue; }
    QString socket() const { return m_work.path() + QStringLiteral("/cups.sock"); }
    QString out() const { return m_out; }
    QString errorLog() const { return m_work.path() + QStringLiteral("/log/error_log"); }

    // The first PDF the queue has written, or an empty string.
    QString firstPdf() const
    {
        const QString name = QDir(m_out).entryList({"*.pdf"}, QDir::Files).value(0);
        return name.isEmpty() ? QString() : m_out + QLatin1Char('/') + name;
    }

    static QString output(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(10000);
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

private:
    QString backendSettings() const { return QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(m_queue); }

    static void write(const QString &path, const QString &text)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(text.toUtf8());
    }

    static bool fail(QString *why, const QString &text)
    {
        if (why)
            *why = text;
        return false;
    }

    const QString m_queue;
    QTemporaryDir m_work;
    QProcess m_cupsd;
    QString m_out;
};

} // namespace testing
