#include "tests/support/TestHost.h"

#include "common/Exception.h"

#include <stdexcept>

namespace velta::test {

namespace {
TestHost* currentHost = nullptr;
}

void TestMenuItem::click()
{
    if (onClick_)
        onClick_(*this);
}

TestMenuItem* TestMenuItem::item(int index) const
{
    if (index < 0 || index >= count())
        throw std::out_of_range("menu item index out of range");
    return children_[static_cast<size_t>(index)].get();
}

TestMenuItem* TestMenuItem::insert(int index, const QString& caption)
{
    auto child = std::make_unique<TestMenuItem>(this);
    child->setCaption(caption);
    TestMenuItem* raw = child.get();
    if (index < 0 || index >= count())
        children_.push_back(std::move(child));
    else
        children_.insert(children_.begin() + index, std::move(child));
    return raw;
}

QStringList TestMenuItem::captions() const
{
    QStringList list;
    for (const auto& child : children_)
        list << child->caption();
    return list;
}

TestMenuItem* TestMenuItem::child(const QString& caption) const
{
    for (const auto& c : children_) {
        if (c->caption() == caption)
            return c.get();
    }
    return nullptr;
}

TestHost::TestHost(const QStringList& topLevel)
{
    for (const QString& caption : topLevel)
        mainMenu_.insert(-1, caption);
    currentHost = this;
}

TestHost::~TestHost()
{
    if (currentHost == this)
        currentHost = nullptr;
}

TestHost& TestHost::current()
{
    if (!currentHost)
        throw std::logic_error("no test host");
    return *currentHost;
}

void TestHost::offerMenuStates()
{
    values[85] = plugin::valueFromFunction(&TestHost::setMenuItemState);
}

const TestHost::Registration* TestHost::lastRegistration(const plugin::MenuItem* item) const
{
    for (auto it = registrations.rbegin(); it != registrations.rend(); ++it) {
        if (it->item == item)
            return &*it;
    }
    return nullptr;
}

void TestHost::getValue(Variant& result, int code, int)
{
    TestHost& h = current();
    h.valueCodesAsked.append(code);
    if (h.failingValues.contains(code))
        throw Exception(QStringLiteral("host value %1 failed").arg(code));
    result = h.values.value(code);
}

void TestHost::getPrivValue(Variant& result, int code)
{
    TestHost& h = current();
    if (h.failingPrivValues.contains(code))
        throw Exception(QStringLiteral("user value %1 failed").arg(code));
    result = h.privValues.value(code);
}

plugin::MenuItem* TestHost::newMenuItem(plugin::MenuItem* parent, int index)
{
    ++current().itemsCreated;
    return static_cast<TestMenuItem*>(parent)->insert(index);
}

void TestHost::getReport(QString& text, int reportNo, Variant params)
{
    TestHost& h = current();
    {
        const std::lock_guard lock(h.reportMutex);
        h.reportCalls.push_back({reportNo, params});
    }
    if (h.onReport)
        h.onReport(text, reportNo, params);
    else
        text = h.reportText;
}

void TestHost::setMenuItemState(plugin::MenuItem* item, std::uint8_t setA, std::uint8_t setB)
{
    current().registrations.push_back({item, setA, setB});
}

} // namespace velta::test
