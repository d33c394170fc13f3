#pragma once
// The SQL of the consignment note register: the list of the notes with their
// consignee's and carrier's names and, where lines are kept, the cargo
// summary. Whether lines are kept is probed as the sale selection probes it
// (NoteLinesProbeQuery of SaleListQuery.h).
#include <QString>

namespace velta::consignment {

// The notes not deleted, newest first. With lines, NAME1 (the cargo names, at
// most 40 characters) and COUNT1 (their total quantity) come first; the join
// with the lines is an inner one, so a note without lines is not listed.
QString NoteListQueryText(bool multiLine);

} // namespace velta::consignment
