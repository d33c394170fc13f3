#pragma once
// The sales receipt window's settings kept between runs in its section of the
// plug-in's placement store (Software\Norvane\Velta\veltareports).
#include "common/DateTime.h"

#include <QString>

namespace velta {
class FormPlacement;
}

namespace velta::receipts {

struct TovarCheckSettings {
    TDateTime begin = 0;     // PlatezBegPeriod, a day number
    TDateTime end = 0;       // PlatezEndPeriod
    QString post;            // edPost
    bool endPeriod = true;   // cbEndPeriod
    QString comment;         // memComment, kept hex-encoded
    QString openDir;         // OpenDialog
    QString saveDir;         // SaveDialog
    int copies = 1;          // seCopyCount
    int dayCount = 10;       // seDayCount
    bool preview = true;     // cbPreview
    bool forDayCount = true; // rbForDayCount
    bool onPrinter = true;   // rbPrintOnPrinter
};

// The folder both file dialogs start in until one was used.
inline constexpr char kDefaultCommentDir[] = "C:\\DEXE";

// What is stored, each missing value by its default: the period from a day
// before now to now, the folders C:\DEXE.
TovarCheckSettings LoadTovarCheckSettings(const FormPlacement& store, TDateTime now);

// Writes the settings; a folder only when a file was chosen in its dialog.
void SaveTovarCheckSettings(const FormPlacement& store, const TovarCheckSettings& settings, bool openDirChosen,
                            bool saveDirChosen);

} // namespace velta::receipts
