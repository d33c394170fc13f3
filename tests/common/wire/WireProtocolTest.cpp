// Frames and messages of the wire protocol, without a network.
#include "common/Exception.h"
#include "common/WireProtocol.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <stdexcept>

using namespace velta;

namespace {

QByteArray header(std::uint32_t length)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    return bytes;
}

std::optional<QByteArray> readFrom(const QByteArray& stream, std::uint32_t maxSize = kMaxFrameSize)
{
    QBuffer buffer;
    buffer.setData(stream);
    buffer.open(QIODevice::ReadOnly);
    return readFrame(buffer, 1000, maxSize);
}

} // namespace

TEST(WireFrame, HeaderIsLittleEndianLength)
{
    const QByteArray frame = encodeFrame("abc");
    EXPECT_EQ(frame, QByteArray::fromHex("03000000616263"));
    EXPECT_EQ(encodeFrame(QByteArrayView()), QByteArray::fromHex("00000000"));
    EXPECT_THROW(encodeFrame(QByteArray(11, 'x'), 10), EProtocolError);
}

TEST(WireFrame, DecoderJoinsFramesArrivingByteByByte)
{
    const QByteArray stream = encodeFrame("first") + encodeFrame(QByteArrayView()) + encodeFrame(QByteArray(70000, 'z'));
    FrameDecoder decoder;
    QList<QByteArray> frames;
    for (char byte : stream) {
        decoder.append(QByteArrayView(&byte, 1));
        while (auto frame = decoder.next())
            frames.append(*frame);
    }
    ASSERT_EQ(frames.size(), 3);
    EXPECT_EQ(frames[0], "first");
    EXPECT_TRUE(frames[1].isEmpty());
    EXPECT_EQ(frames[2], QByteArray(70000, 'z'));
    EXPECT_EQ(decoder.pending(), 0);
}

TEST(WireFrame, DecoderSplitsFramesArrivingTogether)
{
    FrameDecoder decoder;
    decoder.append(encodeFrame("one") + encodeFrame("two") + header(5) + "thr");
    EXPECT_EQ(decoder.next(), QByteArray("one"));
    EXPECT_EQ(decoder.next(), QByteArray("two"));
    EXPECT_FALSE(decoder.next().has_value());
    EXPECT_EQ(decoder.pending(), 7);
    decoder.append("ee");
    EXPECT_EQ(decoder.next(), QByteArray("three"));
}

TEST(WireFrame, OversizedLengthIsRefusedFromTheHeaderAlone)
{
    FrameDecoder decoder;
    decoder.append(header(0xFFFFFFFFu));
    EXPECT_THROW(decoder.next(), EProtocolError);

    FrameDecoder small(16);
    small.append(header(16) + QByteArray(16, 'a'));
    EXPECT_EQ(small.next()->size(), 16);
    small.append(header(17));
    EXPECT_THROW(small.next(), EProtocolError);

    EXPECT_EQ(frameLength(header(kMaxFrameSize)), kMaxFrameSize);
    EXPECT_THROW(frameLength(header(kMaxFrameSize + 1)), EProtocolError);
    EXPECT_THROW(frameLength("ab"), EProtocolError);
}

TEST(WireFrame, ReadFrameFromADevice)
{
    EXPECT_EQ(readFrom(encodeFrame("payload")), QByteArray("payload"));
    // A stream that ends between frames ends cleanly.
    EXPECT_FALSE(readFrom(QByteArray()).has_value());
    // One that ends inside a frame does not.
    EXPECT_THROW(readFrom(header(10).left(2)), EOleSysError);
    EXPECT_THROW(readFrom(header(10) + "short"), EOleSysError);
    EXPECT_THROW(readFrom(header(1000), 100), EProtocolError);
}

TEST(WireFrame, WriteFrameToADevice)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeFrame(buffer, "hello", 1000);
    EXPECT_EQ(buffer.data(), encodeFrame("hello"));

    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_THROW(writeFrame(readOnly, "x", 1000), EOleSysError);
}

TEST(WireMessage, RequestRoundTrip)
{
    const Variant::Array args{Variant("SELECT DISTINCT Trk FROM Trk ORDER BY Trk"), Variant(101),
                              Variant(Variant::Array{Variant(true), Variant::null()}), Variant(Currency{-1})};
    const WireRequest request = decodeRequest(encodeRequest(QStringLiteral("GetRecords"), args));
    EXPECT_EQ(request.method, QStringLiteral("GetRecords"));
    EXPECT_EQ(request.args, args);

    const WireRequest none = decodeRequest(encodeRequest(QStringLiteral("GetAZSConfig"), {}));
    EXPECT_TRUE(none.args.isEmpty());
}

