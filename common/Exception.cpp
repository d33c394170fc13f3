#include "common/Exception.h"

#include <functional>
#include <map>

namespace velta {

Exception::Exception(QString message)
    : message_(std::move(message))
    , utf8_(message_.toUtf8())
{
}

Exception::~Exception() = default;

QString Exception::className() const
{
    return QStringLiteral("Exception");
}

std::unique_ptr<Exception> Exception::withMessage(const QString& message) const
{
    auto copy = std::make_unique<Exception>(*this);
    copy->resetMessage(message);
    return copy;
}

void Exception::raise() const
{
    throw *this;
}

void Exception::resetMessage(const QString& message)
{
    message_ = message;
    utf8_ = message_.toUtf8();
}

namespace {
template <class E>
[[noreturn]] void raiseAs(const QString& message)
{
    throw E(message);
}
} // namespace

void raiseByClassName(const QString& className, const QString& message)
{
    using Raiser = void (*)(const QString&);
    static const std::map<QString, Raiser> known = {
        {QStringLiteral("EConvertError"), &raiseAs<EConvertError>},
        {QStringLiteral("EVariantError"), &raiseAs<EVariantError>},
        {QStringLiteral("EIniFileException"), &raiseAs<EIniFileException>},
        {QStringLiteral("EDatabaseError"), &raiseAs<EDatabaseError>},
        {QStringLiteral("EInOutError"), &raiseAs<EInOutError>},
        {QStringLiteral("EOleException"), &raiseAs<EOleException>},
        {QStringLiteral("EOleSysError"), &raiseAs<EOleSysError>},
        {QStringLiteral("EAbort"), &raiseAs<EAbort>},
        {QStringLiteral("EAssertionFailed"), &raiseAs<EAssertionFailed>},
        {QStringLiteral("EOSError"), &raiseAs<EOSError>},
        {QStringLiteral("ERegistryException"), &raiseAs<ERegistryException>},
        {QStringLiteral("EFOpenError"), &raiseAs<EFOpenError>},
        {QStringLiteral("EFCreateError"), &raiseAs<EFCreateError>},
        {QStringLiteral("EReadError"), &raiseAs<EReadError>},
        {QStringLiteral("EWriteError"), &raiseAs<EWriteError>},
        {QStringLiteral("EListError"), &raiseAs<EListError>},
        {QStringLiteral("EProtocolError"), &raiseAs<EProtocolError>},
        {QStringLiteral("EPrinter"), &raiseAs<EPrinter>},
    };
    const auto it = known.find(className);
    if (it != known.end())
        it->second(message);
    throw Exception(message);
}

} // namespace velta
