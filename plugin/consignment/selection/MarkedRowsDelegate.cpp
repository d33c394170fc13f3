#include "plugin/consignment/selection/MarkedRowsDelegate.h"

#include "plugin/ui/DBGrid.h"

namespace velta::consignment {

MarkedRowsDelegate::MarkedRowsDelegate(LookOf lookOf, QObject* parent)
    : QStyledItemDelegate(parent), lookOf_(std::move(lookOf))
{
}

void MarkedRowsDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const RowLook look = lookOf_ ? lookOf_(index.row()) : RowLook{};
    if (!look.marked)
        return;
    const QColor background = ColorFromTColor(look.current ? kCurrentColor : kMarkedColor);
    option->backgroundBrush = background;
    // The selection highlight would hide the mark: it takes the mark's colours.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        option->palette.setColor(group, QPalette::Highlight, background);
        option->palette.setColor(group, QPalette::HighlightedText, Qt::black);
        option->palette.setColor(group, QPalette::Text, Qt::black);
    }
    if (look.main) {
        option->font.setBold(true);
        option->font.setUnderline(true);
    }
}

} // namespace velta::consignment
