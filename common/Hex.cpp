#include "common/Hex.h"

#include "common/Codecs.h"

namespace velta {

QByteArray HexEncodeBytes(QByteArrayView bytes)
{
    QByteArray out(bytes.size() * 2, Qt::Uninitialized);
    char* p = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *p++ = HexDigitChar(b >> 4);
        *p++ = HexDigitChar(b);
    }
    return out;
}

QByteArray HexDecodeBytes(QByteArrayView hexText)
{
    QByteArray out(hexText.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < out.size(); ++i) {
        const int high = HexDigitValue(static_cast<unsigned char>(hexText[2 * i]));
        const int low = HexDigitValue(static_cast<unsigned char>(hexText[2 * i + 1]));
        out[i] = (high < 0 || low < 0) ? '?' : static_cast<char>(high * 16 + low);
    }
    return out;
}

QString HexEncode(const QString& text)
{
    return QString::fromLatin1(HexEncodeBytes(codec::toCp1251(text)));
}

QString HexDecode(const QString& text)
{
    return codec::fromCp1251(HexDecodeBytes(codec::toCp1251(text)));
}

} // namespace velta
