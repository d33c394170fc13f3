#pragma once
// The style of a grid's title row that draws one title in bold: the column
// the list is sorted by. Set on the header only; everything else is the
// application's style.
#include <QProxyStyle>

namespace velta::directories {

class BoldTitleStyle : public QProxyStyle {
    Q_OBJECT
public:
    BoldTitleStyle();

    // The section drawn bold, -1 for none.
    int BoldSection() const { return boldSection_; }
    void SetBoldSection(int section) { boldSection_ = section; }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

private:
    int boldSection_ = -1;
};

} // namespace velta::directories
