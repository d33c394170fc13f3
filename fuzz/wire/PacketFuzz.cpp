// Fuzz target: the data packet decoder. Malformed input must end in a velta
// exception; whatever decodes must encode and decode again to the same packet.
#include "common/DataPacket.h"
#include "common/Exception.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    velta::DataPacket packet;
    try {
        packet = velta::DataPacket::fromBytes(input);
    } catch (const velta::Exception&) {
        return 0;
    }
    // A decoded packet is valid by definition: its own bytes must decode.
    const QByteArray encoded = packet.toBytes();
    const velta::DataPacket again = velta::DataPacket::fromBytes(encoded);
    if (again != packet || again.toBytes() != encoded)
        std::abort();
    for (int row = 0; row < packet.rowCount(); ++row) {
        for (int field = 0; field < packet.fieldCount(); ++field)
            (void)packet.value(row, field);
    }
    return 0;
}