TEST(WireMessage, MalformedRequestsAreRefused)
{
    const auto refuse = [](const Variant& payload) {
        EXPECT_THROW(decodeRequest(serializeVariant(payload)), EProtocolError);
    };
    refuse(Variant("GetAZSConfig"));
    refuse(Variant(Variant::Array{Variant("GetAZSConfig")}));
    refuse(Variant(Variant::Array{Variant(""), Variant(Variant::Array{})}));
    refuse(Variant(Variant::Array{Variant(5), Variant(Variant::Array{})}));
    refuse(Variant(Variant::Array{Variant("M"), Variant(5)}));
    refuse(Variant(Variant::Array{Variant("M"), Variant(Variant::Array{}), Variant(1)}));
    EXPECT_THROW(decodeRequest(QByteArray()), EVariantError);
    EXPECT_THROW(decodeRequest(QByteArray::fromHex("01ff")), EVariantError);
}

TEST(WireMessage, ResultAnswer)
{
    const Variant config(Variant::Array{Variant(1), Variant(2), Variant(3),
                                        Variant(Variant::Array{Variant(Variant::Array{Variant("1")})})});
    const WireAnswer answer = decodeAnswer(encodeResult(config));
    EXPECT_TRUE(answer.ok);
    EXPECT_EQ(answer.resultOrRaise(), config);
    EXPECT_TRUE(decodeAnswer(encodeResult(Variant())).resultOrRaise().isEmpty());
}

TEST(WireMessage, ErrorAnswerRaisesTheServersClass)
{
    const WireAnswer answer =
        decodeAnswer(encodeError(EDatabaseError(QStringLiteral("violation of FOREIGN KEY constraint \"FK_TTN\""))));
    EXPECT_FALSE(answer.ok);
    EXPECT_EQ(answer.errorClass, QStringLiteral("EDatabaseError"));
    try {
        answer.resultOrRaise();
        FAIL() << "no exception";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("violation of FOREIGN KEY constraint \"FK_TTN\""));
    }
    // A class this side does not know still arrives with its message.
    const WireAnswer unknown = decodeAnswer(encodeError(QStringLiteral("EIBInterBaseError"), QStringLiteral("Ошибка")));
    try {
        unknown.resultOrRaise();
        FAIL() << "no exception";
    } catch (const EDatabaseError&) {
        FAIL() << "unknown class raised as a known one";
    } catch (const Exception& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Ошибка"));
    }
}

TEST(WireMessage, MalformedAnswersAreRefused)
{
    const auto refuse = [](const Variant& payload) {
        EXPECT_THROW(decodeAnswer(serializeVariant(payload)), EProtocolError);
    };
    refuse(Variant(true));
    refuse(Variant(Variant::Array{}));
    refuse(Variant(Variant::Array{Variant(1), Variant(2)}));
    refuse(Variant(Variant::Array{Variant(true)}));
    refuse(Variant(Variant::Array{Variant(true), Variant(1), Variant(2)}));
    refuse(Variant(Variant::Array{Variant(false), Variant("EDatabaseError")}));
    refuse(Variant(Variant::Array{Variant(false), Variant(""), Variant("message")}));
    refuse(Variant(Variant::Array{Variant(false), Variant(1), Variant("message")}));
}

TEST(WireMessage, AnswerRequestTurnsFailuresIntoErrorAnswers)
{
    const auto handler = [](const WireRequest& request) -> Variant {
        if (request.method == QStringLiteral("Sql"))
            throw EDatabaseError(QStringLiteral("Token unknown - line 1, column 8"));
        if (request.method == QStringLiteral("Crash"))
            throw std::runtime_error("vector::at");
        return Variant(static_cast<int>(request.args.size()));
    };
    EXPECT_EQ(decodeAnswer(answerRequest(encodeRequest(QStringLiteral("Count"), {Variant(1), Variant(2)}), handler))
                  .resultOrRaise(),
              Variant(2));

    const WireAnswer sql = decodeAnswer(answerRequest(encodeRequest(QStringLiteral("Sql"), {}), handler));
    EXPECT_EQ(sql.errorClass, QStringLiteral("EDatabaseError"));
    EXPECT_EQ(sql.errorMessage, QStringLiteral("Token unknown - line 1, column 8"));

    const WireAnswer crash = decodeAnswer(answerRequest(encodeRequest(QStringLiteral("Crash"), {}), handler));
    EXPECT_EQ(crash.errorClass, QStringLiteral("Exception"));
    EXPECT_EQ(crash.errorMessage, QStringLiteral("vector::at"));

    // The handler never sees a malformed request.
    bool called = false;
    const WireAnswer garbage = decodeAnswer(answerRequest(QByteArray("\x01\x0c\xff", 3), [&](const WireRequest&) {
        called = true;
        return Variant();
    }));
    EXPECT_FALSE(called);
    EXPECT_EQ(garbage.errorClass, QStringLiteral("EVariantError"));
    const WireAnswer shape = decodeAnswer(answerRequest(serializeVariant(Variant(1)), handler));
    EXPECT_EQ(shape.errorClass, QStringLiteral("EProtocolError"));
}
