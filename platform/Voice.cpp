// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Voice.h"

#include <QLocale>
#include <QTextToSpeech>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <utility>

namespace platform {

namespace {

// How long the service may take to start before the program says that it goes on without it.
constexpr int StartLimitMs = 10000;
// How long one text may take to say: a service still speaking after that sends its sound nowhere
// (an autospawned daemon without a sound card stays "speaking" for ever).
constexpr int SpeakingLimitMs = 30000;
// How long ending the program waits for the voice's thread to end.
constexpr unsigned long EndLimitMs = 500;

enum class Status { Starting, Ready, Failed };

// What the GUI thread and the voice's thread share.
struct Shared
{
    std::atomic<Status> status{Status::Starting};
    // Every say() and stop() takes the next number; the voice's thread drops a request that a
    // later one has overtaken, so that a voice that was slow to start does not read the whole
    // queue of captions the pointer passed meanwhile.
    std::atomic<unsigned long long> latest{0};
    std::atomic<long long> speakingSince{0};

    // The first failure is reported, once; later ones are silent.
    void fail(const QString &why)
    {
        if (status.exchange(Status::Failed) != Status::Failed)
            std::fprintf(stderr, "tovimaru: %s; the program goes on without speaking\n", qPrintable(why));
    }
};

long long Now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Lives on the voice's thread, with the engine.
class Speaker final : public QObject
{
    Q_OBJECT
public:
    explicit Speaker(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}

    void start()
    {
        if (!QTextToSpeech::availableEngines().contains(QLatin1String("speechd"))) {
            m_shared->fail(QStringLiteral("Qt's speech-dispatcher engine is not installed"));
            return;
        }
        // This can take a second, or hang on a service that does not answer.
        m_engine = new QTextToSpeech(QStringLiteral("speechd"), this);
        if (m_engine->state() == QTextToSpeech::Error) {
            m_shared->fail(QStringLiteral("the speech service did not start (%1)").arg(m_engine->errorString()));
            return;
        }
        const QLocale japanese(QLocale::Japanese, QLocale::Japan);
        bool found = false;
        for (const QLocale &locale : m_engine->availableLocales())
            found = found || locale.language() == QLocale::Japanese;
        if (!found) {
            m_shared->fail(QStringLiteral("the speech service has no Japanese voice"));
            return;
        }
        m_engine->setLocale(japanese);
        m_silence = new QTimer(this);
        m_silence->setSingleShot(true);
        m_silence->setInterval(SpeakingLimitMs);
        connect(m_silence, &QTimer::timeout, this, [] {
            static bool told = false;
            if (!std::exchange(told, true))
                std::fprintf(stderr, "tovimaru: the speech service has been saying one text for %d s: its sound "
                                     "may go nowhere\n", SpeakingLimitMs / 1000);
        });
        connect(m_engine, &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State state) {
            if (state == QTextToSpeech::Speaking) {
                m_shared->speakingSince = Now();
                m_silence->start();
            } else {
                m_silence->stop();
            }
            if (state == QTextToSpeech::Error)
                m_shared->fail(QStringLiteral("the speech service failed (%1)").arg(m_engine->errorString()));
        });
        // Requests wait in the thread's queue until this returns; the latest of them is said.
        Status expected = Status::Starting;
        m_shared->status.compare_exchange_strong(expected, Status::Ready);
    }

    void say(const QString &text, unsigned long long number)
    {
        if (number != m_shared->latest || m_shared->status != Status::Ready)
            return;
        m_engine->stop();
        if (!text.isEmpty())
            m_engine->say(text);
    }

private:
    std::shared_ptr<Shared> m_shared;
    QTextToSpeech *m_engine = nullptr;
    QTimer *m_silence = nullptr;
};

class SystemVoice final : public Voice
{
public:
    SystemVoice() : m_shared(std::make_shared<Shared>()), m_thread(new QThread), m_speaker(new Speaker(m_shared))
    {
        m_thread->setObjectName(QStringLiteral("voice"));
        m_speaker->moveToThread(m_thread);
        QObject::connect(m_thread, &QThread::started, m_speaker, &Speaker::start);
        QObject::connect(m_thread, &QThread::finished, m_speaker, &QObject::deleteLater);
        m_thread->start(QThread::LowPriority);
        m_watchdog.setSingleShot(true);
        std::shared_ptr<Shared> shared = m_shared;
        // A service that is only slow (a busy machine) still speaks once it answers; until then
        // requests are dropped, all but the latest.
        QObject::connect(&m_watchdog, &QTimer::timeout, [shared] {
            if (shared->status == Status::Starting)
                std::fprintf(stderr, "tovimaru: the speech service did not answer within %d s; the program goes on "
                                     "without speaking until it does\n", StartLimitMs / 1000);
        });
        m_watchdog.start(StartLimitMs);
    }

    ~SystemVoice() override
    {
        m_watchdog.stop();
        m_shared->status = Status::Failed;
        m_thread->quit();
        // A service that hangs holds the thread: it is left to end with the process.
        if (m_thread->wait(EndLimitMs))
            delete m_thread;
    }

    void say(const QString &text) override { post(text); }
    void stop() override { post(QString()); }
    long long speakingSince() const override { return m_shared->speakingSince; }

private:
    void post(const QString &text)
    {
        if (m_shared->status == Status::Failed)
            return;
        const unsigned long long number = ++m_shared->latest;
        Speaker *speaker = m_speaker;
        // Runs on the voice's thread; dropped if the speaker is gone by then.
        QMetaObject::invokeMethod(m_speaker, [speaker, text, number] { speaker->say(text, number); },
                                  Qt::QueuedConnection);
    }

    std::shared_ptr<Shared> m_shared;
    QThread *m_thread;
    Speaker *m_speaker;
    QTimer m_watchdog;
};

std::function<std::unique_ptr<Voice>()> &Maker()
{
    static std::function<std::unique_ptr<Voice>()> maker = StartSystemVoice;
    return maker;
}

} // namespace

std::unique_ptr<Voice> StartSystemVoice()
{
    return std::make_unique<SystemVoice>();
}

std::unique_ptr<Voice> StartVoice()
{
    return Maker()();
}

void SetVoiceMaker(std::function<std::unique_ptr<Voice>()> maker)
{
    Maker() = maker ? std::move(maker) : StartSystemVoice;
}

} // namespace platform

#include "Voice.moc"
