#include "common/Codecs.h"

#include <array>

namespace velta::codec {

namespace {

using UpperHalf = std::array<char16_t, 128>;

// Bytes 0x80-0xFF of Windows code page 1251 (Cyrillic), as published by
// Microsoft and the WHATWG Encoding Standard. Byte 0x98 has no character in
// the code page; it decodes to U+0098 (as Windows and WHATWG do), so every
// byte survives a decode/encode round trip.
constexpr UpperHalf kCp1251Upper = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // F8
};

// Bytes 0x80-0xFF of IBM/DOS code page 866 (Cyrillic, with box drawing).
constexpr UpperHalf kCp866Upper = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // 80
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // 88
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // 90
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // 98
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // A0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, // D8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // E0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // E8
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0, // F8
};

// Both code pages keep ASCII in bytes 0x00-0x7F.
constexpr std::array<char16_t, 256> makeDecodeTable(const UpperHalf& upper)
{
    std::array<char16_t, 256> table{};
    for (int i = 0; i < 128; ++i)
        table[i] = static_cast<char16_t>(i);
    for (int i = 0; i < 128; ++i)
        table[128 + i] = upper[i];
    return table;
}

// One byte per UTF-16 code unit: a direct lookup for the hot loops of the
// DBF reader. Characters outside the code page become '?'.
using EncodeTable = std::array<unsigned char, 65536>;

constexpr EncodeTable makeEncodeTable(const UpperHalf& upper)
{
    EncodeTable table{};
    for (auto& byte : table)
        byte = '?';
    for (int i = 0; i < 128; ++i)
        table[i] = static_cast<unsigned char>(i);
    for (int i = 0; i < 128; ++i)
        table[upper[i]] = static_cast<unsigned char>(128 + i);
    return table;
}

constexpr auto kFromCp1251 = makeDecodeTable(kCp1251Upper);
constexpr auto kFromCp866 = makeDecodeTable(kCp866Upper);
constexpr EncodeTable kToCp1251 = makeEncodeTable(kCp1251Upper);
constexpr EncodeTable kToCp866 = makeEncodeTable(kCp866Upper);

using ByteTable = std::array<unsigned char, 256>;

constexpr ByteTable makeRecodeTable(const std::array<char16_t, 256>& from, const EncodeTable& to)
{
    ByteTable table{};
    for (int i = 0; i < 256; ++i)
        table[i] = to[from[i]];
    return table;
}

constexpr ByteTable kAnsiToOem = makeRecodeTable(kFromCp1251, kToCp866);
constexpr ByteTable kOemToAnsi = makeRecodeTable(kFromCp866, kToCp1251);

QString decode(QByteArrayView bytes, const std::array<char16_t, 256>& table)
{
    QString text(bytes.size(), Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0, n = bytes.size(); i < n; ++i)
        out[i] = table[in[i]];
    return text;
}

QByteArray encode(QStringView text, const EncodeTable& table)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    auto* out = reinterpret_cast<unsigned char*>(bytes.data());
    const char16_t* in = text.utf16();
    const qsizetype n = text.size();
    qsizetype written = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ch = in[i];
        out[written++] = table[ch];
        // A character outside the Basic Multilingual Plane is one "?", not two.
        if (QChar::isHighSurrogate(ch) && i + 1 < n && QChar::isLowSurrogate(in[i + 1]))
            ++i;
    }
    if (written != n)
        bytes.truncate(written);
    return bytes;
}

QByteArray recode(QByteArrayView bytes, const ByteTable& table)
{
    QByteArray result(bytes.size(), Qt::Uninitialized);
    auto* out = reinterpret_cast<unsigned char*>(result.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0, n = bytes.size(); i < n; ++i)
        out[i] = table[in[i]];
    return result;
}

} // namespace

QString fromCp1251(QByteArrayView bytes)
{
    return decode(bytes, kFromCp1251);
}

QByteArray toCp1251(QStringView text)
{
    return encode(text, kToCp1251);
}

QString fromCp866(QByteArrayView bytes)
{
    return decode(bytes, kFromCp866);
}

QByteArray toCp866(QStringView text)
{
    return encode(text, kToCp866);
}

char16_t cp1251ToUnicode(unsigned char byte)
{
    return kFromCp1251[byte];
}

char16_t cp866ToUnicode(unsigned char byte)
{
    return kFromCp866[byte];
}

unsigned char unicodeToCp1251(char16_t ch)
{
    return kToCp1251[ch];
}

unsigned char unicodeToCp866(char16_t ch)
{
    return kToCp866[ch];
}

QByteArray ansiToOem(QByteArrayView ansi)
{
    return recode(ansi, kAnsiToOem);
}

QByteArray oemToAnsi(QByteArrayView oem)
{
    return recode(oem, kOemToAnsi);
}

} // namespace velta::codec
