#include "text/Keyboard.h"

#include "platform/EventLoop.h"
#include "platform/KeyInjection.h"

namespace text {

void ToggleKanaLock()
{
    platform::FlipKanaLock();
    platform::Yield();
}

} // namespace text
