#include "station/lib/ReportVariantText.h"

#include "common/Exception.h"
#include "plugin/foundation/SafeIniFiles.h"

#include <QStringList>

namespace velta::station {
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

} // namespace

QString VariantToText(const Variant& value)
{
    return encode(value, 0);
}

} // namespace velta::station
