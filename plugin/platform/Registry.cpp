#include "plugin/platform/Registry.h"

#include "common/Exception.h"
#include "plugin/platform/RegistryStore.h"

namespace velta {

namespace {

[[noreturn]] void raise(const char* pattern, const QString& name)
{
    throw ERegistryException(QString::fromLatin1(pattern).arg(name));
}

const RegValue* findValue(const RegistryHive& hive, bool open, const QString& key, const QString& name)
{
    return open ? hive.value(key, name) : nullptr;
}

} // namespace

TRegistry::TRegistry(RootKey root)
    : root_(root)
{
}

TRegistry::~TRegistry() = default;

QString TRegistry::resolve(const QString& key) const
{
    const bool relative = !key.startsWith(u'\\');
    const QString path = RegistryHive::normalizePath(key);
    if (relative && open_ && !current_.isEmpty())
        return path.isEmpty() ? current_ : current_ + u'\\' + path;
    return path;
}

bool TRegistry::open(const QString& key, bool canCreate, bool readOnly)
{
    const QString path = resolve(key);
    if (!RegistryHive::isValidPath(path))
        return false;
    const QString file = RegistryStore::hivePath(root_);
    bool exists;
    if (canCreate && !path.isEmpty()) {
        const auto result = RegistryStore::change(file, [&](RegistryHive& hive) {
            if (hive.hasKey(path))
                return false; // nothing to write
            return hive.createKey(path);
        });
        exists = result == RegistryStore::ChangeResult::Applied || RegistryStore::load(file)->hasKey(path);
    } else {
        exists = RegistryStore::load(file)->hasKey(path);
    }
    if (!exists)
        return false;
    current_ = path;
    open_ = true;
    readOnly_ = readOnly;
    return true;
}

bool TRegistry::openKey(const QString& key, bool canCreate)
{
    return open(key, canCreate, false);
}

bool TRegistry::openKeyReadOnly(const QString& key)
{
    return open(key, false, true);
}

void TRegistry::closeKey()
{
    current_.clear();
    open_ = false;
    readOnly_ = false;
}

bool TRegistry::keyExists(const QString& key) const
{
    const QString path = resolve(key);
    return RegistryHive::isValidPath(path) && RegistryStore::load(RegistryStore::hivePath(root_))->hasKey(path);
}

bool TRegistry::createKey(const QString& key)
{
    const QString path = resolve(key);
    if (!RegistryHive::isValidPath(path))
        return false;
    const QString file = RegistryStore::hivePath(root_);
    const auto result = RegistryStore::change(file, [&](RegistryHive& hive) {
        return !hive.hasKey(path) && hive.createKey(path);
    });
    return result == RegistryStore::ChangeResult::Applied || RegistryStore::load(file)->hasKey(path);
}

bool TRegistry::deleteKey(const QString& key)
{
    const QString path = resolve(key);
    const auto result = RegistryStore::change(RegistryStore::hivePath(root_),
                                              [&](RegistryHive& hive) { return hive.deleteKey(path); });
    return result == RegistryStore::ChangeResult::Applied;
}

bool TRegistry::valueExists(const QString& name) const
{
    const auto hive = RegistryStore::load(RegistryStore::hivePath(root_));
    return findValue(*hive, open_, current_, name) != nullptr;
}

RegDataType TRegistry::dataType(const QString& name) const
{
    const auto hive = RegistryStore::load(RegistryStore::hivePath(root_));
    const RegValue* value = findValue(*hive, open_, current_, name);
    return value ? value->type : RegDataType::None;
}

QStringList TRegistry::valueNames() const
{
    if (!open_)
        return {};
    return RegistryStore::load(RegistryStore::hivePath(root_))->valueNames(current_);
}

QStringList TRegistry::keyNames() const
{
    if (!open_)
        return {};
    return RegistryStore::load(RegistryStore::hivePath(root_))->subkeyNames(current_);
}

bool TRegistry::deleteValue(const QString& name)
{
    if (!open_ || readOnly_)
        return false;
    const auto result = RegistryStore::change(RegistryStore::hivePath(root_),
                                              [&](RegistryHive& hive) { return hive.deleteValue(current_, name); });
    return result == RegistryStore::ChangeResult::Applied;
}

QString TRegistry::readString(const QString& name) const
{
    const auto hive = RegistryStore::load(RegistryStore::hivePath(root_));
    const RegValue* value = findValue(*hive, open_, current_, name);
    if (!value)
        return {};
    if (value->type != RegDataType::String)
        raise("Invalid data type for '%1'", name);
    return value->text;
}

int TRegistry::readInteger(const QString& name) const
{
    const auto hive = RegistryStore::load(RegistryStore::hivePath(root_));
    const RegValue* value = findValue(*hive, open_, current_, name);
    if (!value)
        raise("Failed to get data for '%1'", name);
    // Booleans are integers underneath, as the framework stores them.
    if (value->type != RegDataType::Integer && value->type != RegDataType::Boolean)
        raise("Invalid data type for '%1'", name);
    return value->number;
}

bool TRegistry::readBool(const QString& name) const
{
    return readInteger(name) != 0;
}

void TRegistry::writeValue(const QString& name, RegDataType type, const QString& text, int number)
{
    if (!open_ || readOnly_)
        raise("Failed to set data for '%1'", name);
    RegValue value{name, type, text, number};
    // A key deleted meanwhile (by this or another program) takes no values.
    const auto result = RegistryStore::change(RegistryStore::hivePath(root_),
                                              [&](RegistryHive& hive) { return hive.setValue(current_, value); });
    if (result != RegistryStore::ChangeResult::Applied)
        raise("Failed to set data for '%1'", name);
}

void TRegistry::writeString(const QString& name, const QString& value)
{
    writeValue(name, RegDataType::String, value, 0);
}

void TRegistry::writeInteger(const QString& name, int value)
{
    writeValue(name, RegDataType::Integer, QString(), value);
}

void TRegistry::writeBool(const QString& name, bool value)
{
    writeValue(name, RegDataType::Boolean, QString(), value ? 1 : 0);
}

} // namespace velta
