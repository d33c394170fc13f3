#pragma once
// The editors of the consignment note window and where their values live:
// header editors with their TTN columns and when a loaded note sets them, and
// the line editors of the four sections with the TTTNRecord field each shows.
// The window and TtnNoteEditor exchange values by editor name (TtnEditorValues).
#include "plugin/consignment/records/TTTNRecord.h"
#include "plugin/consignment/records/TtnDefaults.h"

#include <span>
#include <variant>
#include <vector>

namespace velta::consignment {

enum class TtnFieldKind {
    Text,   // QString
    Number, // double
    Date,   // a date Variant
    Choice, // int, the selected index
    Check   // bool; stored as 1 or 0
};

// When loading a note sets a header editor.
enum class TtnLoadWhen {
    Always,           // every loaded note
    WithoutSelection, // only when the note is loaded without sales selected
    EditOnly,         // only when the note is edited (the note date)
    Never             // written only (handled apart on reading)
};

struct TtnHeaderField {
    const char* editor;
    const char* column;
    TtnFieldKind kind;
    TtnLoadWhen load;
};

struct TtnLineField {
    const char* editor;
    TtnLineSection section;
    TTNLineColumn::Member member;
};

std::span<const TtnHeaderField> ttnHeaderFields();
std::span<const TtnLineField> ttnLineFields();

// The line fields of one section.
std::vector<TtnLineField> ttnLineFields(TtnLineSection section);

// A line's fields of one section as editor values, and back (keys missing
// from values leave the field as it is).
void TtnLineToEditors(const TTTNRecord& line, TtnLineSection section, TtnEditorValues& values);
void TtnLineFromEditors(const TtnEditorValues& values, TtnLineSection section, TTTNRecord& line);

} // namespace velta::consignment
