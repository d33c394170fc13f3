#pragma once
// Automation of office programs: objects whose methods and properties are
// reached by name, made from a program identifier (CreateOleObject). On this
// platform the word processor and spreadsheet of the other office suite are
// never registered; the service manager of LibreOffice is stood in for by a
// small object model that hands the clipboard's report to a new Writer or
// Calc document started through the soffice program.
#include "common/Variant.h"

#include <QString>
#include <QVector>
#include <memory>

namespace velta {

class AutomationObject;

// A value of an automation call: a plain Variant or an automation object.
class OleVariant {
public:
    OleVariant() = default;
    OleVariant(const Variant& value) : value_(value) {}
    OleVariant(std::shared_ptr<AutomationObject> object) : object_(std::move(object)) {}

    bool isObject() const { return object_ != nullptr; }
    const Variant& value() const { return value_; }
    // The object; a plain value raises EOleException.
    AutomationObject& object() const;
    const std::shared_ptr<AutomationObject>& objectPtr() const { return object_; }

    // Late-bound calls on the object: a method, a property (with optional
    // indexes, as Cells(1, 1)) and a property assignment.
    OleVariant call(const QString& member, const QVector<OleVariant>& args = {}) const;
    OleVariant get(const QString& property, const QVector<OleVariant>& args = {}) const;
    void set(const QString& property, const OleVariant& value) const;

private:
    Variant value_;
    std::shared_ptr<AutomationObject> object_;
};

using OleArgs = QVector<OleVariant>;

// An object of an automation server. Member names are matched without regard
// to letter case; an unknown member raises EOleException.
class AutomationObject {
public:
    virtual ~AutomationObject();
    virtual OleVariant invoke(const QString& member, const OleArgs& args) = 0;
    virtual OleVariant get(const QString& property, const OleArgs& args) = 0;
    virtual void set(const QString& property, const OleVariant& value) = 0;

protected:
    // The EOleException of a member this object does not have.
    [[noreturn]] static void raiseUnknownMember(const QString& member);
    // Raises EOleException unless the call has exactly count arguments.
    static void checkArgCount(const QString& member, const OleArgs& args, int count);
};

// Makes automation objects from program identifiers.
class AutomationFactory {
public:
    virtual ~AutomationFactory();
    // A program that is not registered raises EOleSysError with the
    // system's "not registered" message (kClassNotRegisteredMessage).
    virtual OleVariant createOleObject(const QString& progId) = 0;
};

// The system's text for a program identifier nobody registered.
extern const QString kClassNotRegisteredMessage;

// The platform's automation: only "com.sun.star.ServiceManager" exists, and
// only while a program "soffice" is on the search path.
class OfficeAutomation : public AutomationFactory {
public:
    OleVariant createOleObject(const QString& progId) override;

    // The soffice program found on PATH, or empty.
    static QString findOffice();
    // The arguments soffice gets to open the file as a new document:
    // Writer for "private:factory/swriter", Calc for "private:factory/scalc".
    static QStringList officeArguments(const QString& factoryUrl, const QString& nativeFile);

    // The factory in force: the platform's unless a test installed another.
    static AutomationFactory& current();
    // Installs a factory (nullptr restores the platform's); not owned.
    static void install(AutomationFactory* factory);
};

// CreateOleObject through the factory in force.
OleVariant CreateOleObject(const QString& progId);

} // namespace velta
