#include "tests/support/ReferenceFile.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace velta::test {

namespace {

// Lines with their line break, so that a missing final break is a difference.
QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) {
            lines << text.mid(start);
            break;
        }
        lines << text.mid(start, end - start + 1);
        start = end + 1;
    }
    return lines;
}

enum class Op { Keep, Remove, Add };

// One step of the edit script; a and b are the positions in the two texts
// when the step is taken.
struct Edit {
    Op op;
    int a;
    int b;
};

// Myers' shortest edit script beyond this many changes costs more memory than
// a test should; the middle is then shown as removed and added whole.
constexpr int kMaxEditDistance = 2000;

// Appends the edits turning a[lo, aEnd) into b[lo, bEnd).
void diffMiddle(const QStringList& a, const QStringList& b, int lo, int aEnd, int bEnd, std::vector<Edit>& out)
{
    const int n = aEnd - lo;
    const int m = bEnd - lo;
    const int limit = std::min(n + m, kMaxEditDistance);
    // v[k + offset]: the furthest x on diagonal k; trace[d] is v before round d.
    const int offset = limit + 1;
    std::vector<int> v(2 * static_cast<size_t>(offset) + 1, 0);
    // trace[d] keeps diagonals -d-1 .. d+1 of v as it was before round d.
    std::vector<std::vector<int>> trace;
    int found = -1;
    for (int d = 0; d <= limit && found < 0; ++d) {
        trace.emplace_back(v.begin() + (offset - d - 1), v.begin() + (offset + d + 2));
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                   : v[offset + k - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a[lo + x] == b[lo + y]) {
                ++x;
                ++y;
            }
            v[offset + k] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
    }
    std::vector<Edit> reversed;
    if (found < 0) {
        for (int i = m - 1; i >= 0; --i)
            reversed.push_back({Op::Add, lo + n, lo + i});
        for (int i = n - 1; i >= 0; --i)
            reversed.push_back({Op::Remove, lo + i, lo});
    } else {
        int x = n;
        int y = m;
        for (int d = found; d >= 0; --d) {
            const std::vector<int>& slice = trace[static_cast<size_t>(d)];
            auto vd = [&](int k) { return slice[static_cast<size_t>(k + d + 1)]; };
            const int k = x - y;
            const int prevK = (k == -d || (k != d && vd(k - 1) < vd(k + 1))) ? k + 1 : k - 1;
            const int prevX = vd(prevK);
            const int prevY = prevX - prevK;
            while (x > prevX && y > prevY) {
                --x;
                --y;
                reversed.push_back({Op::Keep, lo + x, lo + y});
            }
            if (d > 0) {
                if (x == prevX) {
                    --y;
                    reversed.push_back({Op::Add, lo + x, lo + y});
                } else {
                    --x;
                    reversed.push_back({Op::Remove, lo + x, lo + y});
                }
            }
        }
    }
    out.insert(out.end(), reversed.rbegin(), reversed.rend());
}

std::vector<Edit> diffLines(const QStringList& a, const QStringList& b)
{
    const int na = static_cast<int>(a.size());
    const int nb = static_cast<int>(b.size());
    int lo = 0;
    while (lo < na && lo < nb && a[lo] == b[lo])
        ++lo;
    int aEnd = na;
    int bEnd = nb;
    while (aEnd > lo && bEnd > lo && a[aEnd - 1] == b[bEnd - 1]) {
        --aEnd;
        --bEnd;
    }
    std::vector<Edit> edits;
    for (int i = 0; i < lo; ++i)
        edits.push_back({Op::Keep, i, i});
    diffMiddle(a, b, lo, aEnd, bEnd, edits);
    for (int i = 0; aEnd + i < na; ++i)
        edits.push_back({Op::Keep, aEnd + i, bEnd + i});
    return edits;
}

bool allEndInCrLf(const QStringList& a, const QStringList& b)
{
    bool any = false;
    for (const QStringList* lines : {&a, &b}) {
        for (const QString& line : *lines) {
            if (!line.endsWith(QLatin1Char('\n')))
                continue;
            if (!line.endsWith(QStringLiteral("\r\n")))
                return false;
            any = true;
        }
    }
    return any;
}

