#pragma once
// The simulated cash register and printer: what the plug-in prints through the
// host's print functions is appended to a journal file and announced to the
// journal window. Callable from any thread.
#include <QMutex>
#include <QObject>
#include <QStringList>

namespace velta::host {

class PrintJournal : public QObject {
    Q_OBJECT
public:
    // The journal file under $VELTA_ROOT.
    static QString defaultPath();

    explicit PrintJournal(QString path = defaultPath(), QObject* parent = nullptr);

    const QString& path() const { return path_; }
    // One print job: a heading naming the device and the call, then the lines.
    // Raises EInOutError when the journal file cannot be written.
    void print(const QString& device, const QString& call, const QStringList& lines);
    // Every block printed since the journal was made.
    QStringList entries() const;

signals:
    // A printed job, for the journal window.
    void printed(const QString& device, const QString& call, const QStringList& lines);

private:
    QString path_;
    mutable QMutex mutex_;
    QStringList entries_;
};

} // namespace velta::host
