#pragma once
// The totals of a consignment note in words: the money text of the amount
// and the mass text of a mass in tonnes (whole kilograms); empty at 0 or less.
#include "plugin/consignment/records/TtnDefaults.h"

#include <QString>

namespace velta::consignment {

QString TtnAmountText(double amount);
QString TtnMassText(double tonnes);

// Sets one of seAllSumma, seMNetto, seMBrutto and the text editor beside it.
void TtnSetWithWords(TtnEditorValues& values, const QString& numberEditor, double value);
// The text editor of a number editor with words (edAllSumma for seAllSumma).
QString TtnWordsEditor(const QString& numberEditor);

} // namespace velta::consignment
