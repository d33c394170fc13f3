#pragma once
// A host for plug-in tests: an in-memory menu item tree, GetValue and
// GetPrivValue answered from tables (or raising), and recording NewMenuItem,
// GetReport_ and SetMenuItemState callbacks. One TestHost is current at a time;
// the plain callback functions reach it.
#include "common/Variant.h"
#include "plugin/api/velta_plugin.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace velta::test {

class TestMenuItem : public plugin::MenuItem {
public:
    explicit TestMenuItem(TestMenuItem* parent = nullptr) : parent_(parent) {}

    QString caption() const override { return caption_; }
    void setCaption(const QString& caption) override { caption_ = caption; }
    QString hint() const override { return hint_; }
    void setHint(const QString& hint) override { hint_ = hint; }
    int helpContext() const override { return helpContext_; }
    void setHelpContext(int context) override { helpContext_ = context; }
    plugin::TShortCut shortCut() const override { return shortCut_; }
    void setShortCut(plugin::TShortCut shortCut) override { shortCut_ = shortCut; }
    QString name() const override { return name_; }
    void setName(const QString& name) override { name_ = name; }
    bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool visible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }
    void setOnClick(ClickHandler handler) override { onClick_ = std::move(handler); }
    bool hasOnClick() const override { return static_cast<bool>(onClick_); }
    void click() override;
    int count() const override { return static_cast<int>(children_.size()); }
    TestMenuItem* item(int index) const override;
    TestMenuItem* parent() const override { return parent_; }

    // A new child at index (-1 or past the end: appended).
    TestMenuItem* insert(int index, const QString& caption = QString());
    // The captions of the children, in order.
    QStringList captions() const;
    // The first child with that caption, or null.
    TestMenuItem* child(const QString& caption) const;

private:
    TestMenuItem* parent_;
    QString caption_, hint_, name_;
    int helpContext_ = 0;
    plugin::TShortCut shortCut_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
    ClickHandler onClick_;
    std::vector<std::unique_ptr<TestMenuItem>> children_;
};

class TestHost {
public:
    struct Registration {
        plugin::MenuItem* item;
        std::uint8_t setA;
        std::uint8_t setB;
    };
    struct ReportCall {
        int reportNo;
        Variant params;
    };

    // A main menu with the given top-level captions; becomes the current host.
    explicit TestHost(const QStringList& topLevel = {});
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    static TestHost& current();

    TestMenuItem& mainMenu() { return mainMenu_; }

    // Answers; a code listed in the failing set raises Exception.
    QMap<int, Variant> values;
    QMap<int, Variant> privValues;
    QSet<int> failingValues;
    QSet<int> failingPrivValues;
    // Offered through GetValue 85 when set.
    void offerMenuStates();
    QString reportText; // the text GetReport_ answers
    // When set, answers GetReport_ instead of reportText (the call is recorded
    // first). It may be called on the report thread.
    std::function<void(QString& text, int reportNo, const Variant& params)> onReport;

    std::vector<Registration> registrations;
    std::vector<ReportCall> reportCalls; // guarded by reportMutex while reports run
    std::mutex reportMutex;
    QVector<int> valueCodesAsked;
    int itemsCreated = 0;

    // The last registration of an item, or null.
    const Registration* lastRegistration(const plugin::MenuItem* item) const;

    static void getValue(Variant& result, int code, int arg);
    static void getPrivValue(Variant& result, int code);
    static plugin::MenuItem* newMenuItem(plugin::MenuItem* parent, int index);
    static void getReport(QString& text, int reportNo, Variant params);
    static void setMenuItemState(plugin::MenuItem* item, std::uint8_t setA, std::uint8_t setB);

private:
    TestMenuItem mainMenu_;
};

// A payment type list the host hands over through GetValue 57.
class TestPayTypeList : public plugin::PayTypeList {
public:
    QVector<Entry> entries;
    int count() const override { return entries.size(); }
    Entry entry(int index) const override { return entries.at(index); }
};

} // namespace velta::test
