#pragma once
// The composition of the shift report, kept in section [SmenaRep] of cnf.ini:
// which of the eighteen sections are printed, in what order and from which
// templates. The defaults written at the first log-on, the rule that slots a
// new section into an existing order, the composition array the shift report
// sends to the report engine, and the variants the properties window edits.
// Every function takes the cnf.ini it works on.
#include "common/ReportContract.h"
#include "common/Variant.h"

#include <QString>
#include <optional>
#include <vector>

namespace velta {
class TCustomIniFile;
}

namespace velta::report {

// The cnf.ini section and its keys ("Rep3_1", "RepPath3_1", "WebRepPath3_1").
QString compositionSection();
QString positionKey(int section, int variant);
QString pathKey(int section, int variant);
QString webPathKey(int section, int variant);

// The section's name as users see it, and its default templates (empty when it
// has none).
QString sectionName(int section);
QString defaultPath(int section);
QString defaultWebPath(int section);

// The folders bare template names are taken from.
QString formsFolder();    // "C:\DEXE\FORMS\REPORT\"
QString webFormsFolder(); // "C:\DEXE\FORMS\WEBREP\"

// A template path as the report engine gets it: empty stays empty, a path with
// a folder part has its first "S:\" (any case) made "C:\", a bare file name
// gets the folder in front.
QString completeTemplatePath(const QString& path, const QString& folder);

// Moves every variant placed after the anchor's variant 0 one place further
// (switched-off variants too, keeping their sign) and places the target's
// variant 0 right after the anchor. Nothing happens when the anchor has no place.
void insertSectionAfter(TCustomIniFile& ini, int anchor, int target);

// Writes the missing default keys: a newly added reloads section goes after
// the financial report, a newly added end section after the bonus section.
// All of it is one change of the file under one hold of its lock: a crash
// midway leaves the file as it was.
void ensureCompositionDefaults(const QString& cnfFile);

struct ShiftComposition {
    // 3k + 1 elements for k entries sorted by position: position (Int32),
    // kind (Int32: the section for the text form, section + 100 for HTML),
    // template path (String); the last element is left unassigned.
    Variant Composition;
    int RoundRVal = 0;
    int SiloReportSortField = 0;
};

// The composition in a cnf.ini (a missing file gives no entry) with every
// printed variant's text and HTML entry, read under one hold of its lock.
ShiftComposition loadComposition(const QString& cnfFile);
// The composition a station has after its first log-on: the defaults that
// ensureCompositionDefaults writes into an empty cnf.ini.
ShiftComposition defaultComposition();

// The sections the report properties window edits: all but 6 to 9.
bool sectionEditable(int section);

// One variant of an editable section as the properties window reads and
// writes it, in list order (sections ascending, variants in key order).
struct CompositionVariant {
    int section = 0;
    // Read: the stored position (a non-numeric value reads as the number of
    // variants read so far + 1). Written: the position, negative when off.
    int position = 0;
    // The templates; read with the section's defaults for missing keys.
    // Written only when present (a template found missing is not written).
    std::optional<QString> path;
    std::optional<QString> webPath;
};

// The variants of the editable sections: for each, variant 0, 1, ... while
// its position key exists.
std::vector<CompositionVariant> readEditableComposition(const QString& cnfFile);

// Replaces the composition of the editable sections as one change of the
// file: every position and template key of those sections goes (when the
// file exists) and the given variants are written, numbered again from 0 per
// section, in one write under one hold of the lock. Other keys of [SmenaRep]
// stay. A reader sees the old composition or the new one, whole.
void saveComposition(const QString& cnfFile, const std::vector<CompositionVariant>& variants);

} // namespace velta::report
