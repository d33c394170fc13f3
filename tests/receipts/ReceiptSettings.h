#pragma once
// The builder writes numbers and dates with the plug-in's process-wide format
// settings; receipt tests start from the fixed station settings and put back
// whatever they change.
#include "common/FormatSettings.h"

#include <gtest/gtest.h>

namespace velta::receipts::test {

class ReceiptSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = globalFormatSettings();
        globalFormatSettings() = TFormatSettings::systemDefaults();
    }
    void TearDown() override { globalFormatSettings() = saved_; }

private:
    TFormatSettings saved_;
};

} // namespace velta::receipts::test
