// Reading cnf.ini as the reports do: every value through a new TSafeIniFile,
// side by side with QSettings reading the same keys through new QSettings
// objects. Prints the ratio of the two times.
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "bench/RatioReporter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace velta;

namespace {

constexpr int kSections = 6;
constexpr int kKeys = 400;
constexpr int kReads = 54;
const QString kIniName = QStringLiteral("C:\\WINDOWS\\cnf.ini");

struct Fixture {
    QTemporaryDir dir;
    QString nativeFile;
    std::vector<std::pair<QString, QString>> keys; // section, key of the 54 reads

    Fixture()
    {
        ::setenv("VELTA_ROOT", QFile::encodeName(dir.filePath(QStringLiteral("root"))).constData(), 1);
        ::setenv("VELTA_LOCK_DIR", QFile::encodeName(dir.filePath(QStringLiteral("locks"))).constData(), 1);
        QDir().mkpath(dir.filePath(QStringLiteral("root/C/WINDOWS")));
        nativeFile = dir.filePath(QStringLiteral("root/C/WINDOWS/cnf.ini"));
        QByteArray text;
        std::vector<std::pair<QString, QString>> all;
        for (int s = 0; s < kSections; ++s) {
            const QString section = QStringLiteral("Section%1").arg(s);
            text += "[" + section.toLatin1() + "]\r\n";
            for (int k = s; k < kKeys; k += kSections) {
                const QString key = QStringLiteral("Key%1").arg(k);
                text += key.toLatin1() + "=value number " + QByteArray::number(k) + " of the station settings\r\n";
                all.emplace_back(section, key);
            }
            text += "\r\n";
        }
        QFile f(nativeFile);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(nativeFile));
            std::exit(1);
        }
        for (int i = 0; i < kReads; ++i)
            keys.push_back(all[(i * 37) % all.size()]);
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_TSafeIniFile54Reads(benchmark::State& state)
{
    const Fixture& f = fixture();
    for (auto _ : state) {
        for (const auto& [section, key] : f.keys) {
            TSafeIniFile ini(kIniName);
            QString value = ini.ReadString(section, key, QString());
            benchmark::DoNotOptimize(value);
        }
    }
}
BENCHMARK(BM_TSafeIniFile54Reads);

void BM_QSettings54Reads(benchmark::State& state)
{
    const Fixture& f = fixture();
    for (auto _ : state) {
        for (const auto& [section, key] : f.keys) {
            QSettings settings(f.nativeFile, QSettings::IniFormat);
            QString value = settings.value(section + u'/' + key).toString();
            benchmark::DoNotOptimize(value);
        }
    }
}
BENCHMARK(BM_QSettings54Reads);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    fixture();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const auto ratio = reporter.ratio("BM_TSafeIniFile54Reads", "BM_QSettings54Reads"))
        std::printf("ratio ini/qsettings: %.2f\n", *ratio);
    benchmark::Shutdown();
    return 0;
}
