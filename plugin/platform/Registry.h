#pragma once
// The registry stand-in: HKEY_LOCAL_MACHINE in $VELTA_ROOT/registry/HKLM.reg,
// HKEY_CURRENT_USER in $XDG_CONFIG_HOME/velta/HKCU.reg. Keys are paths of
// names separated by backslashes, matched without regard to letter case;
// values are strings, integers or booleans. Every change rewrites the hive file
// whole and atomically under a named lock; every read sees the file as it is.
// The TRegistry class follows the framework's class of that name.
#include <QString>
#include <QStringList>

namespace velta {

enum class RootKey { LocalMachine, CurrentUser };

enum class RegDataType { None, String, Integer, Boolean };

class TRegistry {
public:
    explicit TRegistry(RootKey root = RootKey::CurrentUser);
    ~TRegistry();

    RootKey rootKey() const { return root_; }
    void setRootKey(RootKey root) { root_ = root; closeKey(); }

    // Opens a key ("Software\Norvane\Velta\common"; a leading backslash is
    // allowed); with canCreate a missing key is created. False when missing.
    bool openKey(const QString& key, bool canCreate);
    bool openKeyReadOnly(const QString& key);
    void closeKey();
    QString currentPath() const { return current_; }
    bool hasCurrentKey() const { return open_; }

    bool keyExists(const QString& key) const;
    bool createKey(const QString& key);
    bool deleteKey(const QString& key); // with its subkeys

    bool valueExists(const QString& name) const;
    RegDataType dataType(const QString& name) const;
    QStringList valueNames() const;
    QStringList keyNames() const;
    bool deleteValue(const QString& name);

    // Reads raise ERegistryException "Invalid data type for '%s'" when the value
    // has another type, "Failed to get data for '%s'" when it is missing (strings
    // read as empty when missing, as the framework does).
    QString readString(const QString& name) const;
    int readInteger(const QString& name) const;
    bool readBool(const QString& name) const;
    void writeString(const QString& name, const QString& value);
    void writeInteger(const QString& name, int value);
    void writeBool(const QString& name, bool value);

private:
    // The full path of a key name: relative to the open key unless it starts
    // with a backslash.
    QString resolve(const QString& key) const;
    bool open(const QString& key, bool canCreate, bool readOnly);
    void writeValue(const QString& name, RegDataType type, const QString& text, int number);

    RootKey root_;
    QString current_;
    bool open_ = false;
    bool readOnly_ = false;
};

} // namespace velta
