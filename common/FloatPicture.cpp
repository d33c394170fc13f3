// FormatFloat: numbers written by a picture of digit placeholders ("0", "#"),
// decimal point, thousands flag, exponent and literal text, in up to three
// sections for positive, negative and zero values.
#include "common/FloatDecimal.h"
#include "common/SysUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velta {

namespace {

bool isQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

// Splits the picture at semicolons outside quoted text (at most three sections).
std::array<QStringView, 3> splitSections(QStringView picture, int& sectionCount)
{
    std::array<QStringView, 3> sections;
    sectionCount = 0;
    qsizetype start = 0;
    QChar quote;
    for (qsizetype i = 0; i <= picture.size(); ++i) {
        if (i < picture.size()) {
            const QChar c = picture[i];
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
                continue;
            }
            if (isQuote(c)) {
                quote = c;
                continue;
            }
            if (c != QLatin1Char(';'))
                continue;
        }
        if (sectionCount < 3)
            sections[sectionCount++] = picture.mid(start, i - start);
        start = i + 1;
    }
    return sections;
}

struct SectionLayout {
    int integerPlaceholders = 0;
    int firstIntegerZero = -1;   // index of the first "0" before the point
    int fractionPlaceholders = 0;
    int forcedFraction = 0;      // fraction places up to the last "0"
    bool decimalPoint = false;
    bool thousands = false;
    bool scientific = false;
};

bool exponentAt(QStringView s, qsizetype i)
{
    return (s[i] == QLatin1Char('E') || s[i] == QLatin1Char('e')) && i + 1 < s.size()
           && (s[i + 1] == QLatin1Char('+') || s[i + 1] == QLatin1Char('-'));
}

SectionLayout scanSection(QStringView s)
{
    SectionLayout layout;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (isQuote(c)) {
            const qsizetype close = s.indexOf(c, i + 1);
            i = close < 0 ? s.size() : close;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (!layout.decimalPoint) {
                if (c == QLatin1Char('0') && layout.firstIntegerZero < 0)
                    layout.firstIntegerZero = layout.integerPlaceholders;
                ++layout.integerPlaceholders;
            } else {
                ++layout.fractionPlaceholders;
                if (c == QLatin1Char('0'))
                    layout.forcedFraction = layout.fractionPlaceholders;
            }
        } else if (c == QLatin1Char('.')) {
            layout.decimalPoint = true;
        } else if (c == QLatin1Char(',')) {
            layout.thousands = true;
        } else if (exponentAt(s, i)) {
            // Only the first exponent counts; what follows it is not a digit placeholder.
            layout.scientific = true;
            break;
        }
    }
    return layout;
}

class PictureWriter {
public:
    PictureWriter(QStringView section, const SectionLayout& layout, const TFormatSettings& settings)
        : section_(section), layout_(layout), settings_(settings)
    {
    }

    // Fills the integer and fraction digits from the rounded value.
    void setDigits(const FloatDecimal& d)
    {
        const int forcedInteger =
            layout_.firstIntegerZero < 0 ? 0 : layout_.integerPlaceholders - layout_.firstIntegerZero;
        integer_.clear();
        fraction_.clear();
        if (layout_.scientific) {
            if (!d.isZero()) {
                for (int i = 0; i < layout_.integerPlaceholders; ++i)
                    integer_ += QLatin1Char(d.digit(i));
                exponent_ = d.exponent - layout_.integerPlaceholders;
            }
            for (int j = 0; j < layout_.fractionPlaceholders; ++j)
                fraction_ += QLatin1Char(d.digit(layout_.integerPlaceholders + j));
        } else {
            for (int i = 0; i < d.exponent; ++i)
                integer_ += QLatin1Char(d.digit(i));
            for (int j = 0; j < layout_.fractionPlaceholders; ++j)
                fraction_ += QLatin1Char(d.digit(d.exponent + j));
        }
        if (integer_.size() < forcedInteger)
            integer_.prepend(QString(forcedInteger - integer_.size(), QLatin1Char('0')));
        while (fraction_.size() > layout_.forcedFraction && fraction_.endsWith(QLatin1Char('0')))
            fraction_.chop(1);
    }

