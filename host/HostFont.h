#pragma once
// The windows of the suite are laid out for Tahoma at 8 points. Where the
// system has no Tahoma, the free font of the same metrics that Wine ships
// (Debian's fonts-wine, outside fontconfig's folders) is registered with the
// application, so no window cuts its texts with a wider desktop font.
#include <QStringList>

namespace velta::host {

// Where fonts-wine puts its fonts.
QStringList DefaultTahomaFolders();

// Makes Tahoma 8 pt the application's font: the system's Tahoma, else the
// first tahoma.ttf (with tahomabd.ttf beside it) found in the folders. False,
// and the font unchanged, when there is none. Needs a QGuiApplication.
bool UseTahomaFont(const QStringList& folders = DefaultTahomaFolders());

} // namespace velta::host
