#pragma once
// Saving report texts to files the user names: the text view's lines as a
// text file (SaveTextFile), and the helpers the HTML export shares with it.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace velta {

class Dialogs;

namespace viewer {

// The lines of a text as a string list takes them: split at CR LF, LF or CR;
// a final line break does not start another line.
QStringList SplitTextLines(const QString& text);
// Every line followed by CR LF.
QString JoinLinesCrLf(const QStringList& lines);

// Creates or replaces the file (Windows-style or native name) with the bytes.
// A file that cannot be created raises EFCreateError "Cannot create file
// \"name\". reason"; a failed write raises EInOutError and leaves a file that
// existed before untouched.
void WriteWholeFile(const QString& fileName, const QByteArray& bytes);

// Asks for a file name ("Text files (*.txt)|*.TXT", extension "txt") and, when
// the user confirms, writes every line + CR LF in cp1251. Errors propagate.
void SaveTextFile(const QStringList& lines, Dialogs& dialogs);

} // namespace viewer
} // namespace velta
