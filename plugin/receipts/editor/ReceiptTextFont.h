#pragma once
// The fixed-pitch font of receipt texts, so that the widths of a template line
// up on screen as on the cash register's tape.
#include <QFont>

namespace velta::receipts {

// "Courier New" when the machine has it, otherwise the first fixed-pitch
// family it has of those a station's receipts look right in, otherwise the
// system's fixed font; always at the given size in points.
QFont ReceiptTextFont(int pointSize = 10);

} // namespace velta::receipts
