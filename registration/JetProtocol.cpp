// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/JetProtocol.h"

#include <QtEndian>

namespace {

const QByteArray Magic = QByteArrayLiteral("TOVIJET1");

void PutLength(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// Reads 4 bytes at pos into value; false past the end.
bool TakeLength(const QByteArray &in, qsizetype &pos, quint32 &value)
{
    if (in.size() - pos < 4)
        return false;
    value = qFromLittleEndian<quint32>(in.constData() + pos);
    pos += 4;
    return true;
}

} // namespace

QByteArray EncodeJetRow(const JetRow &row)
{
    QByteArray out = Magic;
    out.append(char(row.status));
    const qsizetype count = std::min<qsizetype>(row.values.size(), MaxJetValues);
    PutLength(out, quint32(count));
    for (qsizetype k = 0; k < count; ++k) {
        const QByteArray value = row.values[k].toUtf8().left(MaxJetValueBytes);
        PutLength(out, quint32(value.size()));
        out.append(value);
    }
    return out;
}

std::optional<JetRow> DecodeJetRow(const QByteArray &frame)
{
    if (!frame.startsWith(Magic) || frame.size() < Magic.size() + 1)
        return std::nullopt;
    qsizetype pos = Magic.size();
    const int status = static_cast<unsigned char>(frame[pos++]);
    if (status > JetRow::Failed)
        return std::nullopt;
    quint32 count = 0;
    if (!TakeLength(frame, pos, count) || count > MaxJetValues)
        return std::nullopt;
    JetRow row;
    row.status = static_cast<JetRow::Status>(status);
    for (quint32 k = 0; k < count; ++k) {
        quint32 length = 0;
        if (!TakeLength(frame, pos, length) || length > MaxJetValueBytes || frame.size() - pos < length)
            return std::nullopt;
        row.values.append(QString::fromUtf8(frame.constData() + pos, length));
        pos += length;
    }
    if (pos != frame.size())
        return std::nullopt;
    return row;
}
