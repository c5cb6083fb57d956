#include "platform/KeyInjection.h"

namespace platform {

namespace {
bool g_kanaLock = false;
} // namespace

bool KanaLockOn()
{
    return g_kanaLock;
}

void FlipKanaLock()
{
    g_kanaLock = !g_kanaLock;
}

} // namespace platform
