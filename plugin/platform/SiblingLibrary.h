#pragma once
// Sibling libraries of the suite, found at run time by the names the suite
// gives them. A name maps to a shared library file: the folder is set aside,
// ".dll" dropped and the rest lower-cased as "lib<name>.so" ("Lectra.dll" ->
// "liblectra.so", "C:\DEXE\Merx9.dll" -> "libmerx9.so"). The file is looked
// for, in order: in the name's folder mapped as every Windows path is
// (C:\DEXE\ -> $VELTA_ROOT/C/DEXE/), beside the module that asks (the plug-in's
// own folder; a program's for code linked into it), and on the loader's path
// (LD_LIBRARY_PATH, the asking module's run path, the system folders).
#include <QString>
#include <QStringList>

namespace velta {

class SiblingLibrary {
public:
    // The shared library file name of a suite name.
    static QString fileName(const QString& name);
    // Where the file is looked for, in order: full paths, then the bare file
    // name for the loader's own search.
    static QStringList candidates(const QString& name);

    // Loads the library. Not loaded when no candidate loads; error() then
    // holds the loader's reason.
    static SiblingLibrary load(const QString& name);
    // The library when the process has already loaded it (under any of its
    // candidates' names or by its own file); never loads it.
    static SiblingLibrary findLoaded(const QString& name);

    SiblingLibrary() = default;
    ~SiblingLibrary();
    SiblingLibrary(SiblingLibrary&& other) noexcept;
    SiblingLibrary& operator=(SiblingLibrary&& other) noexcept;
    SiblingLibrary(const SiblingLibrary&) = delete;
    SiblingLibrary& operator=(const SiblingLibrary&) = delete;

    bool isLoaded() const { return handle_ != nullptr; }
    // The exported function or variable, or null (also when not loaded).
    void* symbol(const char* name) const;
    // The candidate the library was opened by.
    const QString& path() const { return path_; }
    const QString& error() const { return error_; }
    // Lets the library go (the loader unloads it when nobody else holds it).
    void close();

private:
    void* handle_ = nullptr;
    QString path_;
    QString error_;
};

// The barcode scanner library as the plug-in uses it: SetEventProc installs
// the event procedure and returns the previous one; the procedure receives a
// scanned code as one length byte and at most 255 cp1251 characters, possibly
// on the library's own thread.
namespace scanner {
inline constexpr char kLibraryName[] = "Lectra.dll";
inline constexpr char kSetEventProc[] = "SetEventProc";
using EventProc = void (*)(const unsigned char* code);
using SetEventProcFn = EventProc (*)(EventProc proc);
} // namespace scanner

// The department library: "GetCurrentDepartmentPath" fills its one out text.
namespace department {
inline constexpr char kLibraryName[] = "C:\\DEXE\\Merx9.dll";
inline constexpr char kGetCurrentDepartmentPath[] = "GetCurrentDepartmentPath";
using GetCurrentDepartmentPathFn = void (*)(QString& path);
} // namespace department

// The current department's path from the department library when the process
// has already loaded it; empty when it is not loaded or lacks the function.
// The library is never loaded for this.
QString CurrentDepartmentPath();

} // namespace velta
