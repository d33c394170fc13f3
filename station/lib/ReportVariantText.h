#pragma once
// The report engine's typed text form of a variant, as its service functions
// answer them: "raw:" and the four words of the value's 16-byte image in
// hexadecimal, "str:" and the hex of the cp1251 bytes of a text, "varar:" and
// the hex texts of the elements' own typed forms joined by "#". The client
// decodes it with TextToVariant (plugin/foundation/Tools.h).
#include "common/Variant.h"

#include <QString>

namespace velta::station {

// Byte arrays become arrays of bytes. Raises EVariantError for arrays nested
// deeper than kMaxVariantNesting.
QString VariantToText(const Variant& value);

} // namespace velta::station
