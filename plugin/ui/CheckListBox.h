#pragma once
// TCheckListBox: the framework's check list, a list of texts each with a tick.
// The user ticks with a click on the box or with Space on the current item;
// clickCheck tells the window of those ticks only, checkedCountChanged of
// every change of the count however it came.
#include <QListWidget>
#include <QStringList>

namespace velta {

class TCheckListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TCheckListBox(QWidget* parent = nullptr);
    ~TCheckListBox() override;

    // Items' texts, all unticked when set.
    QStringList Items() const;
    void SetItems(const QStringList& items);
    // Adds an item; returns its index.
    int AddItem(const QString& text, bool checked = false);
    void Clear();
    int Count() const { return count(); }

    // Index outside the list: raises EListError "List index out of bounds (%d)".
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    void SetAllChecked(bool checked);

    int CheckedCount() const { return checkedCount_; }
    // The indexes of the ticked items, in list order.
    QList<int> CheckedIndexes() const;

signals:
    // The user ticked or unticked item `index`.
    void clickCheck(int index);
    void checkedCountChanged(int checked, int total);

private:
    QListWidgetItem* itemAtIndex(int index) const;
    void itemChangedByUser(QListWidgetItem* item);
    void recount();

    int checkedCount_ = 0;
    int countedTotal_ = 0;
    bool settingState_ = false; // changes made by code, not by the user
};

} // namespace velta
