#include "plugin/ui/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDialog>
#include <cstdio>
#include <cstdlib>

namespace velta {

namespace {

QString quoted(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r"), QLatin1String("\\r")).replace(QLatin1String("\n"), QLatin1String("\\n"));
    return u'"' + shown + u'"';
}

// Lets the shown window run its show handlers and pending timers of zero delay.
void settle()
{
    QCoreApplication::processEvents();
}

} // namespace

QString dialogKindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::MessageDlg:
        return QStringLiteral("MessageDlg");
    case DialogKind::MessageBox:
        return QStringLiteral("MessageBox");
    case DialogKind::ShowMessage:
        return QStringLiteral("ShowMessage");
    case DialogKind::ShowModal:
        return QStringLiteral("ShowModal");
    case DialogKind::OpenFile:
        return QStringLiteral("OpenFile");
    case DialogKind::SaveFile:
        return QStringLiteral("SaveFile");
    case DialogKind::PrintDialog:
        return QStringLiteral("PrintDialog");
    case DialogKind::PrinterSetup:
        return QStringLiteral("PrinterSetup");
    case DialogKind::Font:
        return QStringLiteral("Font");
    case DialogKind::InputQuery:
        return QStringLiteral("InputQuery");
    }
    return QStringLiteral("?");
}

QString DialogCall::describe() const
{
    QString text = dialogKindName(kind) + u' ' + quoted(this->text);
    if (!caption.isEmpty() && caption != this->text)
        text += QStringLiteral(" caption ") + quoted(caption);
    return text;
}

ScriptedDialogsError::ScriptedDialogsError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

// --- DialogExpectation ---

DialogExpectation::DialogExpectation(DialogKind kind)
    : kind_(kind)
{
}

DialogExpectation& DialogExpectation::withText(const QString& text)
{
    text_ = text;
    return *this;
}

DialogExpectation& DialogExpectation::withCaption(const QString& caption)
{
    caption_ = caption;
    return *this;
}

DialogExpectation& DialogExpectation::containing(const QString& part)
{
    parts_ << part;
    return *this;
}

DialogExpectation& DialogExpectation::when(std::function<bool(const DialogCall&)> predicate, const QString& what)
{
    predicates_.emplace_back(std::move(predicate), what);
    return *this;
}

DialogExpectation& DialogExpectation::answer(int result)
{
    result_ = result;
    return *this;
}

DialogExpectation& DialogExpectation::cancel()
{
    cancelled_ = true;
    return *this;
}

DialogExpectation& DialogExpectation::choose(const QString& path)
{
    path_ = path;
    return *this;
}

DialogExpectation& DialogExpectation::chooseFont(const QFont& font)
{
    font_ = font;
    return *this;
}

DialogExpectation& DialogExpectation::enter(const QString& text)
{
    input_ = text;
    return *this;
}

DialogExpectation& DialogExpectation::drive(std::function<void(QDialog&)> script)
{
    drive_ = std::move(script);
    return *this;
}

DialogExpectation& DialogExpectation::confirmPrint(std::function<void(QPrinter&, PrintDialogOptions&)> adjust)
{
    confirmed_ = true;
    printAdjust_ = std::move(adjust);
    return *this;
}

DialogExpectation& DialogExpectation::confirmSetup(std::function<void(QPrinter&)> adjust)
{
    confirmed_ = true;
    setupAdjust_ = std::move(adjust);
    return *this;
}

QString DialogExpectation::describe() const
{
    QString text = dialogKindName(kind_);
    if (text_)
        text += u' ' + quoted(*text_);
    if (caption_)
        text += QStringLiteral(" caption ") + quoted(*caption_);
    for (const QString& part : parts_)
        text += QStringLiteral(" containing ") + quoted(part);
    for (const auto& predicate : predicates_)
        text += QStringLiteral(" when ") + predicate.second;
    return text;
}

QString DialogExpectation::mismatch(const DialogCall& call) const
{
    if (call.kind != kind_)
        return QStringLiteral("another kind of dialog");
    if (text_ && call.text != *text_)
        return QStringLiteral("the text differs");
    if (caption_ && call.caption != *caption_)
        return QStringLiteral("the caption differs");
    for (const QString& part : parts_)
        if (!call.text.contains(part))
            return QStringLiteral("the text lacks ") + quoted(part);
    for (const auto& predicate : predicates_)
        if (!predicate.first(call))
            return QStringLiteral("it is not ") + predicate.second;
    return {};
}

