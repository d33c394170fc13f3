// The viewer's keys: its ten actions, the keys it sees before its controls,
// and the application-wide F5 hook that prints instead of reloading.
#include "plugin/viewer/window/RptForm.h"
#include "ui_RptForm.h"

#include "plugin/platform/Sound.h"
#include "plugin/viewer/browser/BrowserView.h"
#include "plugin/viewer/browser/UContainer.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBrowser>

namespace velta::viewer {

void TRptFrm::buildActions()
{
    // The actions and their keys are in RptForm.ui; what each does is here.
    const std::pair<QAction*, std::function<void()>> effects[] = {
        {ui_->ActionOnKeyUp, [this] { scrollTextView(QAbstractSlider::SliderSingleStepSub); }},
        {ui_->ActionOnKeyDown, [this] { scrollTextView(QAbstractSlider::SliderSingleStepAdd); }},
        {ui_->ActionOnPgUp, [this] {
             if (htmlMode_)
                 scrollHtml(-1);
             else
                 scrollTextView(QAbstractSlider::SliderPageStepSub);
         }},
        {ui_->ActionOnPgDown, [this] {
             if (htmlMode_)
                 scrollHtml(1);
             else
                 scrollTextView(QAbstractSlider::SliderPageStepAdd);
         }},
        {ui_->ActionOnHome, [this] { scrollHorizontal(false); }},
        {ui_->ActionOnEnd, [this] { scrollHorizontal(true); }},
        {ui_->ActionOnEdit, [this] { ui_->RptMemo->setReadOnly(false); }},
        {ui_->ActionOnPrint, [this] { PrintButtonClick(); }},
        {ui_->ActionOnFind, [this] {
             if (htmlMode_)
                 ShowFindDialog();
         }},
        {ui_->ActionOnPrintPreview, [this] {
             if (ui_->bbtPreview->isEnabled())
                 bbtPreviewClick();
         }},
    };
    for (const auto& [action, run] : effects) {
        connect(action, &QAction::triggered, this, run);
        actions_ << action;
    }
}

bool TRptFrm::memoHasFocus() const
{
    return ui_->RptMemo->hasFocus();
}

void TRptFrm::toggleEditing()
{
    Sound::current().tone(400, 100);
    ui_->RptMemo->setReadOnly(!ui_->RptMemo->isReadOnly());
}

void TRptFrm::scrollTextView(int action)
{
    if (htmlMode_) {
        // The text view is hidden: the keys scroll the document on show.
        ui_->wb->scrollBy(action == QAbstractSlider::SliderSingleStepSub ? -20 : 20);
        return;
    }
    QScrollBar* bar = ui_->Panel3->isVisible() ? ui_->ScrollBox1->verticalScrollBar() : ui_->RptMemo->verticalScrollBar();
    bar->triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
}

void TRptFrm::scrollHorizontal(bool toEnd)
{
    QScrollBar* bar = ui_->Panel3->isVisible() ? ui_->ScrollBox1->horizontalScrollBar() : ui_->RptMemo->horizontalScrollBar();
    bar->triggerAction(toEnd ? QAbstractSlider::SliderToMaximum : QAbstractSlider::SliderToMinimum);
}

void TRptFrm::scrollHtml(int sign)
{
    // Half the browser's height, divided toward zero.
    ui_->wb->scrollBy(sign * (ui_->wb->height() / 2));
}

bool TRptFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->RptMemo && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // The text area handles its own keys while it has the focus.
        const bool enable = event->type() == QEvent::FocusOut;
        for (QAction* action : std::as_const(actions_))
            action->setEnabled(enable);
        return QDialog::eventFilter(watched, event);
    }
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto& key = static_cast<QKeyEvent&>(*event);
    // Qt offers a key press twice: first as a shortcut query, then as the
    // press. A key handled at the query is swallowed at the press.
    if (type == QEvent::KeyPress && swallowKey_ != 0 && key.key() == swallowKey_) {
        swallowKey_ = 0;
        return true;
    }
    // The application-wide hook: F5 anywhere prints once and never reloads.
    if (key.key() == Qt::Key_F5 && key.modifiers() == Qt::NoModifier) {
        if (type == QEvent::ShortcutOverride) {
            key.accept();
            swallowKey_ = Qt::Key_F5;
        }
        PrintButtonClick();
        return true;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != this && !isAncestorOf(widget)) || !isActiveModal())
        return QDialog::eventFilter(watched, event);
    if (!keyPreview(key))
        return QDialog::eventFilter(watched, event);
    if (type == QEvent::ShortcutOverride) {
        key.accept();
        swallowKey_ = key.key();
    }
    return true;
}

bool TRptFrm::triggerActionFor(const QKeySequence& keys)
{
    for (QAction* action : std::as_const(actions_)) {
        if (action->isEnabled() && action->shortcut() == keys) {
            action->trigger();
            return true;
        }
    }
    return false;
}

bool TRptFrm::isActiveModal() const
{
    // A window opened over the viewer (a dialog, the preview) keeps its own keys.
    QWidget* modal = QApplication::activeModalWidget();
    return !modal || modal == this;
}

bool TRptFrm::keyPreview(QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (modifiers & Qt::ControlModifier) {
        // Letters are taken by their place on the keyboard, as the browser host takes them.
        const int letter = LatinLetterKey(key.key());
        if (letter == Qt::Key_E) {
            // With the focus elsewhere the window's edit action takes Ctrl+E first.
            if (memoHasFocus())
                toggleEditing();
            else
                ui_->RptMemo->setReadOnly(false);
            return true;
        }
        // Another layout's letter runs the action on the Latin letter of its key.
        if (letter == 0 || letter == key.key())
            return false;
        return triggerActionFor(QKeySequence(QKeyCombination(modifiers, Qt::Key(letter))));
    }
    if (modifiers != Qt::NoModifier)
        return false;
    switch (key.key()) {
    case Qt::Key_Escape:
        CloseButtonClick();
        return true;
    case Qt::Key_F6:
        PrintBtnClick();
        return true;
    default:
        return false;
    }
}

} // namespace velta::viewer
