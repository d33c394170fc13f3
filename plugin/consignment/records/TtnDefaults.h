#pragma once
// TtnDefaults: the stored default values of the consignment note editor in
// cnf.ini, section "TTN", one key per editor (named as the editor), the six
// contragent references and the VAT setting. The editor window hands its
// values over as a map of editor name -> value; the kind of each editor
// decides how its key is read and written:
//   text   - QString; a missing key empties the editor
//   date   - a date Variant; a missing key keeps the current value
//   number - double; a missing key keeps the current value
//   choice - int (the selected index); a missing key keeps the current value
// Editors marked "new" are read for new notes and written by "По умолчанию";
// those marked "always" (the variable descriptions) are read for every note
// and never written, so their texts are kept in the file by hand.
#include "plugin/consignment/records/TtnContragents.h"

#include "common/Variant.h"

#include <QString>
#include <map>
#include <span>

namespace velta::consignment {

enum class TtnEditorKind { Text, Date, Number, Choice };

// The tab control whose line an editor shows; None for header editors.
enum class TtnLineSection {
    None,
    Goods,     // tcTTN1
    Transport, // tcTTN2
    Invoice,   // tcSF
    Waybill    // tcTN
};

struct TtnDefaultEditor {
    const char* name;
    TtnEditorKind kind;
    TtnLineSection section;

    QString Name() const { return QString::fromLatin1(name); }
};

// Editor name -> current value, as the kind says.
using TtnEditorValues = std::map<QString, Variant>;

// "В Велта сумма включает в себя НДС:" and its rate.
struct TtnVatSetting {
    bool Included = true;
    double Rate = 18;

    friend bool operator==(const TtnVatSetting&, const TtnVatSetting&) = default;
};

class TtnDefaults {
public:
    static const QString Section;

    // The file is cnf.ini unless a test names another.
    TtnDefaults();
    explicit TtnDefaults(QString fileName);

    static std::span<const TtnDefaultEditor> NewEditors();
    static std::span<const TtnDefaultEditor> AlwaysEditors();

    // A new note: every "new" and "always" editor, then the six references
    // (a missing key keeps the reference).
    void LoadForNewNote(TtnEditorValues& values, TtnContragents& refs) const;
    // An existing note (edit or copy): the "always" editors only.
    void LoadForExistingNote(TtnEditorValues& values) const;
    // A line just made: the "new" per-line editors of one section.
    void LoadLine(TtnLineSection section, TtnEditorValues& values) const;

    // "По умолчанию": every "new" editor found in values and the six
    // references, written together.
    void Store(const TtnEditorValues& values, const TtnContragents& refs) const;

    // cbVELTANDS and seVELTANDS; a missing key keeps the current value.
    TtnVatSetting LoadVat(const TtnVatSetting& current) const;
    void StoreVat(const TtnVatSetting& vat) const;

private:
    QString fileName_;
};

} // namespace velta::consignment
