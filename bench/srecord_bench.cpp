// Reads and writes a 16 MiB image as S28 and S37, beside srec_cat doing the same
// conversion on the same files: S-record file to binary file and back. Beside the time, the
// memory each conversion takes above the program's own, run once more in a child process
// (ours: this program with --child).
#include "child_peak_memory.h"
#include "core/binary_file.h"
#include "core/srecord_file.h"
#include "ratio_reporter.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace pxu;

namespace {

constexpr qsizetype kImageSize = 16 * 1024 * 1024;
constexpr char kPeak[] = "peak_per_byte";

struct Format {
    const char* name;
    quint32 start;
    int addressLength;
};
constexpr Format kS28{"S28", 0x000000, 3};
constexpr Format kS37{"S37", 0x08000000, 4};

class Files {
public:
    Files() {
        QByteArray bytes(kImageSize, Qt::Uninitialized);
        QRandomGenerator random(20240601);
        random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        image = bytes;
        write(path("image.bin"), bytes);
        for (const Format& f : {kS28, kS37}) {
            if (!g_binToSRec(bytes, qint32(f.start), QString::fromLatin1(f.name), srec(f)))
                qFatal("cannot write %s", f.name);
        }
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString srec(const Format& f) const { return path(QStringLiteral("image.") + f.name); }

    static void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    QByteArray image;

private:
    QTemporaryDir m_dir;
};

Files& files() {
    static Files f;
    return f;
}

QString srecCat() {
    return QStandardPaths::findExecutable(QStringLiteral("srec_cat"));
}

bool runSrecCat(const QStringList& arguments) {
    QProcess p;
    p.start(srecCat(), arguments);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The conversions of the child process: "read <S-record file> <binary file>" and
// "write <binary file> <format> <start address> <S-record file>".
int runChild(const QStringList& a) {
    if (a.size() == 3 && a[0] == u"read") {
        QByteArray image;
        qint32 start = 0;
        if (!g_sRecToBin(a[1], image, start))
            return 1;
        Files::write(a[2], image);
        return 0;
    }
    if (a.size() == 5 && a[0] == u"write") {
        QByteArray image;
        g_readBinFile(a[1], image);
        return g_binToSRec(image, a[3].toInt(), a[2], a[4]) ? 0 : 1;
    }
    return 2;
}

// The peak memory of program converting input, in bytes per image byte.
void measurePeak(benchmark::State& state, const QString& program, const QStringList& arguments,
                 const QString& input) {
    if (const auto bytes = bench::childPeakAboveOwn(program, arguments, input))
        state.counters[kPeak] = double(*bytes) / double(kImageSize);
    else
        state.SkipWithError("the child process failed");
}

void measureOurPeak(benchmark::State& state, const QStringList& arguments, const QString& input) {
    measurePeak(state, QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("--child")} + arguments, input);
}

void readOurs(benchmark::State& state, Format f) {
    const QString out = files().path(QStringLiteral("ours.bin"));
    for (auto _ : state) {
        QByteArray image;
        qint32 start = 0;
        if (!g_sRecToBin(files().srec(f), image, start) || image != files().image)
            state.SkipWithError("read failed");
        Files::write(out, image);
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
    measureOurPeak(state, {QStringLiteral("read"), files().srec(f), out}, files().srec(f));
}

void readSrecCat(benchmark::State& state, Format f) {
    if (srecCat().isEmpty()) {
        state.SkipWithError("srec_cat is not installed");
        return;
    }
    const QStringList args{files().srec(f),           QStringLiteral("-Motorola"),
                           QStringLiteral("-offset"), QStringLiteral("-0x%1").arg(f.start, 0, 16),
                           QStringLiteral("-o"),      files().path(QStringLiteral("peer.bin")),
                           QStringLiteral("-Binary")};
    for (auto _ : state) {
        if (!runSrecCat(args))
            state.SkipWithError("srec_cat failed");
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
    measurePeak(state, srecCat(), args, files().srec(f));
}

void writeOurs(benchmark::State& state, Format f) {
    const QString in = files().path(QStringLiteral("image.bin"));
    const QString out = files().path(QStringLiteral("ours.out"));
    for (auto _ : state) {
        QByteArray image;
        g_readBinFile(in, image);
        if (!g_binToSRec(image, qint32(f.start), QString::fromLatin1(f.name), out))
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
    measureOurPeak(
        state,
        {QStringLiteral("write"), in, QString::fromLatin1(f.name), QString::number(f.start), out},
        in);
}

void writeSrecCat(benchmark::State& state, Format f) {
    if (srecCat().isEmpty()) {
        state.SkipWithError("srec_cat is not installed");
        return;
    }
    const QStringList args{files().path(QStringLiteral("image.bin")),
                           QStringLiteral("-Binary"),
                           QStringLiteral("-offset"),
                           QStringLiteral("0x%1").arg(f.start, 0, 16),
                           QStringLiteral("-o"),
                           files().path(QStringLiteral("peer.out")),
                           QStringLiteral("-Motorola"),
                           QStringLiteral("-address-length=%1").arg(f.addressLength),
                           QStringLiteral("-obs=16")};
    for (auto _ : state) {
        if (!runSrecCat(args))
            state.SkipWithError("srec_cat failed");
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
    measurePeak(state, srecCat(), args, files().path(QStringLiteral("image.bin")));
}

void registerAll() {
    for (const Format& f : {kS28, kS37}) {
        const std::string n = f.name;
        for (auto* b :
             {benchmark::RegisterBenchmark(("read/" + n + "/ours").c_str(), readOurs, f),
              benchmark::RegisterBenchmark(("read/" + n + "/srec_cat").c_str(), readSrecCat, f),
              benchmark::RegisterBenchmark(("write/" + n + "/ours").c_str(), writeOurs, f),
              benchmark::RegisterBenchmark(("write/" + n + "/srec_cat").c_str(), writeSrecCat, f)})
            b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0) {
        QStringList arguments;
        for (int i = 2; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        return runChild(arguments);
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    registerAll();
    files();
    std::vector<bench::RatioReporter::Pair> pairs;
    for (const char* dir : {"read", "write"}) {
        for (const char* f : {"S28", "S37"}) {
            const std::string base = std::string(dir) + "/" + f;
            pairs.emplace_back(base + "/ours", base + "/srec_cat");
        }
    }
    bench::RatioReporter reporter(pairs);
    reporter.addCounter(kPeak, "peak memory above the program's own, bytes per image byte");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
