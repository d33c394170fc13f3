#pragma once
// The private-profile functions of the platform, stood in for on Linux: an INI
// reader and writer with the observable behaviour of the Windows functions.
// Files are cp1251 byte for byte; section and key names match without regard to
// letter case; blanks around names and values are trimmed and one pair of
// enclosing double quotes is stripped on read. Every change is on disk before
// the call returns, written atomically (temporary file, fsync, rename).
// Parsed files are kept in a process-wide cache validated by stat on every
// access, so repeated reads cost a stat and a hash lookup.
// Failures set SystemError's last error and return false.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace velta::IniFileStore {

// GetPrivateProfileString with a key: the value of the key, or the default when
// the key (or the file) is missing. The result holds at most bufferSize - 1
// characters, as the platform's buffer keeps one place for the terminating zero.
// Returns false only when the file exists but cannot be read (the default is
// returned then).
bool readString(const QString& fileName, const QString& section, const QString& key,
                const QString& defaultValue, int bufferSize, QString& result);

// GetPrivateProfileString without a key: the key names of a section, in file order.
bool readKeys(const QString& fileName, const QString& section, QStringList& keys);

// GetPrivateProfileSectionNames: the section names, in file order.
bool readSections(const QString& fileName, QStringList& sections);

// WritePrivateProfileString: section, key and value given writes the value
// (a missing section is appended at the end of the file); no value deletes the
// key; no key deletes the section; nothing given flushes (every change is
// already on disk, so a flush only drops cached state). Names and values
// holding a line break or a zero character, keys holding "=" or starting with
// "[" or ";", and sections holding "]" are refused (invalid parameter), as they
// would corrupt the file.
bool writeString(const QString& fileName, const std::optional<QString>& section,
                 const std::optional<QString>& key, const std::optional<QString>& value);

// Checks that the file exists and can be read; sets the last error otherwise.
bool probeReadable(const QString& fileName);

// The native path the store uses for a file name: Windows-style names are
// mapped through Paths, a bare file name lies in the Windows folder (as the
// platform functions look there), any other native path is kept.
QString nativePathOf(const QString& fileName);

// Forgets every cached file (tests and tools that edit files behind our back).
void clearCache();

// Holds this thread's changes to one file in memory until commit(), so that the
// changes of one operation (a value stored across several keys) reach the disk
// in a single atomic replacement: a process that dies midway leaves the old
// value whole. Reads of the file on this thread see the held changes. Nested
// deferrals of the same file join the outermost one, which alone writes.
// Changes not committed are dropped when the object goes.
class DeferredWrites {
public:
    explicit DeferredWrites(const QString& fileName);
    ~DeferredWrites();
    DeferredWrites(const DeferredWrites&) = delete;
    DeferredWrites& operator=(const DeferredWrites&) = delete;

    // Writes the held changes; false with the last error set when the write
    // fails (the changes stay held, so the commit can be tried again).
    bool commit();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace velta::IniFileStore
