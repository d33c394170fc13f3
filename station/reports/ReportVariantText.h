#pragma once
// The report engine's typed text form of a variant, as its service functions
// answer them: "raw:" and the four words of the value's 16-byte image in
// hexadecimal, "str:" and the hex of the cp1251 bytes of a text, "varar:" and
// the hex texts of the elements' own typed forms joined by "#". The client
// decodes it with TextToVariant (plugin/foundation/Tools.h).
#include "common/Variant.h"

#include <QString>

namespace velta::station {

// Each level of arrays doubles the length of what it holds (items are hex
// texts), so deep nesting grows fast; longer answers are refused.
inline constexpr qsizetype kMaxVariantTextLength = qsizetype{32} * 1024 * 1024;

// Byte arrays become arrays of bytes. Raises EVariantError for arrays nested
// deeper than kMaxVariantNesting or a text longer than kMaxVariantTextLength.
QString VariantToText(const Variant& value);

} // namespace velta::station
