#include "common/Codecs.h"

#include <gtest/gtest.h>

#include <set>

using namespace velta::codec;

namespace {

QByteArray allBytes()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(static_cast<char>(b));
    return bytes;
}

QByteArray hexBytes(const char* hex)
{
    return QByteArray::fromHex(hex);
}

} // namespace

TEST(Codec, EveryByteOfBothCodePagesRoundTrips)
{
    const QByteArray bytes = allBytes();
    const QString ansi = fromCp1251(bytes);
    const QString oem = fromCp866(bytes);
    ASSERT_EQ(ansi.size(), 256);
    ASSERT_EQ(oem.size(), 256);
    EXPECT_EQ(toCp1251(ansi), bytes);
    EXPECT_EQ(toCp866(oem), bytes);
    // No two bytes share a character, or one of them could not come back.
    EXPECT_EQ(std::set<char16_t>(ansi.utf16(), ansi.utf16() + 256).size(), 256u);
    EXPECT_EQ(std::set<char16_t>(oem.utf16(), oem.utf16() + 256).size(), 256u);
}

TEST(Codec, AsciiHalfIsIdentityInBothPages)
{
    for (int b = 0; b < 128; ++b) {
        EXPECT_EQ(cp1251ToUnicode(static_cast<unsigned char>(b)), char16_t(b));
        EXPECT_EQ(cp866ToUnicode(static_cast<unsigned char>(b)), char16_t(b));
        EXPECT_EQ(unicodeToCp1251(char16_t(b)), b);
        EXPECT_EQ(unicodeToCp866(char16_t(b)), b);
    }
}

TEST(Codec, CyrillicLettersIncludingYo)
{
    const QString text = QStringLiteral("АБВЯабвяЁё№");
    EXPECT_EQ(toCp1251(text), hexBytes("c0c1c2dfe0e1e2ffa8b8b9"));
    EXPECT_EQ(toCp866(text), hexBytes("8081829fa0a1a2eff0f1fc"));
    EXPECT_EQ(fromCp1251(hexBytes("c0c1c2dfe0e1e2ffa8b8b9")), text);
    EXPECT_EQ(fromCp866(hexBytes("8081829fa0a1a2eff0f1fc")), text);
    // The lower-case letters of cp866 are split in two runs around the box drawing.
    EXPECT_EQ(fromCp866(hexBytes("afe0")), QStringLiteral("пр"));
}

TEST(Codec, Cp1251PunctuationAndTheUnassignedByte)
{
    EXPECT_EQ(fromCp1251(hexBytes("8885abbb96979b")), QStringLiteral("€…«»–—›"));
    EXPECT_EQ(cp1251ToUnicode(0x98), u'\u0098');
    EXPECT_EQ(unicodeToCp1251(u'\u0098'), 0x98);
    EXPECT_EQ(cp1251ToUnicode(0xA0), u'\u00A0');
}

TEST(Codec, Cp866BoxDrawing)
{
    const QString frame = QStringLiteral("╔═╗║╚╝┌─┐│└┘░▒▓█");
    const QByteArray oem = hexBytes("c9cdbbbac8bcdac4bfb3c0d9b0b1b2db");
    EXPECT_EQ(toCp866(frame), oem);
    EXPECT_EQ(fromCp866(oem), frame);
    EXPECT_EQ(cp866ToUnicode(0xFF), u'\u00A0');
    EXPECT_EQ(cp866ToUnicode(0xFD), u'\u00A4');
}

TEST(Codec, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(toCp866(QStringLiteral("€5")), QByteArray("?5"));
    EXPECT_EQ(toCp1251(QStringLiteral("╔═╗")), QByteArray("???"));
    EXPECT_EQ(toCp1251(QStringLiteral("a中b")), QByteArray("a?b"));
    EXPECT_EQ(toCp1251(QString(QChar(0xFFFD))), QByteArray("?"));
    EXPECT_EQ(toCp866(QStringLiteral("ґ")), QByteArray("?")); // in cp1251, not in cp866
}

TEST(Codec, CharacterOutsideBmpIsOneQuestionMark)
{
    const QString text = QStringLiteral("x") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("y");
    ASSERT_EQ(text.size(), 4);
    EXPECT_EQ(toCp1251(text), QByteArray("x?y"));
    EXPECT_EQ(toCp866(text), QByteArray("x?y"));
    // A lone surrogate is still one unmappable character each.
    QString lone;
    lone.append(QChar(0xD800));
    lone.append(QChar(u'z'));
    lone.append(QChar(0xDC00));
    EXPECT_EQ(toCp1251(lone), QByteArray("?z?"));
    // A high surrogate at the very end is not followed past the text.
    EXPECT_EQ(toCp866(QStringView(lone).left(1)), QByteArray("?"));
}

TEST(Codec, EncoderNeverPicksTheByteOfAnotherCharacter)
{
    for (int code = 0; code <= 0xFFFF; ++code) {
        const auto ch = static_cast<char16_t>(code);
        const unsigned char ansi = unicodeToCp1251(ch);
        const unsigned char oem = unicodeToCp866(ch);
        if (ansi != '?' || ch == u'?') {
            ASSERT_EQ(cp1251ToUnicode(ansi), ch) << "U+" << std::hex << code;
        }
        if (oem != '?' || ch == u'?') {
            ASSERT_EQ(cp866ToUnicode(oem), ch) << "U+" << std::hex << code;
        }
    }
}

TEST(Codec, EmptyInputs)
{
    EXPECT_TRUE(fromCp1251(QByteArrayView()).isEmpty());
    EXPECT_TRUE(toCp866(QStringView()).isEmpty());
    EXPECT_TRUE(ansiToOem(QByteArrayView()).isEmpty());
}

TEST(Codec, AnsiToOemAndBack)
{
    const QString text = QStringLiteral("Счёт №5: ЁЛКА, ёлка; 100%");
    const QByteArray ansi = toCp1251(text);
    const QByteArray oem = ansiToOem(ansi);
    EXPECT_EQ(oem, toCp866(text));
    EXPECT_EQ(oemToAnsi(oem), ansi);

    // Every letter of the Russian alphabet survives the trip both ways.
    for (int b = 0xC0; b <= 0xFF; ++b) {
        const QByteArray one(1, static_cast<char>(b));
        EXPECT_EQ(oemToAnsi(ansiToOem(one)), one) << b;
    }
}

TEST(Codec, AnsiToOemMarksWhatTheOtherPageLacks)
{
    // «» and the euro exist only in cp1251; box drawing and shades only in cp866.
    EXPECT_EQ(ansiToOem(hexBytes("ab41bb88")), QByteArray("?A??"));
    EXPECT_EQ(oemToAnsi(hexBytes("c942b0")), QByteArray("?B?"));
    // The no-break space and the degree sign are in both.
    EXPECT_EQ(ansiToOem(hexBytes("a0b0")), hexBytes("fff8"));
}
