#include "common/VariantText.h"

#include "common/Exception.h"
#include "common/Hex.h"
#include "common/SysUtils.h"

#include <QStringList>
#include <algorithm>
#include <array>

namespace velta {
namespace {

QString rawText(const Variant& value)
{
    const std::array<std::uint32_t, 4> words = value.rawWords();
    QString text = QStringLiteral("raw:");
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('#');
        text += QString::number(words[i], 16).toUpper();
    }
    return text;
}

QString arrayText(const Variant::Array& elements, int depth);

QString encode(const Variant& value, int depth)
{
    switch (value.type()) {
    case VarType::String:
        return QStringLiteral("str:") + HexEncode(value.toString());
    case VarType::Array:
        return arrayText(value.elements(), depth + 1);
    case VarType::ByteArray: {
        Variant::Array bytes;
        const QByteArray data = value.toByteArray();
        bytes.reserve(data.size());
        for (const char c : data)
            bytes << Variant(static_cast<std::uint8_t>(c));
        return arrayText(bytes, depth + 1);
    }
    default:
        return rawText(value);
    }
}

QString arrayText(const Variant::Array& elements, int depth)
{
    if (depth > kMaxVariantNesting)
        throw EVariantError(QStringLiteral("Variant arrays nested deeper than %1 levels").arg(kMaxVariantNesting));
    QStringList items;
    items.reserve(elements.size());
    // Each item is the hex of its own typed text, so "#" and ":" inside never split the list.
    for (const Variant& element : elements)
        items << HexEncode(encode(element, depth));
    return QStringLiteral("varar:") + items.join(QLatin1Char('#'));
}

constexpr qsizetype kBeyondLimit = kMaxVariantTextLength + 1;

// At least the length of the value's text, counted up to just past the limit.
qsizetype lengthOf(const Variant& value, int depth)
{
    switch (value.type()) {
    case VarType::String:
        return 4 + 2 * value.toString().size();
    case VarType::ByteArray:
        // Each byte: the hex of "raw:11#0#XX#0" or shorter, and a separator.
        return std::min(kBeyondLimit, 6 + value.toByteArray().size() * 27);
    case VarType::Array: {
        if (depth + 1 > kMaxVariantNesting)
            throw EVariantError(QStringLiteral("Variant arrays nested deeper than %1 levels").arg(kMaxVariantNesting));
        qsizetype total = 6;
        const Variant::Array& elements = value.elements();
        for (qsizetype i = 0; i < elements.size() && total <= kMaxVariantTextLength; ++i)
            total += 2 * lengthOf(elements[i], depth + 1) + (i > 0 ? 1 : 0);
        return std::min(total, kBeyondLimit);
    }
    default:
        return 4 + 8 * 4 + 3; // at most: "raw:", four words of eight digits, three separators
    }
}

// One word of a "raw:" text.
std::uint32_t parseHexWord(const QString& item)
{
    bool ok = false;
    const qulonglong word = item.trimmed().toULongLong(&ok, 16);
    if (!ok || word > 0xFFFFFFFFull)
        throw EConvertError(Format(QStringLiteral("'%s' is not a valid integer value"), {item}));
    return static_cast<std::uint32_t>(word);
}

} // namespace

QString VariantToText(const Variant& value)
{
    if (value.isArray() || value.isByteArray()) {
        if (lengthOf(value, 0) > kMaxVariantTextLength)
            throw EVariantError(QStringLiteral("The text of the variant would be longer than %1 characters")
                                    .arg(kMaxVariantTextLength));
    }
    return encode(value, 0);
}

void TextToVariant(const QString& text, Variant& value)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return;
    const QString kind = text.left(colon);
    const QString payload = text.mid(colon + 1);

    if (kind == QLatin1String("raw")) {
        const QStringList items = payload.split(QLatin1Char('#'));
        if (items.size() < 4)
            throw EConvertError(Format(QStringLiteral("Invalid raw variant text '%s'"), {text}));
        std::array<std::uint32_t, 4> words{};
        for (int i = 0; i < 4; ++i)
            words[i] = parseHexWord(items[i]);
        value = Variant::fromRawWords(words);
    } else if (kind == QLatin1String("str")) {
        value = Variant(HexDecode(payload));
    } else if (kind == QLatin1String("varar")) {
        const QStringList items = payload.isEmpty() ? QStringList() : payload.split(QLatin1Char('#'));
        Variant::Array elements(items.size());
        for (qsizetype i = 0; i < items.size(); ++i)
            TextToVariant(HexDecode(items[i]), elements[i]);
        value = Variant(std::move(elements));
    } else {
        value = Variant();
    }
}

} // namespace velta
