#pragma once
// A test suite that shares one real station server over a new demo station of
// Sales sales: started once per suite, its port handed to the plug-in and the
// datasets through VELTA_STATION_PORT for every test. Tests are skipped when
// velta-station is not built.
#include "tests/support/StationServer.h"

#include <QByteArray>
#include <QtGlobal>
#include <gtest/gtest.h>

namespace velta::test {

template <int Sales = 50>
class SharedStationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (StationServer::available())
            station_ = StationServer::overNewStation(Sales).release();
    }
    static void TearDownTestSuite()
    {
        delete station_;
        station_ = nullptr;
    }
    // Derived fixtures call this first and stop when it skipped or failed.
    void SetUp() override
    {
        if (!station_)
            GTEST_SKIP() << "velta-station is not built";
        ASSERT_NE(station_->port(), 0) << station_->error().toStdString();
        qputenv("VELTA_STATION_PORT", QByteArray::number(station_->port()));
    }
    void TearDown() override { qunsetenv("VELTA_STATION_PORT"); }
    bool stationReady() const { return !IsSkipped() && !HasFatalFailure(); }

    static inline StationServer* station_ = nullptr;
};

} // namespace velta::test
