// The viewer's keys: its ten actions, the keys it sees before its controls,
// and the application-wide F5 hook that prints instead of reloading.
#include "plugin/viewer/window/RptForm.h"

#include "plugin/platform/Sound.h"
#include "plugin/viewer/browser/BrowserView.h"

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
    struct Spec {
        const char* name;
        QKeySequence key;
        std::function<void()> run;
    };
    const Spec specs[] = {
        {"ActionOnKeyUp", QKeySequence(Qt::Key_Up), [this] { scrollTextView(QAbstractSlider::SliderSingleStepSub); }},
        {"ActionOnKeyDown", QKeySequence(Qt::Key_Down), [this] { scrollTextView(QAbstractSlider::SliderSingleStepAdd); }},
        {"ActionOnPgUp", QKeySequence(Qt::Key_PageUp), [this] {
             if (htmlMode_)
                 scrollHtml(-1);
             else
                 scrollTextView(QAbstractSlider::SliderPageStepSub);
         }},
        {"ActionOnPgDown", QKeySequence(Qt::Key_PageDown), [this] {
             if (htmlMode_)
                 scrollHtml(1);
             else
                 scrollTextView(QAbstractSlider::SliderPageStepAdd);
         }},
        {"ActionOnHome", QKeySequence(Qt::Key_Home), [this] { scrollHorizontal(false); }},
        {"ActionOnEnd", QKeySequence(Qt::Key_End), [this] { scrollHorizontal(true); }},
        {"ActionOnEdit", QKeySequence(Qt::CTRL | Qt::Key_E), [this] { RptMemo_->setReadOnly(false); }},
        {"ActionOnPrint", QKeySequence(Qt::Key_F5), [this] { PrintButtonClick(); }},
        {"ActionOnFind", QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
             if (htmlMode_)
                 ShowFindDialog();
         }},
        {"ActionOnPrintPreview", QKeySequence(Qt::CTRL | Qt::Key_P), [this] {
             if (bbtPreview_->isEnabled())
                 bbtPreviewClick();
         }},
    };
    for (const Spec& spec : specs) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(spec.name));
        action->setShortcut(spec.key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, spec.run);
        addAction(action);
        actions_ << action;
    }
}

bool TRptFrm::memoHasFocus() const
{
    return RptMemo_->hasFocus();
}

void TRptFrm::toggleEditing()
{
    Sound::current().tone(400, 100);
    RptMemo_->setReadOnly(!RptMemo_->isReadOnly());
}

void TRptFrm::scrollTextView(int action)
{
    if (htmlMode_) {
        // The text view is hidden: the keys scroll the document on show.
        wb_->scrollBy(action == QAbstractSlider::SliderSingleStepSub ? -20 : 20);
        return;
    }
    QScrollBar* bar = Panel3_->isVisible() ? ScrollBox1_->verticalScrollBar() : RptMemo_->verticalScrollBar();
    bar->triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
}

void TRptFrm::scrollHorizontal(bool toEnd)
{
    QScrollBar* bar = Panel3_->isVisible() ? ScrollBox1_->horizontalScrollBar() : RptMemo_->horizontalScrollBar();
    bar->triggerAction(toEnd ? QAbstractSlider::SliderToMaximum : QAbstractSlider::SliderToMinimum);
}

void TRptFrm::scrollHtml(int sign)
{
    // Half the browser's height, divided toward zero.
    wb_->scrollBy(sign * (wb_->height() / 2));
}

bool TRptFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == RptMemo_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
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
        if (key.key() != Qt::Key_E)
            return false;
        // With the focus elsewhere the window's edit action takes Ctrl+E first.
        if (memoHasFocus())
            toggleEditing();
        else
            RptMemo_->setReadOnly(false);
        return true;
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
