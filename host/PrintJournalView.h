#pragma once
// The host window's journal of what was printed: each job under its heading;
// the cash register's jobs as a strip of receipt tape with bold lines bold.
#include <QStringList>
#include <QTextEdit>

namespace velta::host {

class PrintJournalView : public QTextEdit {
    Q_OBJECT
public:
    explicit PrintJournalView(QWidget* parent = nullptr);

    void appendJob(const QString& device, const QString& call, const QStringList& lines);
    // The bold lines shown so far, for a look from outside.
    QStringList boldLines() const;
};

} // namespace velta::host
