#include "plugin/receipts/editor/TagLabel.h"

#include <QMouseEvent>

namespace velta::receipts {

TagLabel::TagLabel(QWidget* parent)
    : QLabel(parent)
{
}

void TagLabel::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

// A click is a press and a release of the left button over the label.
void TagLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

} // namespace velta::receipts
