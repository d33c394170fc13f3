// Fuzz target: the frame splitter and the request and answer decoders, fed
// the input in pieces whose sizes the input's first byte chooses.
#include "common/Exception.h"
#include "common/WireProtocol.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::uint32_t kFuzzMaxFrame = 1u << 20;

void decodePayload(const QByteArray& payload)
{
    try {
        const velta::WireRequest request = velta::decodeRequest(payload);
        // A request that decodes encodes back to the same bytes.
        if (velta::decodeRequest(velta::encodeRequest(request.method, request.args)).args != request.args)
            std::abort();
    } catch (const velta::Exception&) {
    }
    try {
        const velta::WireAnswer answer = velta::decodeAnswer(payload);
        try {
            (void)answer.resultOrRaise();
        } catch (const velta::Exception& error) {
            if (answer.ok || error.message() != answer.errorMessage)
                std::abort();
        }
    } catch (const velta::Exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t step = 1 + data[0] % 16;
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));

    velta::FrameDecoder decoder(kFuzzMaxFrame);
    QList<QByteArray> frames;
    try {
        for (qsizetype pos = 0; pos < stream.size(); pos += static_cast<qsizetype>(step)) {
            decoder.append(QByteArrayView(stream).sliced(pos, std::min<qsizetype>(step, stream.size() - pos)));
            while (auto frame = decoder.next())
                frames.append(*frame);
        }
    } catch (const velta::EProtocolError&) {
    }
    for (const QByteArray& frame : frames)
        decodePayload(frame);

    // The blocking reader must split the same stream into the same frames.
    QBuffer buffer;
    buffer.setData(stream);
    buffer.open(QIODevice::ReadOnly);
    qsizetype index = 0;
    try {
        while (auto frame = velta::readFrame(buffer, 0, kFuzzMaxFrame)) {
            if (index >= frames.size() || *frame != frames[index])
                std::abort();
            ++index;
        }
    } catch (const velta::Exception&) {
    }
    if (index != frames.size())
        std::abort();
    return 0;
}