// A line as the diff shows it: without its break, control characters visible.
QString shown(const QString& line, bool dropCr, bool& unterminated)
{
    QString text = line;
    unterminated = !text.endsWith(QLatin1Char('\n'));
    if (!unterminated) {
        text.chop(1);
        if (dropCr)
            text.chop(1);
    }
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
            out += QStringLiteral("\\x%1").arg(static_cast<int>(c.unicode()), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString range(int start, int length)
{
    // Unified diffs number lines from 1; an empty range names the line before it.
    const int first = length == 0 ? start : start + 1;
    return length == 1 ? QString::number(first) : QStringLiteral("%1,%2").arg(first).arg(length);
}

bool updateRequested()
{
    const QByteArray value = qgetenv(kUpdateReferencesVariable);
    return !value.isEmpty() && value != "0";
}

} // namespace

QString unifiedDiff(const QString& expected, const QString& actual, const QString& expectedName,
                    const QString& actualName, const DiffOptions& options)
{
    const QStringList a = splitLines(expected);
    const QStringList b = splitLines(actual);
    const std::vector<Edit> edits = diffLines(a, b);
    std::vector<size_t> changes;
    for (size_t i = 0; i < edits.size(); ++i)
        if (edits[i].op != Op::Keep)
            changes.push_back(i);
    if (changes.empty())
        return {};

    const bool dropCr = allEndInCrLf(a, b);
    QString out = QStringLiteral("--- %1\n+++ %2\n").arg(expectedName, actualName);
    if (dropCr)
        out += QStringLiteral("(every line ends in CR LF; the CRs are not shown)\n");
    const size_t context = static_cast<size_t>(std::max(0, options.context));
    int shownLines = 0;
    size_t next = 0;
    while (next < changes.size()) {
        // A hunk runs from context lines before a change to context lines after
        // the last change that lies close enough to join it.
        const size_t begin = changes[next] > context ? changes[next] - context : 0;
        size_t last = next;
        while (last + 1 < changes.size() && changes[last + 1] - changes[last] <= 2 * context + 1)
            ++last;
        const size_t end = std::min(edits.size(), changes[last] + context + 1);
        int aLength = 0;
        int bLength = 0;
        for (size_t i = begin; i < end; ++i) {
            aLength += edits[i].op != Op::Add;
            bLength += edits[i].op != Op::Remove;
        }
        if (shownLines >= options.maxLines)
            break;
        out += QStringLiteral("@@ -%1 +%2 @@\n").arg(range(edits[begin].a, aLength), range(edits[begin].b, bLength));
        for (size_t i = begin; i < end; ++i) {
            if (shownLines >= options.maxLines)
                break;
            const Edit& e = edits[i];
            bool unterminated = false;
            const QString& line = e.op == Op::Remove ? a[e.a] : b[e.b];
            const QChar mark = e.op == Op::Keep ? QLatin1Char(' ') : e.op == Op::Remove ? QLatin1Char('-') : QLatin1Char('+');
            out += mark + shown(line, dropCr, unterminated) + QLatin1Char('\n');
            if (unterminated)
                out += QStringLiteral("\\ No newline at end of file\n");
            ++shownLines;
            if (e.op != Op::Keep)
                ++next;
        }
        if (next <= last)
            break;
    }
    if (next < changes.size())
        out += QStringLiteral("... the diff is cut short: %1 more changed lines\n").arg(static_cast<qulonglong>(changes.size() - next));
    return out;
}

QString referencePath(const QString& relative)
{
    return QDir(QStringLiteral(VELTA_TEST_SOURCE_DIR)).filePath(relative);
}

::testing::AssertionResult matchesReference(const QString& relative, const QString& produced)
{
    return matchesReferenceFile(referencePath(relative), QStringLiteral("tests/") + relative, produced);
}

::testing::AssertionResult matchesReferenceFile(const QString& path, const QString& name, const QString& produced)
{
    const bool exists = QFileInfo(path).isFile();
    const QString expected = exists ? QString::fromUtf8(readFileBytes(path)) : QString();
    if (exists && expected == produced)
        return ::testing::AssertionSuccess();

    if (updateRequested()) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        const QByteArray bytes = produced.toUtf8();
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
            || !file.flush())
            return ::testing::AssertionFailure() << "cannot write the reference " << name.toStdString() << ": "
                                                 << file.errorString().toStdString();
        std::printf("[reference] %s %s\n", exists ? "rewrote" : "created", name.toLocal8Bit().constData());
        std::fflush(stdout);
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult result = ::testing::AssertionFailure();
    if (exists)
        result << "the produced text differs from the reference " << name.toStdString();
    else
        result << "the reference " << name.toStdString() << " does not exist";
    result << " (" << kUpdateReferencesVariable << "=1 rewrites it)\n"
           << unifiedDiff(expected, produced, name, QStringLiteral("produced")).toStdString();
    return result;
}

} // namespace velta::test
