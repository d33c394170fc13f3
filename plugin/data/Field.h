#pragma once
// TField: one column of a client dataset as the windows see it - its name,
// type, how it is shown (label, width, visibility, alignment, display format,
// get-text handler) and typed access to its value in the current record.
// Fields belong to their dataset; a lookup field takes its value from another
// dataset, a calculated one from the dataset's OnCalcFields handler.
#include "common/DateTime.h"
#include "common/FieldDef.h"
#include "common/Variant.h"
#include "plugin/foundation/DataSetTypes.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace velta {

class TClientDataSet;

class TField {
public:
    // Fills `text` with the text to show (displayText) or to edit.
    using GetTextHandler = std::function<void(TField& sender, QString& text, bool displayText)>;
    using FieldEvent = std::function<void(TField& sender)>;
    // Takes a text typed into a grid cell in place of SetAsString.
    using SetTextHandler = std::function<void(TField& sender, const QString& text)>;

    TField(TClientDataSet& dataSet, QString fieldName, FieldType dataType, int size = 0);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TClientDataSet& DataSet() const { return *dataSet_; }
    const QString& FieldName() const { return fieldName_; }
    FieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    // The position of the field in its dataset's field list (0-based).
    int Index() const;

    TFieldKind FieldKind() const { return kind_; }
    void SetFieldKind(TFieldKind kind) { kind_ = kind; }

    // Presentation.
    QString DisplayLabel() const { return displayLabel_.isEmpty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const QString& label) { displayLabel_ = label; }
    QString DisplayName() const { return DisplayLabel(); }
    // Width in characters; the type's default until set.
    int DisplayWidth() const;
    void SetDisplayWidth(int width) { displayWidth_ = width; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    // Numbers right, everything else left, until set.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment alignment) { alignment_ = alignment; }
    // FormatFloat picture for numbers, FormatDateTime picture for dates.
    const QString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const QString& format) { displayFormat_ = format; }
    // Numbers shown as money in the format settings' currency form.
    bool Currency() const { return currency_; }
    void SetCurrency(bool currency) { currency_ = currency; }
    bool Required() const { return required_; }
    void SetRequired(bool required) { required_ = required; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    int Precision() const { return precision_; }
    void SetPrecision(int precision) { precision_ = precision; }

    // Lookup fields: KeyFields of this dataset matched with LookupKeyFields of
    // LookupDataSet; the value is LookupResultField of the matching record.
    QString KeyFields;
    TClientDataSet* LookupDataSet = nullptr;
    QString LookupKeyFields;
    QString LookupResultField;

    GetTextHandler OnGetText;
    SetTextHandler OnSetText;
    FieldEvent OnChange;

    // Value of the current record.
    Variant Value() const;
    Variant AsVariant() const { return Value(); }
    bool IsNull() const;
    QString AsString() const;
    int AsInteger() const;
    std::int64_t AsLargeInt() const;
    double AsFloat() const;
    velta::Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    bool AsBoolean() const;
    // The text a grid shows: the get-text handler's, or the value formatted
    // by DisplayFormat / the currency flag / the type.
    QString DisplayText() const;
    // The text for editing (the get-text handler asked with displayText false).
    QString Text() const;

    // Setting a value needs the dataset in edit or insert state.
    void SetValue(const Variant& value);
    void SetAsVariant(const Variant& value) { SetValue(value); }
    // An empty text makes a non-text field Null; other texts are read with the
    // process-wide format settings.
    void SetAsString(const QString& text);
    // A text typed by the user: the set-text handler's, else SetAsString.
    void SetText(const QString& text);
    void SetAsInteger(int value) { SetValue(Variant(value)); }
    void SetAsFloat(double value) { SetValue(Variant(value)); }
    void SetAsCurrency(velta::Currency value) { SetValue(Variant(value)); }
    void SetAsDateTime(TDateTime value) { SetValue(Variant::fromDate(value)); }
    void SetAsBoolean(bool value) { SetValue(Variant(value)); }
    void Clear() { SetValue(Variant::null()); }

    // The column of the dataset's data this field reads (-1: none).
    int FieldNo() const { return column_; }

    // The text of a value as this field formats it (without the handler).
    QString formatValue(const Variant& value, bool displayText) const;

private:
    friend class TClientDataSet;

    TClientDataSet* dataSet_;
    QString fieldName_;
    FieldType dataType_;
    int size_ = 0;
    int precision_ = 0;
    TFieldKind kind_ = fkData;
    QString displayLabel_;
    int displayWidth_ = -1;
    bool visible_ = true;
    int alignment_ = -1;
    QString displayFormat_;
    bool currency_ = false;
    bool required_ = false;
    bool readOnly_ = false;
    int column_ = -1;
};

} // namespace velta