// --- ScriptedDialogs ---

ScriptedDialogs::ScriptedDialogs(FailureReporter reporter, QString applicationTitle)
    : reporter_(std::move(reporter))
    , applicationTitle_(std::move(applicationTitle))
{
}

ScriptedDialogs::~ScriptedDialogs()
{
    if (expected_.empty())
        return;
    QStringList left;
    for (const auto& e : expected_)
        left << QStringLiteral("expected dialog never shown: ") + e->describe();
    if (reporter_) {
        for (const QString& message : left)
            reporter_(message);
        return;
    }
    // Nobody to tell and nothing may be thrown here: a forgotten script must
    // still stop the test run.
    std::fprintf(stderr, "%s\n", qPrintable(left.join(u'\n')));
    std::abort();
}

DialogExpectation& ScriptedDialogs::expect(DialogKind kind)
{
    expected_.push_back(std::make_unique<DialogExpectation>(kind));
    return *expected_.back();
}

DialogExpectation& ScriptedDialogs::expectMessageDlg(const QString& text)
{
    return expect(DialogKind::MessageDlg).withText(text);
}

DialogExpectation& ScriptedDialogs::expectMessageBox(const QString& text)
{
    return expect(DialogKind::MessageBox).withText(text);
}

DialogExpectation& ScriptedDialogs::expectShowMessage(const QString& text)
{
    return expect(DialogKind::ShowMessage).withText(text);
}

DialogExpectation& ScriptedDialogs::expectModal(const QString& objectName)
{
    return expect(DialogKind::ShowModal).withText(objectName);
}

DialogExpectation& ScriptedDialogs::expectOpenFile()
{
    return expect(DialogKind::OpenFile);
}

DialogExpectation& ScriptedDialogs::expectSaveFile()
{
    return expect(DialogKind::SaveFile);
}

DialogExpectation& ScriptedDialogs::expectPrintDialog()
{
    return expect(DialogKind::PrintDialog);
}

DialogExpectation& ScriptedDialogs::expectPrinterSetup()
{
    return expect(DialogKind::PrinterSetup);
}

DialogExpectation& ScriptedDialogs::expectFont()
{
    return expect(DialogKind::Font);
}

DialogExpectation& ScriptedDialogs::expectInputQuery(const QString& prompt)
{
    return expect(DialogKind::InputQuery).withText(prompt);
}

QStringList ScriptedDialogs::verify()
{
    QStringList found;
    for (const auto& e : expected_)
        found << QStringLiteral("expected dialog never shown: ") + e->describe();
    expected_.clear();
    if (reporter_)
        for (const QString& message : found)
            reporter_(message);
    QStringList all = failures_ + found;
    failures_.clear();
    if (!reporter_ && !found.isEmpty())
        throw ScriptedDialogsError(found.join(u'\n'));
    return all;
}

void ScriptedDialogs::fail(const QString& message)
{
    failures_ << message;
    if (reporter_)
        reporter_(message);
    throw ScriptedDialogsError(message);
}

std::unique_ptr<DialogExpectation> ScriptedDialogs::take(const DialogCall& call)
{
    calls_.push_back(call);
    if (expected_.empty())
        fail(QStringLiteral("unexpected dialog: ") + call.describe());
    const QString why = expected_.front()->mismatch(call);
    if (!why.isEmpty())
        fail(QStringLiteral("unexpected dialog: %1; the script expected %2 (%3)")
                 .arg(call.describe(), expected_.front()->describe(), why));
    auto expectation = std::move(expected_.front());
    expected_.pop_front();
    return expectation;
}

int ScriptedDialogs::answerBox(const DialogCall& call, const MessageBoxLayout& layout)
{
    const auto e = take(call);
    if (e->cancelled_) {
        if (layout.escapeIndex < 0)
            fail(QStringLiteral("the script cancels %1, which has no button for Esc").arg(call.describe()));
        return layout.escapeResult();
    }
    if (!e->result_)
        return layout.defaultResult(); // the user pressed Enter
    if (!layout.offers(*e->result_))
        fail(QStringLiteral("the script answers %1 to %2, which has no such button")
                 .arg(*e->result_)
                 .arg(call.describe()));
    return *e->result_;
}

