// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The codes of injected keys, shared by the injection (KeyInjection.h) and the kana input method
// that receives what is injected (KanaInputMethod.h), so that neither includes the other's header
// for them.

#include <cstdint>

namespace platform {

// Virtual-key codes the program injects (the older desktop's codes).
namespace vk {
inline constexpr std::uint16_t Back = 0x08;
inline constexpr std::uint16_t Return = 0x0D;
inline constexpr std::uint16_t Shift = 0x10;
inline constexpr std::uint16_t Kana = 0x15;    // kana lock
inline constexpr std::uint16_t Convert = 0x1C; // 変換
inline constexpr std::uint16_t Space = 0x20;
inline constexpr std::uint16_t Delete = 0x2E;
inline constexpr std::uint16_t Numpad0 = 0x60; // ..0x69 for 9
inline constexpr std::uint16_t F6 = 0x75;
inline constexpr std::uint16_t F7 = 0x76;
} // namespace vk

inline constexpr std::uint32_t InputKeyboard = 1;       // the record's type
inline constexpr std::uint32_t KeyEventExtendedKey = 1; // flag bits
inline constexpr std::uint32_t KeyEventKeyUp = 2;

} // namespace platform