    QString write(bool minus) const
    {
        QString out;
        out.reserve(section_.size() + integer_.size() + 8);
        if (minus)
            out += QLatin1Char('-');
        int integerIndex = 0;
        int fractionIndex = 0;
        bool pointDone = false;
        const qsizetype offset = integer_.size() - layout_.integerPlaceholders;
        for (qsizetype i = 0; i < section_.size(); ++i) {
            const QChar c = section_[i];
            if (isQuote(c)) {
                qsizetype close = section_.indexOf(c, i + 1);
                if (close < 0)
                    close = section_.size();
                out += section_.mid(i + 1, close - i - 1);
                i = close;
            } else if ((c == QLatin1Char('0') || c == QLatin1Char('#')) && !pointDone) {
                if (integerIndex == 0) {
                    for (qsizetype k = 0; k <= offset; ++k)
                        appendIntegerDigit(out, k);
                } else if (offset + integerIndex >= 0) {
                    appendIntegerDigit(out, offset + integerIndex);
                }
                ++integerIndex;
            } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
                if (fractionIndex < fraction_.size())
                    out += fraction_[fractionIndex];
                ++fractionIndex;
            } else if (c == QLatin1Char('.')) {
                if (pointDone)
                    continue;
                pointDone = true;
                // A picture with no integer placeholders still shows the integer digits.
                if (layout_.integerPlaceholders == 0)
                    for (qsizetype k = 0; k < integer_.size(); ++k)
                        appendIntegerDigit(out, k);
                if (!fraction_.isEmpty())
                    out += settings_.DecimalSeparator;
            } else if (c == QLatin1Char(',')) {
                continue;
            } else if (exponentAt(section_, i)) {
                appendExponent(out, i);
                // The exponent ends the number: the rest is literal text.
                i = skipExponentDigits(i);
                appendLiterals(out, i + 1);
                return out;
            } else {
                out += c;
            }
        }
        return out;
    }

private:
    void appendIntegerDigit(QString& out, qsizetype k) const
    {
        out += integer_[k];
        const qsizetype left = integer_.size() - 1 - k;
        if (layout_.thousands && !layout_.scientific && left > 0 && left % 3 == 0
            && !settings_.ThousandSeparator.isNull())
            out += settings_.ThousandSeparator;
    }

    qsizetype skipExponentDigits(qsizetype i) const
    {
        i += 1; // the sign
        while (i + 1 < section_.size() && section_[i + 1] == QLatin1Char('0'))
            ++i;
        return i;
    }

    void appendExponent(QString& out, qsizetype i) const
    {
        out += section_[i];
        if (exponent_ < 0)
            out += QLatin1Char('-');
        else if (section_[i + 1] == QLatin1Char('+'))
            out += QLatin1Char('+');
        const int minDigits = std::min<int>(4, static_cast<int>(skipExponentDigits(i) - (i + 1)));
        const QString digits = QString::number(std::abs(exponent_));
        for (qsizetype k = digits.size(); k < minDigits; ++k)
            out += QLatin1Char('0');
        out += digits;
    }

    void appendLiterals(QString& out, qsizetype from) const
    {
        for (qsizetype i = from; i < section_.size(); ++i) {
            const QChar c = section_[i];
            if (isQuote(c)) {
                qsizetype close = section_.indexOf(c, i + 1);
                if (close < 0)
                    close = section_.size();
                out += section_.mid(i + 1, close - i - 1);
                i = close;
            } else {
                out += c;
            }
        }
    }

    QStringView section_;
    const SectionLayout& layout_;
    const TFormatSettings& settings_;
    QString integer_;
    QString fraction_;
    int exponent_ = 0;
};

FloatDecimal roundForLayout(double value, const SectionLayout& layout)
{
    if (layout.scientific)
        return toFloatDecimal(value,
                              std::clamp(layout.integerPlaceholders + layout.fractionPlaceholders, 1, 18),
                              kNoDecimalLimit);
    return toFloatDecimal(value, 15, layout.fractionPlaceholders);
}

} // namespace

QString FormatFloat(const QString& picture, double value, const TFormatSettings& settings)
{
    int sectionCount = 0;
    const auto sections = splitSections(picture, sectionCount);
    if (!std::isfinite(value) || sections[0].isEmpty())
        return FloatToStrF(value, FloatFormat::General, 15, 0, settings);

    auto pick = [&](int index) {
        return index < sectionCount && !sections[index].isEmpty() ? index : 0;
    };
    int index = pick(value > 0 ? 0 : value < 0 ? 1 : 2);
    SectionLayout layout = scanSection(sections[index]);
    FloatDecimal d = roundForLayout(value, layout);
    // A value that rounds to zero is written by the zero section when there is one.
    if (d.isZero() && index != 2 && pick(2) == 2) {
        index = 2;
        layout = scanSection(sections[index]);
        d = roundForLayout(0.0, layout);
    }
    if (!layout.scientific && d.exponent > 18)
        return FloatToStrF(value, FloatFormat::General, 15, 0, settings);

    PictureWriter writer(sections[index], layout, settings);
    writer.setDigits(d);
    // The negative section carries its own sign; the first section gets a minus.
    return writer.write(d.negative && index == 0);
}

QString FormatFloat(const QString& picture, double value)
{
    return FormatFloat(picture, value, globalFormatSettings());
}

} // namespace velta