int ScriptedDialogs::messageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons, int helpContext)
{
    DialogCall call;
    call.kind = DialogKind::MessageDlg;
    call.text = text;
    call.caption = messageDlgCaption(type, applicationTitle_);
    call.type = type;
    call.buttons = buttons;
    call.helpContext = helpContext;
    return answerBox(call, MessageBoxLayout::forMessageDlg(type, buttons, applicationTitle_));
}

int ScriptedDialogs::messageBox(const QString& text, const QString& caption, unsigned flags)
{
    DialogCall call;
    call.kind = DialogKind::MessageBox;
    call.text = text;
    call.caption = caption;
    call.flags = flags;
    return answerBox(call, MessageBoxLayout::forMessageBox(caption, flags));
}

void ScriptedDialogs::showMessage(const QString& text)
{
    DialogCall call;
    call.kind = DialogKind::ShowMessage;
    call.text = text;
    call.caption = applicationTitle_;
    answerBox(call, MessageBoxLayout::forShowMessage(applicationTitle_));
}

int ScriptedDialogs::showModal(QDialog& window)
{
    DialogCall call;
    call.kind = DialogKind::ShowModal;
    call.text = window.objectName();
    call.caption = window.windowTitle();
    const auto e = take(call);

    window.setResult(QDialog::Rejected);
    window.show();
    settle();
    try {
        if (e->drive_)
            e->drive_(window);
        else if (e->result_)
            window.done(*e->result_);
        else
            window.reject();
    } catch (...) {
        window.hide();
        throw;
    }
    settle();
    if (window.isVisible()) {
        window.hide();
        fail(QStringLiteral("the script left %1 open").arg(call.describe()));
    }
    const int result = window.result();
    return result == QDialog::Rejected ? mrCancel : result;
}

std::optional<QString> ScriptedDialogs::answerFile(const DialogCall& call)
{
    const auto e = take(call);
    if (e->cancelled_ || !e->path_)
        return std::nullopt;
    return e->path_;
}

std::optional<QString> ScriptedDialogs::openFile(const FileDialogOptions& options)
{
    DialogCall call;
    call.kind = DialogKind::OpenFile;
    call.text = options.title;
    call.caption = options.title;
    call.file = options;
    return answerFile(call);
}

std::optional<QString> ScriptedDialogs::saveFile(const FileDialogOptions& options)
{
    DialogCall call;
    call.kind = DialogKind::SaveFile;
    call.text = options.title;
    call.caption = options.title;
    call.file = options;
    return answerFile(call);
}

bool ScriptedDialogs::printDialog(QPrinter& printer, PrintDialogOptions& options)
{
    DialogCall call;
    call.kind = DialogKind::PrintDialog;
    call.print = options;
    const auto e = take(call);
    if (e->cancelled_ || !e->confirmed_)
        return false;
    if (e->printAdjust_)
        e->printAdjust_(printer, options);
    return true;
}

bool ScriptedDialogs::printerSetup(QPrinter& printer)
{
    DialogCall call;
    call.kind = DialogKind::PrinterSetup;
    const auto e = take(call);
    if (e->cancelled_ || !e->confirmed_)
        return false;
    if (e->setupAdjust_)
        e->setupAdjust_(printer);
    return true;
}

std::optional<QFont> ScriptedDialogs::chooseFont(const QFont& initial)
{
    DialogCall call;
    call.kind = DialogKind::Font;
    call.text = initial.family();
    const auto e = take(call);
    if (e->cancelled_ || !e->font_)
        return std::nullopt;
    return e->font_;
}

bool ScriptedDialogs::inputQuery(const QString& caption, const QString& prompt, QString& value)
{
    DialogCall call;
    call.kind = DialogKind::InputQuery;
    call.text = prompt;
    call.caption = caption;
    call.value = value;
    const auto e = take(call);
    if (e->cancelled_ || !e->input_)
        return false;
    value = *e->input_;
    return true;
}

} // namespace velta
