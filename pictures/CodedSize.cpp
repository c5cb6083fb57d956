// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures/CodedSize.h"

#include "base/ByteReads.h"

#include <QByteArray>

#include <algorithm>
#include <functional>

namespace platform::heif {

namespace {

// A side no stream of ours may ask for: beyond it the header is not believed at all.
constexpr quint64 MaxSide = 1u << 20;

// Bits, most significant first; reading past the end gives zeros and marks the reader spent.
class Bits
{
public:
    explicit Bits(QByteArrayView bytes) : m_bytes(bytes) {}

    quint64 read(int count)
    {
        quint64 value = 0;
        for (int k = 0; k < count; ++k) {
            const qsizetype byte = m_bit / 8;
            if (byte >= m_bytes.size()) {
                m_spent = true;
                return 0;
            }
            value = value << 1 | ((quint8(m_bytes[byte]) >> (7 - m_bit % 8)) & 1);
            ++m_bit;
        }
        return value;
    }
    void skip(int count) { read(count); }
    // An Exp-Golomb code, ue(v).
    quint64 exponentialGolomb()
    {
        int zeros = 0;
        while (read(1) == 0) {
            if (m_spent || ++zeros > 31) {
                m_spent = true;
                return 0;
            }
        }
        return (quint64(1) << zeros) - 1 + read(zeros);
    }
    // AV1's uvlc().
    quint64 uvlc()
    {
        int zeros = 0;
        while (read(1) == 0) {
            if (m_spent)
                return 0;
            ++zeros;
        }
        if (zeros >= 32)
            return 0xFFFFFFFFu;
        return read(zeros) + (quint64(1) << zeros) - 1;
    }
    bool spent() const { return m_spent; }

private:
    QByteArrayView m_bytes;
    qsizetype m_bit = 0;
    bool m_spent = false;
};

std::optional<QSize> sizeOf(quint64 width, quint64 height, const Bits &bits)
{
    if (bits.spent() || width == 0 || height == 0 || width > MaxSide || height > MaxSide)
        return std::nullopt;
    return QSize(int(width), int(height));
}

// A NAL unit's payload without its emulation prevention bytes (00 00 03 stands for 00 00), as far
// as the header read needs.
QByteArray rawBytes(QByteArrayView nal)
{
    constexpr qsizetype Enough = 512;
    QByteArray raw;
    int zeros = 0;
    for (qsizetype k = 0; k < nal.size() && raw.size() < Enough; ++k) {
        const char byte = nal[k];
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        raw.append(byte);
    }
    return raw;
}

// Reads a LEB128 number of AV1 at bytes[*at]; nothing when it runs past the end.
std::optional<quint64> leb128(QByteArrayView bytes, qsizetype *at)
{
    quint64 value = 0;
    for (int k = 0; k < 8; ++k) {
        if (*at >= bytes.size())
            return std::nullopt;
        const quint8 byte = quint8(bytes[(*at)++]);
        value |= quint64(byte & 0x7F) << (7 * k);
        if (!(byte & 0x80))
            return value;
    }
    return std::nullopt;
}

constexpr int HevcSps = 33;
constexpr int Av1SequenceHeader = 1;

} // namespace

std::optional<QSize> HevcSpsSize(QByteArrayView nal)
{
    const QByteArray raw = rawBytes(nal);
    Bits bits(raw);
    bits.skip(16); // the NAL unit header
    bits.skip(4);  // sps_video_parameter_set_id
    const int subLayers = int(bits.read(3));
    bits.skip(1); // sps_temporal_id_nesting_flag
    // profile_tier_level(): the general profile (88 bits) and level (8), then the sub-layers'.
    bits.skip(88 + 8);
    bool profilePresent[8] = {}, levelPresent[8] = {};
    for (int k = 0; k < subLayers; ++k) {
        profilePresent[k] = bits.read(1);
        levelPresent[k] = bits.read(1);
    }
    if (subLayers > 0)
        bits.skip(2 * (8 - subLayers));
    for (int k = 0; k < subLayers; ++k)
        bits.skip((profilePresent[k] ? 88 : 0) + (levelPresent[k] ? 8 : 0));
    bits.exponentialGolomb(); // sps_seq_parameter_set_id
    if (bits.exponentialGolomb() == 3)
        bits.skip(1); // separate_colour_plane_flag
    const quint64 width = bits.exponentialGolomb();
    const quint64 height = bits.exponentialGolomb();
    return sizeOf(width, height, bits);
}

std::optional<QSize> Av1SequenceSize(QByteArrayView payload)
{
    Bits bits(payload);
    bits.skip(3 + 1); // seq_profile, still_picture
    if (bits.read(1)) {
        bits.skip(5); // reduced_still_picture_header: seq_level_idx[0]
    } else {
        bool decoderModel = false;
        int bufferDelayLength = 0;
        if (bits.read(1)) { // timing_info_present_flag
            bits.skip(32 + 32);
            if (bits.read(1)) // equal_picture_interval
                bits.uvlc();
            decoderModel = bits.read(1);
            if (decoderModel) {
                bufferDelayLength = int(bits.read(5)) + 1;
                bits.skip(32 + 5 + 5);
            }
        }
        const bool initialDisplayDelay = bits.read(1);
        const int operatingPoints = int(bits.read(5)) + 1;
        for (int k = 0; k < operatingPoints && !bits.spent(); ++k) {
            bits.skip(12); // operating_point_idc
            if (bits.read(5) > 7)
                bits.skip(1); // seq_tier
            if (decoderModel && bits.read(1))
                bits.skip(2 * bufferDelayLength + 1);
            if (initialDisplayDelay && bits.read(1))
                bits.skip(4);
        }
    }
    const int widthBits = int(bits.read(4)) + 1;
    const int heightBits = int(bits.read(4)) + 1;
    const quint64 width = bits.read(widthBits) + 1;
    const quint64 height = bits.read(heightBits) + 1;
    return sizeOf(width, height, bits);
}

void CodedFrames::add(const std::optional<QSize> &size)
{
    if (!size) {
        unreadable = true;
        return;
    }
    largest = std::max(largest, qint64(size->width()) * size->height());
}

std::optional<int> ForEachHvccNal(QByteArrayView hvcC, const std::function<void(QByteArrayView)> &visit)
{
    constexpr qsizetype Arrays = 22; // after the fixed part of the configuration record
    if (hvcC.size() < Arrays + 1)
        return std::nullopt;
    const int lengthBytes = (quint8(hvcC[21]) & 3) + 1;
    qsizetype at = Arrays + 1;
    for (int array = quint8(hvcC[Arrays]); array > 0; --array) {
        if (at + 3 > hvcC.size())
            return std::nullopt;
        int units = int(bytes::beAt(hvcC, at + 1, 2));
        at += 3;
        for (; units > 0; --units) {
            if (at + 2 > hvcC.size())
                return std::nullopt;
            const qsizetype length = qsizetype(bytes::beAt(hvcC, at, 2));
            if (length > hvcC.size() - at - 2)
                return std::nullopt;
            visit(hvcC.sliced(at + 2, length));
            at += 2 + length;
        }
    }
    return lengthBytes;
}

bool ForEachHevcNal(QByteArrayView units, int lengthBytes, const std::function<void(QByteArrayView)> &visit)
{
    qsizetype at = 0;
    while (at + lengthBytes <= units.size()) {
        const quint64 length = bytes::beAt(units, at, lengthBytes);
        at += lengthBytes;
        if (length > quint64(units.size() - at))
            return false; // the decoder stops here too
        visit(units.sliced(at, qsizetype(length)));
        at += qsizetype(length);
    }
    return at == units.size();
}

namespace {

bool isSps(QByteArrayView nal)
{
    return nal.size() >= 2 && ((quint8(nal[0]) >> 1) & 0x3F) == HevcSps;
}

} // namespace

std::optional<int> AddHvcc(QByteArrayView hvcC, CodedFrames *frames)
{
    return ForEachHvccNal(hvcC, [frames](QByteArrayView nal) {
        if (isSps(nal))
            frames->add(HevcSpsSize(nal));
    });
}

void AddHevcNals(QByteArrayView units, int lengthBytes, CodedFrames *frames)
{
    ForEachHevcNal(units, lengthBytes, [frames](QByteArrayView nal) {
        if (isSps(nal))
            frames->add(HevcSpsSize(nal));
    });
}

void AddAv1Obus(QByteArrayView obus, CodedFrames *frames)
{
    qsizetype at = 0;
    while (at < obus.size()) {
        const quint8 header = quint8(obus[at++]);
        const int type = (header >> 3) & 0xF;
        if (header & 0x4) // obu_extension_flag
            ++at;
        qsizetype length = obus.size() - at;
        if (header & 0x2) { // obu_has_size_field
            const std::optional<quint64> size = leb128(obus, &at);
            if (!size || *size > quint64(std::max<qsizetype>(0, obus.size() - at)))
                return;
            length = qsizetype(*size);
        }
        if (at > obus.size())
            return;
        if (type == Av1SequenceHeader)
            frames->add(Av1SequenceSize(obus.sliced(at, length)));
        at += length;
    }
}

} // namespace platform::heif
