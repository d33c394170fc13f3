#pragma once
// Comparisons shared by filters, indexes and Locate: ordering of two values of
// the dataset's types, text comparison with or without regard to case
// (Unicode case folding, so Cyrillic works), and LIKE patterns with % and _.
#include "common/Variant.h"

#include <QString>
#include <QStringView>

namespace velta {

// Orders two values: Null first, numbers and dates by value, texts by
// character codes (or case-folded), Booleans false first. Values of types
// that do not compare (a text and a number) are ordered by their texts.
int compareValues(const Variant& a, const Variant& b, bool caseInsensitive);

int compareTexts(QStringView a, QStringView b, bool caseInsensitive);

// Whether the text matches a LIKE pattern: % any run of characters, _ one character.
bool likeMatch(QStringView text, QStringView pattern, bool caseInsensitive);

} // namespace velta
