#pragma once
// A label that answers a click of the left mouse button, for the variables
// and examples the template editor inserts into its text.
#include <QLabel>

namespace velta::receipts {

class TagLabel : public QLabel {
    Q_OBJECT
public:
    explicit TagLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

} // namespace velta::receipts
