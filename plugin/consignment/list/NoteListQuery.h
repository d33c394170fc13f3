#pragma once
// The SQL of the consignment note register: the probe that tells whether the
// station keeps note lines (TTNDETAIL), and the list of the notes with their
// consignee's and carrier's names and, where lines are kept, the cargo summary.
#include <QString>

namespace velta::consignment {

// Succeeds only on a station that has the TTNDETAIL table.
QString NoteLinesProbeQuery();

// The notes not deleted, newest first. With lines, NAME1 (the cargo names, at
// most 40 characters) and COUNT1 (their total quantity) come first; the join
// with the lines is an inner one, so a note without lines is not listed.
QString NoteListQueryText(bool multiLine);

} // namespace velta::consignment
