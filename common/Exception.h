#pragma once
// The exception family: every failure carries a message, reports its class
// name, and can be copied with another message (for wrapping with context).
#include "common/RuntimeExport.h"

#include <QByteArray>
#include <QString>
#include <exception>
#include <memory>

namespace velta {

class VELTA_RUNTIME_EXPORT Exception : public std::exception {
public:
    explicit Exception(QString message);
    ~Exception() override;

    const QString& message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

    // The class name as the framework spells it ("EConvertError").
    virtual QString className() const;
    // A new exception of the same class whose message is the given one.
    virtual std::unique_ptr<Exception> withMessage(const QString& message) const;
    // Throws this object as its own class.
    [[noreturn]] virtual void raise() const;

protected:
    void resetMessage(const QString& message);

private:
    QString message_;
    QByteArray utf8_;
};

// Declares a class of the family: ExceptionClass<EFoo, EBase> gives EFoo its
// class name, copies and raising as its own type.
template <class Self, class Base = Exception>
class ExceptionClass : public Base {
public:
    using Base::Base;
    QString className() const override { return QString::fromLatin1(Self::kClassName); }
    std::unique_ptr<Exception> withMessage(const QString& message) const override
    {
        auto copy = std::make_unique<Self>(static_cast<const Self&>(*this));
        copy->resetMessage(message);
        return copy;
    }
    [[noreturn]] void raise() const override { throw static_cast<const Self&>(*this); }
};

class VELTA_RUNTIME_EXPORT EConvertError : public ExceptionClass<EConvertError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EConvertError";
};
class VELTA_RUNTIME_EXPORT EVariantError : public ExceptionClass<EVariantError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EVariantError";
};
class VELTA_RUNTIME_EXPORT EIniFileException : public ExceptionClass<EIniFileException> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EIniFileException";
};
class VELTA_RUNTIME_EXPORT EDatabaseError : public ExceptionClass<EDatabaseError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EDatabaseError";
};
class VELTA_RUNTIME_EXPORT EInOutError : public ExceptionClass<EInOutError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EInOutError";
};
class VELTA_RUNTIME_EXPORT EOleException : public ExceptionClass<EOleException> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EOleException";
};
class VELTA_RUNTIME_EXPORT EOleSysError : public ExceptionClass<EOleSysError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EOleSysError";
};
class VELTA_RUNTIME_EXPORT EAbort : public ExceptionClass<EAbort> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EAbort";
};
class VELTA_RUNTIME_EXPORT EAssertionFailed : public ExceptionClass<EAssertionFailed> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EAssertionFailed";
};
class VELTA_RUNTIME_EXPORT EOSError : public ExceptionClass<EOSError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EOSError";
};
class VELTA_RUNTIME_EXPORT ERegistryException : public ExceptionClass<ERegistryException> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "ERegistryException";
};
class VELTA_RUNTIME_EXPORT EFOpenError : public ExceptionClass<EFOpenError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EFOpenError";
};
class VELTA_RUNTIME_EXPORT EFCreateError : public ExceptionClass<EFCreateError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EFCreateError";
};
class VELTA_RUNTIME_EXPORT EReadError : public ExceptionClass<EReadError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EReadError";
};
class VELTA_RUNTIME_EXPORT EWriteError : public ExceptionClass<EWriteError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EWriteError";
};
class VELTA_RUNTIME_EXPORT EListError : public ExceptionClass<EListError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EListError";
};
class VELTA_RUNTIME_EXPORT EProtocolError : public ExceptionClass<EProtocolError> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EProtocolError";
};
// A printer that cannot be used (none installed, none chosen, a job that cannot start).
class VELTA_RUNTIME_EXPORT EPrinter : public ExceptionClass<EPrinter> {
public:
    using ExceptionClass::ExceptionClass;
    static constexpr const char* kClassName = "EPrinter";
};

// Throws the exception made from a class name and a message, as an answer from
// another process names them: a known class becomes that class, any other an Exception.
[[noreturn]] VELTA_RUNTIME_EXPORT void raiseByClassName(const QString& className, const QString& message);

} // namespace velta
