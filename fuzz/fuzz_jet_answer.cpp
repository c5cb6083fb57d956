// The program's side of the Jet reader: the answer its helper process writes, from bytes. This
// runs inside the program, so nothing a broken or hostile helper writes may crash it.

#include "registration/JetProtocol.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray frame = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<JetRow> row = DecodeJetRow(frame)) {
        // What decodes encodes back to the same frame.
        if (EncodeJetRow(*row) != frame)
            __builtin_trap();
    }
    return 0;
}
