// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

// The settings store on large user.reg files, timed against the least any
// program must do with the same file. Reading the game's values (a fresh
// store: isGameFound() and storedResolutionText(), one scan) is timed against
// reading the whole file into memory; writing a resolution (a fresh store's
// writeResolution()) against a plain copy: read the whole file, write it to a
// new file, fsync, rename. The four alternate within each run; each prints
// its median, and the ratios go against their targets.
//   storebench <user.reg>...   (each file is copied; the original stays as it is)

#include "videosettingsstore.h"
#include "wineprefixbackend.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr double ReadTarget = 1.0;
constexpr double WriteTarget = 1.5;

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "storebench: %s\n", qPrintable(what));
    std::exit(1);
}

QByteArray readWhole(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        fail(file.errorString());
    return file.readAll();
}

// What a careful program does at the least to replace a file with new bytes.
void plainCopy(const QString &from, const QString &to)
{
    const QByteArray bytes = readWhole(from);
    const QByteArray temporary = QFile::encodeName(to + QStringLiteral(".new"));
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail(QStringLiteral("cannot create %1").arg(QFile::decodeName(temporary)));
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote <= 0)
            fail(QStringLiteral("write failed"));
        done += wrote;
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temporary.constData(), QFile::encodeName(to).constData()) != 0)
        fail(QStringLiteral("could not finish the copy"));
}

double millisecondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

// Fewer runs for larger files keeps each size to a few seconds.
int runsFor(qint64 bytes)
{
    const qint64 mebibytes = std::max<qint64>(1, bytes >> 20);
    return int(std::clamp<qint64>(128 / mebibytes, 7, 31)) | 1;
}

void benchmark(const QString &source)
{
    QTemporaryDir prefix(QFileInfo(source).absolutePath() + QStringLiteral("/prefix-XXXXXX"));
    if (!prefix.isValid())
        fail(QStringLiteral("cannot make a prefix beside %1").arg(source));
    const QString userReg = prefix.filePath(QStringLiteral("user.reg"));
    const QString copy = prefix.filePath(QStringLiteral("copy.reg"));
    if (!QFile::copy(source, userReg))
        fail(QStringLiteral("cannot copy %1").arg(source));
    const qint64 size = QFileInfo(userReg).size();
    const QStringList keyPath = VideoSettingsStore::keyPathBelowCurrentUser();

    const auto newStore = [&] {
        return VideoSettingsStore(std::make_unique<WinePrefixBackend>(prefix.path(), keyPath));
    };
    // Two resolutions of the same length, so every write rewrites the same bytes.
    const QString resolutions[2][2] = {{QStringLiteral("1024"), QStringLiteral("768")},
                                       {QStringLiteral("1280"), QStringLiteral("720")}};
    int writes = 0;
    QString expected = QStringLiteral("1024 * 768");

    const auto read = [&] {
        VideoSettingsStore store = newStore();
        if (!store.isGameFound() || store.storedResolutionText() != expected)
            fail(QStringLiteral("the store read '%1', not '%2'").arg(store.storedResolutionText(), expected));
    };
    const auto readOnce = [&] {
        if (readWhole(userReg).size() != size)
            fail(QStringLiteral("short read"));
    };
    const auto write = [&] {
        const QString *resolution = resolutions[++writes % 2];
        VideoSettingsStore store = newStore();
        if (!store.writeResolution(resolution[0], resolution[1]))
            fail(store.errorString());
        expected = resolution[0] + QStringLiteral(" * ") + resolution[1];
    };
    const auto copyFile = [&] { plainCopy(userReg, copy); };

    struct Timed { const char *label; std::function<void()> work; std::vector<double> samples; };
    Timed timed[] = {
        {"read: a new store finds the game and its text", read, {}},
        {"read once: the whole file into memory", readOnce, {}},
        {"write: a new store writes a resolution", write, {}},
        {"copy: read whole, write new file, fsync, rename", copyFile, {}},
    };
    const int runs = runsFor(size);

    for (Timed &t : timed)
        t.work(); // warm-up: page cache, allocator, the copy's target file
    for (int run = 0; run < runs; ++run) {
        // Alternate the order within each pair, so that neither always goes first.
        for (int pair = 0; pair < 2; ++pair) {
            Timed &first = timed[pair * 2 + (run % 2)];
            Timed &second = timed[pair * 2 + 1 - (run % 2)];
            first.samples.push_back(millisecondsOf(first.work));
            second.samples.push_back(millisecondsOf(second.work));
        }
    }

    const double mebibytes = double(size) / (1 << 20);
    std::printf("user.reg of %.1f MiB, %d runs each, medians:\n", mebibytes, runs);
    double medians[4];
    for (int i = 0; i < 4; ++i) {
        medians[i] = median(timed[i].samples);
        std::printf("  %-50s %9.2f ms  %7.0f MiB/s\n", timed[i].label, medians[i],
                    mebibytes / (medians[i] / 1000));
    }
    const auto verdict = [](double ratio, double target) { return ratio <= target ? "within" : "OVER"; };
    const double readRatio = medians[0] / medians[1];
    const double writeRatio = medians[2] / medians[3];
    std::printf("  ratio read / read once  %.2fx  (%s the %.1fx target)\n", readRatio,
                verdict(readRatio, ReadTarget), ReadTarget);
    std::printf("  ratio write / copy      %.2fx  (%s the %.1fx target)\n", writeRatio,
                verdict(writeRatio, WriteTarget), WriteTarget);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2)
        fail(QStringLiteral("usage: storebench <user.reg>..."));
    for (int i = 1; i < argc; ++i)
        benchmark(QFile::decodeName(argv[i]));
    return 0;
}
