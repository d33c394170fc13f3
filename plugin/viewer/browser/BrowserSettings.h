#pragma once
// The browser's registry values the report viewer looks at: background
// printing ("Print_Background" in the browser's "Main" key) and the installed
// browser version ("IE" in its "Version Vector" key), which zoom and the HTML
// print preview need to be at least 5.5.
#include <QString>

namespace velta {
class Dialogs;
}

namespace velta::viewer {

inline constexpr char16_t kBrowserMainKey[] = u"\\Software\\Microsoft\\Internet Explorer\\Main\\";
inline constexpr char16_t kBrowserVersionKey[] = u"SOFTWARE\\Microsoft\\Internet Explorer\\Version Vector\\";
// What our browser stand-in registers as its version: a whole number, so that
// it reads the same whatever decimal separator the host has set.
inline constexpr char16_t kRegisteredBrowserVersion[] = u"11";

// Writes "Print_Background" = "yes" or "no" (HKLM), only when the browser's
// "Main" key already exists.
void WritePrintBackground(bool printBackground);

// The version text as registered ("IE", read-only; empty when missing) and its
// number read with the process's decimal separator (0 when it does not parse).
QString RegisteredBrowserVersion();
double BrowserVersionNumber(const QString& versionText);

// True when the registered version is at least 5.5; otherwise tells the user
// in an information box that the command cannot be used, and gives false.
bool CheckBrowserVersion(Dialogs& dialogs);

// Registers the browser stand-in as a browser installation does: the "IE"
// version value and the "Main" key, each only when missing (a version set
// by someone else stays). True when anything was written.
bool EnsureBrowserVersionRegistered();

} // namespace velta::viewer
