#include "plugin/platform/SystemError.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

namespace velta::SystemError {

namespace {
thread_local int t_lastError = 0;

struct MessageEntry {
    int code;
    const char* text;
};

// The texts a Russian Windows gives for the codes the suite can meet.
constexpr MessageEntry kMessages[] = {
    {Success, "Операция успешно завершена."},
    {1, "Неверная функция."},
    {FileNotFound, "Не удается найти указанный файл."},
    {PathNotFound, "Системе не удается найти указанный путь."},
    {TooManyOpenFiles, "Системе не удается открыть файл."},
    {AccessDenied, "Отказано в доступе."},
    {InvalidHandle, "Неверный дескриптор."},
    {NotEnoughMemory, "Недостаточно памяти для обработки команды."},
    {NotSameDevice, "Системе не удается переместить файл на другой диск."},
    {WriteProtect, "Носитель защищен от записи."},
    {NotReady, "Устройство не готово."},
    {GeneralFailure, "Присоединенное к системе устройство не работает."},
    {SharingViolation, "Процесс не может получить доступ к файлу, так как этот файл занят другим процессом."},
    {LockViolation,
     "Процесс не может получить доступ к файлу, так как часть этого файла заблокирована другим процессом."},
    {FileExists, "Файл существует."},
    {InvalidParameter, "Параметр задан неверно."},
    {BufferOverflow, "Имя файла слишком длинное."},
    {DiskFull, "Недостаточно места на диске."},
    {InvalidName, "Синтаксическая ошибка в имени файла, имени папки или метке тома."},
    {DirectoryNotEmpty, "Папка не пуста."},
    {AlreadyExists, "Невозможно создать файл, так как он уже существует."},
    {IoDevice, "Запрос не был выполнен из-за ошибки ввода/вывода на устройстве."},
    {Timeout, "Операция возвращена из-за превышения времени ожидания."},
};
} // namespace

int last()
{
    return t_lastError;
}

void setLast(int code)
{
    t_lastError = code;
}

int fromErrno(int errnoValue)
{
    switch (errnoValue) {
    case 0: return Success;
    case ENOENT: return FileNotFound;
    case ENOTDIR: return PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return AccessDenied;
    case EBADF: return InvalidHandle;
    case ENOMEM: return NotEnoughMemory;
    case EMFILE:
    case ENFILE: return TooManyOpenFiles;
    case EXDEV: return NotSameDevice;
    case EROFS: return WriteProtect;
    case ENXIO:
    case ENODEV: return NotReady;
    case EBUSY:
    case ETXTBSY: return SharingViolation;
#if EAGAIN != EWOULDBLOCK
    case EWOULDBLOCK:
#endif
    case EAGAIN:
    case EDEADLK: return LockViolation;
    case EEXIST: return FileExists;
    case EFBIG:
    case ENOSPC:
    case EDQUOT: return DiskFull;
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP: return InvalidName;
    case ENOTEMPTY: return DirectoryNotEmpty;
    case EIO: return IoDevice;
    case ETIMEDOUT: return Timeout;
    default: return GeneralFailure;
    }
}

int fromErrnoForPath(int errnoValue, const QString& nativePath)
{
    if (errnoValue != ENOENT)
        return fromErrno(errnoValue);
    QString parent = QFileInfo(nativePath).path();
    if (parent.isEmpty())
        parent = QStringLiteral(".");
    struct stat st {};
    const QByteArray encoded = QFile::encodeName(parent);
    if (::stat(encoded.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return PathNotFound;
    return FileNotFound;
}

int setLastFromErrno(int errnoValue)
{
    const int code = fromErrno(errnoValue);
    setLast(code);
    return code;
}

int setLastFromErrnoForPath(int errnoValue, const QString& nativePath)
{
    const int code = fromErrnoForPath(errnoValue, nativePath);
    setLast(code);
    return code;
}

QString message(int code)
{
    for (const auto& entry : kMessages) {
        if (entry.code == code)
            return QString::fromUtf8(entry.text);
    }
    return QStringLiteral("Системная ошибка %1").arg(code);
}

} // namespace velta::SystemError
