#pragma once
// The report forms a demo station ships (HTML templates under WEBREP, text
// forms under REPORT), built into the program from DemoForms.qrc and copied
// into the station's forms folder, C:\DEXE\FORMS\ on the station's drive.
#include <QString>
#include <QStringList>

namespace velta::station {

// The forms folder of a suite root: <root>/C/DEXE/FORMS.
QString formsFolderOf(const QString& veltaRoot);

// Copies every shipped form into the folder (native path), keeping the
// subfolders; a file already there is left as it is, so a user's edits stay.
// Returns the files written. Raises Exception when a file cannot be written.
QStringList installDemoForms(const QString& formsFolder);

} // namespace velta::station
