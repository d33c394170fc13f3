#include "plugin/viewer/CurrentPrinter.h"

#include <QPrinter>
#include <memory>

namespace velta::viewer {
namespace {

std::unique_ptr<QPrinter>& printer()
{
    static std::unique_ptr<QPrinter> instance;
    return instance;
}

} // namespace

QPrinter& CurrentPrinter()
{
    auto& instance = printer();
    if (!instance)
        instance = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *instance;
}

void ResetCurrentPrinter()
{
    printer().reset();
}

} // namespace velta::viewer
