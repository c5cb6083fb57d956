// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/AreaReduce.h"

#include <algorithm>

namespace platform::reduce {

void premultiply(quint32 *pixels, int count)
{
    for (int x = 0; x < count; ++x)
        pixels[x] = qPremultiply(pixels[x]);
}

ReducedRows::ReducedRows(QImage &image, int sourceWidth, int sourceHeight, bool alpha)
    : m_image(image), m_w(sourceWidth), m_h(sourceHeight), m_W(image.width()), m_H(image.height()),
      m_alpha(alpha), m_source(std::size_t(sourceWidth)), m_columns(std::size_t(sourceWidth)),
      m_whole(slotCount()), m_parts(slotCount()), m_across(slotCount()), m_current(slotCount()),
      m_next(slotCount())
{
    for (int x = 0; x < m_w; ++x) {
        const quint64 start = quint64(x) * m_W;
        const int column = int(start / quint64(m_w));
        const quint64 boundary = quint64(column + 1) * quint64(m_w);
        m_columns[std::size_t(x)] = {column, quint32(std::min<quint64>(m_W, boundary - start))};
    }
}

void ReducedRows::take(int y)
{
    if (m_alpha)
        premultiply(m_source.data(), m_w);
    // Across: a pixel wholly within one result pixel is added as it is (its weight, W, is
    // applied once at the end), one across a boundary in its two parts.
    std::fill(m_whole.begin(), m_whole.end(), 0);
    std::fill(m_parts.begin(), m_parts.end(), 0);
    const quint32 weight = quint32(m_W);
    quint32 run[4] = {0, 0, 0, 0}; // the whole pixels of result pixel runColumn so far
    int runColumn = 0;
    for (int x = 0; x < m_w; ++x) {
        const quint32 pixel = m_source[std::size_t(x)];
        const Column column = m_columns[std::size_t(x)];
        if (column.index != runColumn) {
            for (int channel = 0; channel < 4; ++channel) {
                m_whole[4 * std::size_t(runColumn) + channel] += run[channel];
                run[channel] = 0;
            }
            runColumn = column.index;
        }
        const quint32 value[4] = {pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF, pixel >> 24};
        if (column.first == weight) {
            for (int channel = 0; channel < 4; ++channel)
                run[channel] += value[channel];
        } else {
            const std::size_t at = 4 * std::size_t(column.index);
            const quint32 second = weight - column.first;
            for (int channel = 0; channel < 4; ++channel) {
                m_parts[at + channel] += column.first * value[channel];
                m_parts[at + 4 + channel] += second * value[channel];
            }
        }
    }
    for (int channel = 0; channel < 4; ++channel)
        m_whole[4 * std::size_t(runColumn) + channel] += run[channel];
    for (std::size_t i = 0; i < m_across.size(); ++i)
        m_across[i] = quint64(m_whole[i]) * weight + m_parts[i];
    const quint64 start = quint64(y) * quint64(m_H);
    const int outputRow = int(start / quint64(m_h));
    const quint64 boundary = quint64(outputRow + 1) * quint64(m_h);
    const quint64 first = std::min<quint64>(m_H, boundary - start), second = quint64(m_H) - first;
    for (std::size_t i = 0; i < m_across.size(); ++i)
        m_current[i] += first * m_across[i];
    if (second > 0) {
        for (std::size_t i = 0; i < m_across.size(); ++i)
            m_next[i] += second * m_across[i];
    }
    if (start + quint64(m_H) >= boundary && outputRow < m_H) {
        finishRow(outputRow);
        std::swap(m_current, m_next);
        std::fill(m_next.begin(), m_next.end(), 0);
    }
}

void ReducedRows::finishRow(int outputRow)
{
    // A sum is at most 255 times the area, w x h, which is below 2^47: exact in a double, and a
    // multiplication there costs a fraction of a 64-bit division.
    const double perArea = 1.0 / (double(m_w) * double(m_h));
    auto *out = reinterpret_cast<quint32 *>(m_image.scanLine(outputRow));
    for (int x = 0; x < m_W; ++x) {
        const quint64 *sums = m_current.data() + 4 * std::size_t(x);
        quint32 pixel = 0;
        for (int channel = 0; channel < 4; ++channel)
            pixel |= quint32(std::min(double(sums[channel]) * perArea + 0.5, 255.0)) << (8 * channel);
        out[x] = m_alpha ? pixel : (pixel | 0xFF000000u);
    }
}

} // namespace platform::reduce
