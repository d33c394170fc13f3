#pragma once
// Windows-style paths of the suite ("C:\DEXE\...", "S:\...") stay Windows-style
// in the logic and are mapped onto the Linux file system only when a file is
// touched: C:\ -> $VELTA_ROOT/C/, S:\ -> $VELTA_ROOT/S/. Components of a
// Windows-style path match existing names without regard to letter case.
#include <QString>

namespace velta::Paths {

// $VELTA_ROOT, default ~/.local/share/velta (native, no trailing slash).
QString root();

// True for "X:\..." (or "X:/...") and for "\\..." rooted paths.
bool isWindowsPath(const QString& path);

// The native path for a Windows-style or native path. Existing components are
// matched case-insensitively; components that do not exist keep their spelling.
// A native path (not Windows-style) is returned unchanged.
QString toNative(const QString& path);
// The way back, for names the system's own dialogs hand out: a native path
// inside a drive folder under the root becomes "X:\..."; any other path is
// returned unchanged.
QString fromNative(const QString& path);

// The Windows folder, Windows-style with a trailing backslash: "C:\WINDOWS\";
// created on first use, as it always exists on a station.
QString windowsFolder();
// The temporary folder, Windows-style with a trailing backslash: "C:\WINDOWS\TEMP\";
// created on first use.
QString tempFolder();
// The folder of the running program's executable, native, with a trailing "/".
QString executableFolder();

// The folder part of a path, with its trailing separator ("\" or "/"); empty
// when the path names a file only (the framework's ExtractFilePath).
QString extractFilePath(const QString& path);
// The file name part (ExtractFileName).
QString extractFileName(const QString& path);
// The extension with its dot (ExtractFileExt), or empty.
QString extractFileExt(const QString& path);
// Adds a trailing backslash (or slash for native paths) when missing.
QString includeTrailingDelimiter(const QString& path);

// Creates the folder (and its parents) of a Windows-style or native path.
bool forceDirectories(const QString& path);
bool fileExists(const QString& path);

} // namespace velta::Paths
