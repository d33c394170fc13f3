#include "plugin/directories/scandocs/ScanDocPages.h"

#include "common/Exception.h"
#include "plugin/directories/scandocs/ScanDocStorage.h"

namespace velta::directories::scandocs {

void ScanDocPages::Reset()
{
    Load({QString()});
}

void ScanDocPages::Load(const QStringList& files)
{
    files_ = files.isEmpty() ? QStringList{QString()} : files;
    selected_ = 0;
}

void ScanDocPages::Select(int index)
{
    selected_ = index >= 0 && index < Count() ? index : -1;
}

QString ScanDocPages::SelectedFile() const
{
    return selected_ >= 0 ? files_.at(selected_) : QString();
}

void ScanDocPages::checkAgreement(int buttonCount) const
{
    if (buttonCount != Count())
        throw Exception(QStringLiteral("Несоответствие количества элементов!"));
}

void ScanDocPages::Add(int buttonCount)
{
    checkAgreement(buttonCount);
    files_ << QString();
    selected_ = Count() - 1;
}

void ScanDocPages::RemoveSelected(int buttonCount)
{
    checkAgreement(buttonCount);
    if (selected_ < 0)
        throw Exception(QStringLiteral("Не выбрана страница для удаления!"));
    if (Count() == 1)
        throw Exception(QStringLiteral("Нельзя удалять последнюю оставшуюся страницу!"));
    files_.removeAt(selected_);
    if (selected_ >= Count())
        selected_ = Count() - 1;
}

int ScanDocPages::PageUsing(const QString& file) const
{
    for (int i = 0; i < Count(); ++i)
        if (i != selected_ && !files_.at(i).isEmpty() && SamePath(files_.at(i), file))
            return i + 1;
    return 0;
}

void ScanDocPages::SetSelectedFile(const QString& file)
{
    if (selected_ >= 0)
        files_[selected_] = file;
}

QString ScanDocPages::Caption(int index)
{
    return QStringLiteral("Стр. ") + QString::number(index + 1);
}

} // namespace velta::directories::scandocs
