#include "plugin/viewer/export/OfficeAutomation.h"

#include "common/Exception.h"
#include "plugin/platform/Paths.h"
#include "plugin/viewer/browser/HtmlFileText.h"
#include "plugin/viewer/export/SpreadsheetHtml.h"
#include "plugin/viewer/print/ViewerSettings.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace velta {

const QString kClassNotRegisteredMessage = QStringLiteral("Недопустимая строка с указанием класса");

namespace {

const QString kServiceManager = QStringLiteral("com.sun.star.ServiceManager");
const QString kDesktopService = QStringLiteral("com.sun.star.frame.Desktop");
const QString kDispatchHelperService = QStringLiteral("com.sun.star.frame.DispatchHelper");
const QString kWriterFactory = QStringLiteral("private:factory/swriter");
const QString kCalcFactory = QStringLiteral("private:factory/scalc");
const QString kPasteCommand = QStringLiteral(".uno:Paste");

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

AutomationFactory* installedFactory = nullptr;

// The report on the clipboard as an HTML document: its HTML flavour, else its
// text in a preformatted block.
QString clipboardDocument()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw EOleException(QStringLiteral("Буфер обмена недоступен"));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasHtml())
        return data->html();
    const QString text = data && data->hasText() ? data->text() : QString();
    return QStringLiteral("<html>\r\n<head>\r\n"
                          "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
                          "</head>\r\n<body>\r\n<pre>")
           + text.toHtmlEscaped() + QStringLiteral("</pre>\r\n</body>\r\n</html>\r\n");
}

// Writes the document into a new file of the temporary folder; the file stays
// for the office program, which reads it after this process moved on.
QString writeTemporaryDocument(const QString& html)
{
    const QString folder = Paths::toNative(Paths::tempFolder());
    QTemporaryFile file(folder + QStringLiteral("veltaexport-XXXXXX.html"));
    file.setAutoRemove(false);
    if (!file.open())
        throw EOleException(QStringLiteral("Не удалось создать временный файл в \"%1\": %2").arg(folder, file.errorString()));
    const QByteArray bytes = viewer::encodeHtmlDocument(html);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.remove();
        throw EOleException(QStringLiteral("Не удалось записать временный файл \"%1\": %2").arg(file.fileName(), reason));
    }
    file.close();
    return file.fileName();
}

// The frame of a document the desktop opened: which module shows it.
class OfficeFrame : public AutomationObject {
public:
    explicit OfficeFrame(QString factoryUrl) : factoryUrl_(std::move(factoryUrl)) {}
    const QString& factoryUrl() const { return factoryUrl_; }

    OleVariant invoke(const QString& member, const OleArgs&) override { raiseUnknownMember(member); }
    OleVariant get(const QString& property, const OleArgs&) override { raiseUnknownMember(property); }
    void set(const QString& property, const OleVariant&) override { raiseUnknownMember(property); }

private:
    QString factoryUrl_;
};

// A document made by LoadComponentFromURL; the paste into its frame fills it.
class OfficeComponent : public AutomationObject {
public:
    explicit OfficeComponent(std::shared_ptr<OfficeFrame> frame) : frame_(std::move(frame)) {}

    OleVariant invoke(const QString& member, const OleArgs&) override { raiseUnknownMember(member); }
    OleVariant get(const QString& property, const OleArgs&) override { raiseUnknownMember(property); }
    void set(const QString& property, const OleVariant&) override { raiseUnknownMember(property); }

private:
    std::shared_ptr<OfficeFrame> frame_;
};

class OfficeDesktop : public AutomationObject {
public:
    OleVariant invoke(const QString& member, const OleArgs& args) override
    {
        if (!sameName(member, QStringLiteral("LoadComponentFromURL")))
            raiseUnknownMember(member);
        checkArgCount(member, args, 4);
        const QString url = args[0].value().toString();
        if (url != kWriterFactory && url != kCalcFactory)
            throw EOleException(QStringLiteral("Unsupported URL <%1>").arg(url));
        currentFrame_ = std::make_shared<OfficeFrame>(url);
        return OleVariant(std::shared_ptr<AutomationObject>(std::make_shared<OfficeComponent>(currentFrame_)));
    }

    OleVariant get(const QString& property, const OleArgs& args) override
    {
        if (!sameName(property, QStringLiteral("CurrentFrame")))
            raiseUnknownMember(property);
        checkArgCount(property, args, 0);
        if (!currentFrame_)
            return OleVariant();
        return OleVariant(std::shared_ptr<AutomationObject>(currentFrame_));
    }

    void set(const QString& property, const OleVariant&) override { raiseUnknownMember(property); }

private:
    std::shared_ptr<OfficeFrame> currentFrame_;
};

// Dispatches commands to a frame; the paste starts the office program with
// the clipboard's report as a new document of the frame's module.
class OfficeDispatchHelper : public AutomationObject {
public:
    explicit OfficeDispatchHelper(QString program) : program_(std::move(program)) {}

