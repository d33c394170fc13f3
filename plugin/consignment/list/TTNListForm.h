#pragma once
// TTTNListForm: the register of the station's consignment notes. It lists the
// notes (with their cargo where the station keeps note lines), adds notes from
// a sale selection or by copying the current one, edits and deletes them
// (posted ones only when allowed) and shows the current note's printed forms
// in the viewer. Laid out in TTNListForm.ui; the chosen report kind stays
// with the window's placement in the plug-in's store.
#include "plugin/consignment/editor/EditConsignmentNote.h"

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class TTTNListForm;
}

class QButtonGroup;

namespace velta {
class Dialogs;
}

namespace velta::core {
class TDBFrm;
}

namespace velta::consignment {

class TTTNListForm : public QDialog {
    Q_OBJECT
public:
    // Wakes the station's database, binds the grid to the data module's note
    // list and restores the placement and the report kind.
    TTTNListForm(Dialogs& dialogs, core::TDBFrm& data, QWidget* parent = nullptr);
    ~TTTNListForm() override;

    // What showing does: probes for note lines and opens the list.
    void FormShow();
    // Commands, public so tests run them as clicks do.
    void btnAddClick();
    void btnAddCopyClick();
    void btnEditClick();
    void btnDeleteClick();
    void Button1Click();

    // Whether the station keeps note lines (TTNDETAIL).
    bool MultiLine() const { return multiLine_; }
    // The chosen report kind, -1 for none.
    int RepKind() const;

    // Closing keeps the placement and the report kind and closes the list.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectControls();
    void setRepKind(int kind);
    // Builds the list's query and opens it, unless it is open.
    void openList();
    // Reopens the list on the note that was current.
    void refreshList();
    void showColumns();
    void orderColumns();
    void addNote(TTNEditMode mode);
    void editNote();
    void deleteNote();
    void printNote();
    // Raises when there is no current note, or when it is posted and posted
    // notes are protected (with the refusal given).
    void checkChangeable(const QString& refusal) const;
    int currentNote() const;
    void showError(const QString& message);

    Dialogs& dialogs_;
    core::TDBFrm& data_;
    std::unique_ptr<Ui::TTTNListForm> ui_;
    QButtonGroup* repKinds_ = nullptr;
    bool multiLine_ = false;
    bool shown_ = false;
    bool closed_ = false;
};

// Shows the register modally over the data module's note list.
void ShowConsignmentNoteList(Dialogs& dialogs, core::TDBFrm& data);

} // namespace velta::consignment
