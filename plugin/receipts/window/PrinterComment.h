#pragma once
// The comment of a printer receipt as the report engine takes it: HTML line
// breaks in place of the memo's, the memo's text itself left as typed.
#include <QString>

namespace velta::receipts {

// Empty for a memo of nothing but blanks; otherwise "<br />", the text with
// each line break as "<br />", and "<br /><br />".
QString PrinterComment(const QString& memo);

} // namespace velta::receipts
