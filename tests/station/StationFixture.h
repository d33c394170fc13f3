#pragma once
// A demo station made once per test suite in a private temporary folder, and
// small helpers to query it.
#include "station/db/StationDatabase.h"
#include "station/demo/StationInit.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>
#include <memory>

namespace velta::test {

class DemoStation {
public:
    explicit DemoStation(bool legacy, int sales = 6000)
        : env_(std::make_unique<TestEnv>())
    {
        station::InitOptions options;
        options.root = env_->path(QStringLiteral("station"));
        options.legacy = legacy;
        options.sales = sales;
        result_ = station::initStation(options);
    }
    const station::InitResult& result() const { return result_; }
    QString root() const { return env_->path(QStringLiteral("station")); }
    std::unique_ptr<station::StationDatabase> open() const
    {
        return std::make_unique<station::StationDatabase>(result_.stationPath);
    }
    std::unique_ptr<station::StationDatabase> openOffice() const
    {
        return std::make_unique<station::StationDatabase>(result_.officePath);
    }

private:
    std::unique_ptr<TestEnv> env_;
    station::InitResult result_;
};

// A suite sharing one demo station of the given size and one attachment to it.
template <int Sales>
class SharedDemoStation : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        station_ = new DemoStation(false, Sales);
        db_ = station_->open().release();
    }
    static void TearDownTestSuite()
    {
        delete db_;
        delete station_;
        db_ = nullptr;
        station_ = nullptr;
    }

    static inline DemoStation* station_ = nullptr;
    static inline station::StationDatabase* db_ = nullptr;
};

// A suite sharing a current and a legacy demo station, of the given sizes.
template <int CurrentSales, int LegacySales>
class CurrentAndLegacyStations : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        current_ = new DemoStation(false, CurrentSales);
        legacy_ = new DemoStation(true, LegacySales);
    }
    static void TearDownTestSuite()
    {
        delete current_;
        delete legacy_;
        current_ = legacy_ = nullptr;
    }
    static inline DemoStation* current_ = nullptr;
    static inline DemoStation* legacy_ = nullptr;
};

// All values of the first column of a query, as text.
inline QStringList column(station::StationDatabase& db, const QString& sql)
{
    QStringList values;
    QSqlQuery q = db.query();
    if (!q.exec(sql))
        station::raiseQueryError(q, sql);
    while (q.next())
        values << q.value(0).toString();
    return values;
}

inline qlonglong count(station::StationDatabase& db, const QString& sql)
{
    return db.scalar(sql).toLongLong();
}

} // namespace velta::test
