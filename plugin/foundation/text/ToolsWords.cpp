// Sums of money and weights written out in Russian words.
#include "plugin/foundation/text/Tools.h"

#include <QStringList>
#include <cmath>

namespace velta {

namespace {

const char16_t* const kUnitsMasculine[10] = {u"", u"один", u"два", u"три", u"четыре",
                                             u"пять", u"шесть", u"семь", u"восемь", u"девять"};
const char16_t* const kUnitsFeminine[10] = {u"", u"одна", u"две", u"три", u"четыре",
                                            u"пять", u"шесть", u"семь", u"восемь", u"девять"};
const char16_t* const kTeens[10] = {u"десять", u"одиннадцать", u"двенадцать", u"тринадцать",
                                    u"четырнадцать", u"пятнадцать", u"шестнадцать",
                                    u"семнадцать", u"восемнадцать", u"девятнадцать"};
const char16_t* const kTens[10] = {u"", u"десять", u"двадцать", u"тридцать", u"сорок",
                                   u"пятьдесят", u"шестьдесят", u"семьдесят", u"восемьдесят",
                                   u"девяносто"};
const char16_t* const kHundreds[10] = {u"", u"сто", u"двести", u"триста", u"четыреста",
                                       u"пятьсот", u"шестьсот", u"семьсот", u"восемьсот",
                                       u"девятьсот"};

// A scale word in its three forms: many (0, 5-9, 11-14), one (1), few (2-4).
struct Scale {
    const char16_t* many;
    const char16_t* one;
    const char16_t* few;
};

const Scale kKopecks{u"копеек", u"копейка", u"копейки"};
const Scale kRoubles{u"рублей", u"рубль", u"рубля"};
const Scale kThousands{u"тысяч", u"тысяча", u"тысячи"};
const Scale kMillions{u"миллионов", u"миллион", u"миллиона"};
const Scale kWeightThousands{u"тыс.", u"тыс.", u"тыс."};
const Scale kMilliards{u"миллиардов", u"миллиард", u"миллиарда"};
const Scale kTrillions{u"триллионов", u"триллион", u"триллиона"};

QString scaleForm(const Scale& scale, int units, int tens)
{
    if (tens != 1 && units == 1)
        return QString::fromUtf16(scale.one);
    if (tens != 1 && units >= 2 && units <= 4)
        return QString::fromUtf16(scale.few);
    return QString::fromUtf16(scale.many);
}

const QString kAsterisks(25, QLatin1Char('*'));

} // namespace

QString AmountInWords(double value)
{
    if (!std::isfinite(value))
        return kAsterisks;
    // Rounded once, as the sum printed beside the words is (half away from zero
    // on the decimal value); one milliard or more does not fit in 12 positions.
    const double rounded = RoundMoney(std::fabs(value));
    if (!(rounded < 1e9))
        return kAsterisks;
    const long long kopecks = std::llround(rounded * 100.0);
    const QString text = QStringLiteral("%1.%2").arg(kopecks / 100).arg(kopecks % 100, 2, 10, QLatin1Char('0'));
    const int length = static_cast<int>(text.size());

    // Digit at position p counted from the right (1 = kopeck units, 3 = separator).
    const auto digit = [&](int p) -> int {
        if (p < 1 || p > length)
            return 0;
        const QChar ch = text.at(length - p);
        return ch.isDigit() ? ch.digitValue() : 0;
    };

    QStringList words;
    const auto add = [&](const QString& word) {
        if (!word.isEmpty())
            words << word;
    };

    for (int p = length; p >= 1; --p) {
        switch (p) {
        case 6: case 9: case 12:
            add(QString::fromUtf16(kHundreds[digit(p)]));
            break;
        case 5: case 8: case 11:
            if (digit(p) == 1 && digit(p - 1) != 0)
                add(QString::fromUtf16(kTeens[digit(p - 1)]));
            else
                add(QString::fromUtf16(kTens[digit(p)]));
            break;
        case 4: case 7: case 10: {
            const int units = digit(p);
            const int tens = digit(p + 1);
            if (tens != 1 || p == length)
                add(QString::fromUtf16(p == 7 ? kUnitsFeminine[units] : kUnitsMasculine[units]));
            if (p == 4) {
                const QString form = scaleForm(kRoubles, units, tens);
                if (words.isEmpty() && form == QString::fromUtf16(kRoubles.many))
                    add(QStringLiteral("ноль"));
                add(form);
            } else if (p == 7) {
                if (digit(7) || digit(8) || digit(9))
                    add(scaleForm(kThousands, units, tens));
            } else {
                add(scaleForm(kMillions, units, tens));
            }
            break;
        }
        case 2:
            add(QString::number(digit(2)) + QString::number(digit(1)));
            break;
        case 1:
            add(scaleForm(kKopecks, digit(1), digit(2)));
            break;
        default:
            break; // the decimal separator
        }
    }

    QString result = words.join(QLatin1Char(' ')) + QLatin1Char(' ');
    result[0] = result[0].toUpper();
    return result;
}

QString WeightInWords(std::uint32_t kilograms)
{
    if (kilograms == 0)
        return QStringLiteral("ноль");

    const QString digits = QString::number(kilograms).rightJustified(15, QLatin1Char('0'));
    const Scale* const scales[5] = {&kTrillions, &kMilliards, &kMillions, &kWeightThousands, nullptr};

    QStringList words;
    const auto add = [&](const char16_t* word) {
        if (*word)
            words << QString::fromUtf16(word);
    };
    for (int group = 0; group < 5; ++group) {
        const int hundreds = digits.at(group * 3).digitValue();
        const int tens = digits.at(group * 3 + 1).digitValue();
        const int units = digits.at(group * 3 + 2).digitValue();
        if (hundreds == 0 && tens == 0 && units == 0)
            continue;
        const Scale* scale = scales[group];
        add(kHundreds[hundreds]);
        if (tens == 1) {
            add(kTeens[units]);
            if (scale)
                add(scale->many);
        } else {
            add(kTens[tens]);
            add(group == 3 ? kUnitsFeminine[units] : kUnitsMasculine[units]);
            if (scale)
                words << scaleForm(*scale, units, 0);
        }
    }
    return words.join(QLatin1Char(' ')) + QStringLiteral(" кг");
}

} // namespace velta
