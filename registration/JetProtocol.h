// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the Jet reader's helper process writes on its standard output: one frame, and nothing
// after it.
//
//   "TOVIJET1"                      8 bytes
//   status                          1 byte: 0 read, 1 no rows, 2 failed
//   count                           4 bytes, little-endian
//   count values, each:             4 bytes of length, little-endian, then that many UTF-8 bytes
//
// The reading side accepts a frame only whole, with at most MaxJetValues values of at most
// MaxJetValueBytes each.

#include "registration/JetReader.h"

#include <QByteArray>

#include <optional>

inline constexpr int MaxJetValues = 64;
inline constexpr int MaxJetValueBytes = 1 << 16;

QByteArray EncodeJetRow(const JetRow &row);
// The row of a whole, well-formed frame; nothing for anything else.
std::optional<JetRow> DecodeJetRow(const QByteArray &frame);
