#pragma once
// The receipt template a payment type prints with until someone writes one:
// what the template editor shows for an empty template and what the station's
// report engine answers for a payment type without any stored template.
#include <QString>

namespace velta::receipts {

// Ten lines joined with CR LF; the last line is empty, so the text ends with
// a line break.
QString DefaultReceiptTemplate();

} // namespace velta::receipts
