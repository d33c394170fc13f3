#pragma once
// Reference-file tests: a produced text is compared with a file kept in the
// source tree; a mismatch fails with a unified diff of the lines. With
// VELTA_UPDATE_REFERENCES=1 the references are rewritten instead.
#include <QString>
#include <gtest/gtest.h>

namespace velta::test {

inline constexpr char kUpdateReferencesVariable[] = "VELTA_UPDATE_REFERENCES";

// The absolute path of a reference file named relative to the tests folder of
// the source tree ("viewer/print/reference/page.txt"), wherever the test runs.
QString referencePath(const QString& relative);

// EXPECT_TRUE(matchesReference("station/reports/reference/x.txt", text)).
::testing::AssertionResult matchesReference(const QString& relative, const QString& produced);

// The same with an explicit path; name is what the messages call the file.
::testing::AssertionResult matchesReferenceFile(const QString& path, const QString& name, const QString& produced);

struct DiffOptions {
    int context = 3;    // unchanged lines shown around each change
    int maxLines = 80;  // lines of hunks shown before the diff is cut short
};

// A unified diff from expected to actual (empty when they are equal): "---" and
// "+++" lines, then "@@ -a,n +b,m @@" hunks. A missing final line break is
// marked as diff marks it; a CR ending every line of both texts is left out.
QString unifiedDiff(const QString& expected, const QString& actual, const QString& expectedName,
                    const QString& actualName, const DiffOptions& options = {});

} // namespace velta::test