    OleVariant invoke(const QString& member, const OleArgs& args) override
    {
        if (!sameName(member, QStringLiteral("executeDispatch")))
            raiseUnknownMember(member);
        checkArgCount(member, args, 5);
        auto* frame = dynamic_cast<OfficeFrame*>(args[0].isObject() ? &args[0].object() : nullptr);
        if (!frame)
            throw EOleException(QStringLiteral("executeDispatch: нет окна документа"));
        if (args[1].value().toString() == kPasteCommand)
            paste(*frame);
        return OleVariant();
    }

    OleVariant get(const QString& property, const OleArgs&) override { raiseUnknownMember(property); }
    void set(const QString& property, const OleVariant&) override { raiseUnknownMember(property); }

private:
    // A spreadsheet gets the numbers and dates of the report's cells as
    // values, read with the report's separators.
    void paste(const OfficeFrame& frame)
    {
        QString document = clipboardDocument();
        if (frame.factoryUrl() == kCalcFactory) {
            const viewer::ReportNumberSeparators separators = viewer::ReadReportNumberSeparators();
            document = viewer::AddSpreadsheetValues(document, {separators.decimal, separators.thousands});
        }
        const QString file = writeTemporaryDocument(document);
        if (!QProcess::startDetached(program_, OfficeAutomation::officeArguments(frame.factoryUrl(), file))) {
            QFile::remove(file);
            throw EOleException(QStringLiteral("Не удалось запустить программу \"%1\"").arg(program_));
        }
    }

    QString program_;
};

class OfficeServiceManager : public AutomationObject {
public:
    explicit OfficeServiceManager(QString program) : program_(std::move(program)) {}

    // Unknown services give no object, as the service manager answers.
    OleVariant invoke(const QString& member, const OleArgs& args) override
    {
        if (!sameName(member, QStringLiteral("CreateInstance")))
            raiseUnknownMember(member);
        checkArgCount(member, args, 1);
        const QString service = args[0].value().toString();
        if (service == kDesktopService)
            return OleVariant(std::shared_ptr<AutomationObject>(std::make_shared<OfficeDesktop>()));
        if (service == kDispatchHelperService)
            return OleVariant(std::shared_ptr<AutomationObject>(std::make_shared<OfficeDispatchHelper>(program_)));
        return OleVariant();
    }

    OleVariant get(const QString& property, const OleArgs&) override { raiseUnknownMember(property); }
    void set(const QString& property, const OleVariant&) override { raiseUnknownMember(property); }

private:
    QString program_;
};

} // namespace

AutomationObject& OleVariant::object() const
{
    if (!object_)
        throw EOleException(QStringLiteral("Variant does not reference an automation object"));
    return *object_;
}

OleVariant OleVariant::call(const QString& member, const QVector<OleVariant>& args) const
{
    return object().invoke(member, args);
}

OleVariant OleVariant::get(const QString& property, const QVector<OleVariant>& args) const
{
    return object().get(property, args);
}

void OleVariant::set(const QString& property, const OleVariant& value) const
{
    object().set(property, value);
}

AutomationObject::~AutomationObject() = default;

void AutomationObject::raiseUnknownMember(const QString& member)
{
    throw EOleException(QStringLiteral("Method '%1' not supported by automation object").arg(member));
}

void AutomationObject::checkArgCount(const QString& member, const OleArgs& args, int count)
{
    if (args.size() != count)
        throw EOleException(QStringLiteral("Неверное число параметров при вызове '%1'").arg(member));
}

AutomationFactory::~AutomationFactory() = default;

OleVariant OfficeAutomation::createOleObject(const QString& progId)
{
    if (sameName(progId, kServiceManager)) {
        const QString program = findOffice();
        if (!program.isEmpty())
            return OleVariant(std::shared_ptr<AutomationObject>(std::make_shared<OfficeServiceManager>(program)));
    }
    throw EOleSysError(kClassNotRegisteredMessage);
}

QString OfficeAutomation::findOffice()
{
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

QStringList OfficeAutomation::officeArguments(const QString& factoryUrl, const QString& nativeFile)
{
    const QString filter = factoryUrl == kCalcFactory ? QStringLiteral("HTML (StarCalc)")
                                                      : QStringLiteral("HTML (StarWriter)");
    return {QStringLiteral("--infilter=") + filter, QStringLiteral("-n"), nativeFile};
}

AutomationFactory& OfficeAutomation::current()
{
    static OfficeAutomation platform;
    return installedFactory ? *installedFactory : platform;
}

void OfficeAutomation::install(AutomationFactory* factory)
{
    installedFactory = factory;
}

OleVariant CreateOleObject(const QString& progId)
{
    return OfficeAutomation::current().createOleObject(progId);
}

} // namespace velta
