#pragma once
// The typed text form of a variant in which the report engine's service
// functions answer, and its reading on the client:
//   "raw:"   and the four words of the value's 16-byte image in hexadecimal,
//            joined by "#" ("raw:3#0#7B#0" is the integer 123);
//   "str:"   and the hex of the cp1251 bytes of a text;
//   "varar:" and the hex of each element's own typed text, joined by "#", so
//            "#" and ":" inside an element never split the list.
#include "common/RuntimeExport.h"
#include "common/Variant.h"

#include <QString>

namespace velta {

// Each level of arrays doubles the length of what it holds (items are hex
// texts), so deep nesting grows fast; longer texts are refused.
inline constexpr qsizetype kMaxVariantTextLength = qsizetype{32} * 1024 * 1024;

// Byte arrays become arrays of bytes. Raises EVariantError for arrays nested
// deeper than kMaxVariantNesting or a text longer than kMaxVariantTextLength.
VELTA_RUNTIME_EXPORT QString VariantToText(const Variant& value);

// Reads the text form back. A text without a colon leaves value unchanged; an
// unknown kind gives Empty; a bad "raw:" word raises EConvertError.
VELTA_RUNTIME_EXPORT void TextToVariant(const QString& text, Variant& value);

} // namespace velta
