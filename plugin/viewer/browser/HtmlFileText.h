#pragma once
// The bytes of an HTML document written to a file that a browser or an
// office program opens: in the character set the document declares, so the
// file reads back as it shows.
#include <QByteArray>
#include <QString>

namespace velta::viewer {

// The charset named in the document's head ("windows-1251", "utf-8"), lower
// case, or empty when it names none.
QString declaredHtmlCharset(const QString& html);

// A document that declares windows-1251 (the report engine's HTML) is written
// in cp1251, characters outside the code page as numeric character
// references; one that declares UTF-8 in UTF-8; any other in UTF-8 behind a
// byte order mark, which a browser trusts before any declaration.
QByteArray encodeHtmlDocument(const QString& html);

} // namespace velta::viewer
