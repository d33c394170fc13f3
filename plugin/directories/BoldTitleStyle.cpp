#include "plugin/directories/BoldTitleStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionHeader>

namespace velta::directories {

BoldTitleStyle::BoldTitleStyle() : QProxyStyle(QApplication::style()->name())
{
}

void BoldTitleStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const
{
    const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
    if (element != CE_HeaderLabel || !header || header->section != boldSection_) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    painter->save();
    QFont font = painter->font();
    font.setBold(true);
    painter->setFont(font);
    QProxyStyle::drawControl(element, option, painter, widget);
    painter->restore();
}

} // namespace velta::directories
