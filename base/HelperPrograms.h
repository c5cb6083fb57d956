// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helper programs that do what the program will not risk in its own process (reading an old
// phrase store, decoding pictures): where they are found, and whether their address space may be
// limited.

#include <QString>

namespace helpers {

// The sanitizers reserve terabytes of address space for their shadow memory: a limit on the
// address space would stop a helper before it starts.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool LimitAddressSpace = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
inline constexpr bool LimitAddressSpace = false;
#else
inline constexpr bool LimitAddressSpace = true;
#endif
#else
inline constexpr bool LimitAddressSpace = true;
#endif

// The helper called name: the value of the environment variable when it is set, otherwise the
// first executable of: beside the program, in installedDir relative to the program's folder, at
// buildPath. Empty when there is none.
QString FindHelperProgram(const QString &name, const char *environmentVariable, const QString &installedDir,
                          const QString &buildPath);

// A path inside the build tree the program was built in ("app/tovimaru-decoder"): where the
// program run from that tree finds its helpers and its own pictures.
QString BuildTreePath(const QString &relative);

} // namespace helpers
