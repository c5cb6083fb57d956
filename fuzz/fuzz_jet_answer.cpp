// SPDX-License-Identifier: GPL-3.0-or-later
// The program's side of the Jet reader: the answer its helper process writes, from bytes. This
// runs inside the program, so nothing a broken or hostile helper writes may crash it.

#include "registration/JetProtocol.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray frame = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<JetRow> row = DecodeJetRow(frame)) {
        // What decodes encodes to a frame that decodes to the same row (bytes that are not UTF-8
        // come back as replacement characters, so the frames themselves may differ).
        for (const QString &value : row->values) {
            if (value.toUtf8().size() > MaxJetValueBytes)
                return 0;
        }
        const std::optional<JetRow> again = DecodeJetRow(EncodeJetRow(*row));
        if (!again || again->status != row->status || again->values != row->values)
            __builtin_trap();
    }
    return 0;
}
