// Format: the framework's printf-like formatting of Variant arguments, strict
// about which argument types each conversion takes.
#include "common/Exception.h"
#include "common/SysUtils.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace velta {

namespace {

bool isFloatArg(VarType type)
{
    return type == VarType::Single || type == VarType::Double || type == VarType::Currency || type == VarType::Date;
}

void appendDigits(QString& out, std::uint64_t value, unsigned base, int minDigits)
{
    char buf[64];
    int n = 0;
    do {
        const unsigned digit = static_cast<unsigned>(value % base);
        buf[n++] = static_cast<char>(digit < 10 ? '0' + digit : 'A' + digit - 10);
        value /= base;
    } while (value != 0 && n < 64);
    for (int i = n; i < minDigits; ++i)
        out += QLatin1Char('0');
    while (n > 0)
        out += QLatin1Char(buf[--n]);
}

constexpr std::int64_t kMaxNumber = 0x7fffffff;

class Formatter {
public:
    Formatter(const QString& format, const Variant* args, qsizetype argCount, const TFormatSettings& settings)
        : format_(format), args_(args), argCount_(argCount), settings_(settings)
    {
    }

    QString run()
    {
        QString out;
        out.reserve(format_.size() + 16 * argCount_);
        const QChar* const begin = format_.constData();
        end_ = begin + format_.size();
        p_ = begin;
        while (p_ < end_) {
            const QChar* literal = p_;
            while (p_ < end_ && *p_ != QLatin1Char('%'))
                ++p_;
            out.append(literal, p_ - literal);
            if (p_ == end_)
                break;
            ++p_;
            if (p_ == end_)
                fail();
            if (*p_ == QLatin1Char('%')) {
                out += QLatin1Char('%');
                ++p_;
                continue;
            }
            convert(out);
        }
        return out;
    }

private:
    [[noreturn]] void fail() const
    {
        throw EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format_));
    }

    const Variant& nextArg()
    {
        if (argIndex_ >= argCount_)
            fail();
        return args_[argIndex_++];
    }

    // A number of the specifier, or "*" for the next argument (an integer).
    std::optional<int> readNumber()
    {
        if (p_ < end_ && *p_ == QLatin1Char('*')) {
            ++p_;
            const Variant& arg = nextArg();
            if (!isIntegerType(arg.type()))
                fail();
            return static_cast<int>(std::clamp<std::int64_t>(arg.toInt64(), -kMaxNumber, kMaxNumber));
        }
        if (p_ >= end_ || p_->unicode() < u'0' || p_->unicode() > u'9')
            return std::nullopt;
        std::int64_t n = 0;
        while (p_ < end_ && p_->unicode() >= u'0' && p_->unicode() <= u'9') {
            n = std::min<std::int64_t>(n * 10 + (p_->unicode() - u'0'), kMaxNumber);
            ++p_;
        }
        return static_cast<int>(n);
    }

    void convert(QString& out)
    {
        // [index ":"] ["-"] [width] ["." precision] conversion
        std::optional<int> number = readNumber();
        if (p_ < end_ && *p_ == QLatin1Char(':')) {
            ++p_;
            argIndex_ = std::max(number.value_or(0), 0);
            number = readNumber();
        }
        bool left = false;
        if (!number && p_ < end_ && *p_ == QLatin1Char('-')) {
            left = true;
            ++p_;
            number = readNumber();
        }
        int width = number.value_or(0);
        if (width < 0) {
            // A negative width taken from the arguments justifies to the left.
            left = true;
            width = -width;
        }
        int precision = -1;
        if (p_ < end_ && *p_ == QLatin1Char('.')) {
            ++p_;
            precision = std::max(readNumber().value_or(0), 0);
        }
        if (p_ >= end_)
            fail();
        const char16_t kind = p_->toUpper().unicode();
        ++p_;

        const qsizetype start = out.size();
        const Variant& arg = nextArg();
        switch (kind) {
        case u'D':
        case u'U':
        case u'X':
            integer(out, arg, kind, precision);
            break;
        case u'P':
            if (!isIntegerType(arg.type()))
                fail();
            appendDigits(out, static_cast<std::uint64_t>(arg.toInt64()) & unsignedMask(arg), 16, 8);
            break;
        case u'E':
        case u'F':
        case u'G':
        case u'N':
        case u'M':
            floating(out, arg, kind, precision);
            break;
        case u'S': {
            if (arg.type() != VarType::String)
                fail();
            const QString text = arg.toString();
            out += precision >= 0 && precision < text.size() ? QStringView(text).left(precision)
                                                              : QStringView(text);
            break;
        }
        default:
            fail();
        }
        pad(out, start, width, left);
    }

    static std::uint64_t unsignedMask(const Variant& arg)
    {
        return arg.type() == VarType::Int64 ? ~std::uint64_t{0} : std::uint64_t{0xFFFFFFFFu};
    }

    void integer(QString& out, const Variant& arg, char16_t kind, int precision)
    {
        if (!isIntegerType(arg.type()))
            fail();
        const std::int64_t value = arg.toInt64();
        if (kind == u'D') {
            if (value < 0)
                out += QLatin1Char('-');
            const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                                      : static_cast<std::uint64_t>(value);
            appendDigits(out, magnitude, 10, precision);
            return;
        }
        // %u and %x show the bit pattern of a 32-bit value (64-bit for Int64).
        const std::uint64_t bits = static_cast<std::uint64_t>(value) & unsignedMask(arg);
        appendDigits(out, bits, kind == u'U' ? 10 : 16, precision);
    }

    void floating(QString& out, const Variant& arg, char16_t kind, int precision)
    {
        if (!isFloatArg(arg.type()))
            fail();
        const double value = arg.toDouble();
        switch (kind) {
        case u'E':
            out += FloatToStrF(value, FloatFormat::Exponent, precision < 0 ? 15 : precision, 3, settings_);
            break;
        case u'F':
            out += FloatToStrF(value, FloatFormat::Fixed, 15, precision < 0 ? 2 : precision, settings_);
            break;
        case u'G':
            out += FloatToStrF(value, FloatFormat::General, precision < 0 ? 15 : precision, 3, settings_);
            break;
        case u'N':
            out += FloatToStrF(value, FloatFormat::Number, 15, precision < 0 ? 2 : precision, settings_);
            break;
        default:
            out += FloatToStrF(value, FloatFormat::Currency, 15,
                               precision < 0 ? settings_.CurrencyDecimals : precision, settings_);
            break;
        }
    }

    static void pad(QString& out, qsizetype start, int width, bool left)
    {
        const qsizetype written = out.size() - start;
        if (width <= written)
            return;
        const qsizetype fill = width - written;
        if (left)
            out.append(QString(fill, QLatin1Char(' ')));
        else
            out.insert(start, QString(fill, QLatin1Char(' ')));
    }

    const QString& format_;
    const Variant* args_;
    qsizetype argCount_;
    const TFormatSettings& settings_;
    const QChar* p_ = nullptr;
    const QChar* end_ = nullptr;
    qsizetype argIndex_ = 0;
};

} // namespace

QString Format(const QString& format, FormatArgs args, const TFormatSettings& settings)
{
    return Formatter(format, args.begin(), static_cast<qsizetype>(args.size()), settings).run();
}

QString Format(const QString& format, FormatArgs args)
{
    return Format(format, args, globalFormatSettings());
}

QString Format(const QString& format, const QVector<Variant>& args, const TFormatSettings& settings)
{
    return Formatter(format, args.constData(), args.size(), settings).run();
}

} // namespace velta
