#include "plugin/platform/SiblingLibrary.h"

#include "plugin/platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>

namespace velta {
namespace {

// The folder of the module this code is linked into, with a trailing "/".
QString ownModuleFolder()
{
    Dl_info info {};
    if (::dladdr(reinterpret_cast<const void*>(&ownModuleFolder), &info) && info.dli_fname) {
        const QString file = QFile::decodeName(info.dli_fname);
        // The main program may be named as it was started; its folder is known anyway.
        if (QFileInfo(file).isAbsolute())
            return QFileInfo(file).absolutePath() + u'/';
    }
    return Paths::executableFolder();
}

QString loaderError()
{
    const char* reason = ::dlerror();
    return reason ? QString::fromLocal8Bit(reason) : QString();
}

} // namespace

QString SiblingLibrary::fileName(const QString& name)
{
    QString base = Paths::extractFileName(name);
    if (base.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive))
        base.chop(4);
    return QStringLiteral("lib") + base.toLower() + QStringLiteral(".so");
}

QStringList SiblingLibrary::candidates(const QString& name)
{
    const QString file = fileName(name);
    QStringList result;
    const QString folder = Paths::extractFilePath(name);
    if (!folder.isEmpty())
        result << Paths::toNative(Paths::includeTrailingDelimiter(folder) + file);
    const QString beside = ownModuleFolder() + file;
    if (!result.contains(beside))
        result << beside;
    result << file;
    return result;
}

SiblingLibrary SiblingLibrary::load(const QString& name)
{
    SiblingLibrary library;
    const QStringList paths = candidates(name);
    for (const QString& path : paths) {
        // A full path that is not there is skipped quietly; the loader's own
        // search names the reason when nothing is found.
        if (path.contains(u'/') && !QFileInfo::exists(path))
            continue;
        library.handle_ = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (library.handle_) {
            library.path_ = path;
            library.error_.clear();
            return library;
        }
        library.error_ = loaderError();
    }
    return library;
}

SiblingLibrary SiblingLibrary::findLoaded(const QString& name)
{
    SiblingLibrary library;
    for (const QString& path : candidates(name)) {
        library.handle_ = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
        if (library.handle_) {
            library.path_ = path;
            return library;
        }
    }
    ::dlerror();
    return library;
}

SiblingLibrary::~SiblingLibrary()
{
    close();
}

SiblingLibrary::SiblingLibrary(SiblingLibrary&& other) noexcept
    : handle_(other.handle_)
    , path_(std::move(other.path_))
    , error_(std::move(other.error_))
{
    other.handle_ = nullptr;
}

SiblingLibrary& SiblingLibrary::operator=(SiblingLibrary&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = other.handle_;
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
        other.handle_ = nullptr;
    }
    return *this;
}

void* SiblingLibrary::symbol(const char* name) const
{
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

void SiblingLibrary::close()
{
    if (handle_)
        ::dlclose(handle_);
    handle_ = nullptr;
}

QString CurrentDepartmentPath()
{
    const SiblingLibrary library = SiblingLibrary::findLoaded(QString::fromLatin1(department::kLibraryName));
    const auto get = reinterpret_cast<department::GetCurrentDepartmentPathFn>(
        library.symbol(department::kGetCurrentDepartmentPath));
    QString path;
    if (get)
        get(path);
    return path;
}

} // namespace velta
