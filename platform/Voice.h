// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A voice that reads short texts aloud (the setting speech). The program only ever hands it
// text in kana, digits and Latin letters (SpokenText.h); whether it could read kanji is the
// voice's own answer. Nothing a voice does may hold the GUI thread: say() and stop() return at
// once and never wait for the speech to start or to end.

#include <QString>

#include <functional>
#include <memory>

namespace platform {

class Voice
{
public:
    virtual ~Voice() = default;
    // Stops what is being said and says text instead.
    virtual void say(const QString &text) = 0;
    // Stops what is being said.
    virtual void stop() = 0;
    // Whether the voice reads kanji right; one that cannot is never given any.
    virtual bool readsKanji() const { return false; }
    // When the voice last began to speak, in nanoseconds of std::chrono::steady_clock; 0 when it
    // cannot tell. For measuring how soon speech follows a request.
    virtual long long speakingSince() const { return 0; }
};

// The desktop's speech service: Qt's text-to-speech over speech-dispatcher, in Japanese. Its
// engine takes a second or more to start, so it is made on a thread of its own, which this call
// starts; of what is asked before it is ready, the latest request is said when it is. A missing
// or failing service is reported with one line on standard error, and the voice then stays
// silent; so is one that does not answer within 10 s, which speaks if it answers later.
// Destroying it never waits for a hung service for long.
std::unique_ptr<Voice> StartSystemVoice();

// The voice the program starts when it speaks: the system's, or what SetVoiceMaker() put in
// its place (a test's voice that only records what it is told to say).
std::unique_ptr<Voice> StartVoice();
void SetVoiceMaker(std::function<std::unique_ptr<Voice>()> maker);

} // namespace platform
