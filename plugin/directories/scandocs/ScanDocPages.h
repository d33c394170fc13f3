#pragma once
// The pages of the document being registered: one file path per page (empty
// while no file is chosen) and the selected page, with the rules of adding
// and removing pages. The window keeps one page button per entry.
#include <QString>
#include <QStringList>

namespace velta::directories::scandocs {

class ScanDocPages {
public:
    // One page without a file, selected.
    void Reset();
    // The pages of a stored document, the first selected.
    void Load(const QStringList& files);

    const QStringList& Files() const { return files_; }
    int Count() const { return static_cast<int>(files_.size()); }
    // The selected page (0-based), -1 when none.
    int Selected() const { return selected_; }
    void Select(int index);
    QString SelectedFile() const;

    // Appends a page without a file and selects it; buttonCount is the
    // number of page buttons shown, which must agree with the pages.
    void Add(int buttonCount);
    // Removes the selected page and selects the page at its position, or the
    // last page; refuses the last remaining page.
    void RemoveSelected(int buttonCount);
    // The 1-based page other than the selected one that uses the file, or 0.
    int PageUsing(const QString& file) const;
    void SetSelectedFile(const QString& file);

    // "Стр. " + number.
    static QString Caption(int index);

private:
    void checkAgreement(int buttonCount) const;

    QStringList files_{QString()};
    int selected_ = 0;
};

} // namespace velta::directories::scandocs
