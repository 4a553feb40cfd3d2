// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "registrybackend.h"
#include "testsupport.h"
#include "videosettingsstore.h"
#include "wineprefixbackend.h"
#include "wineregistryedit.h"

#include <QRandomGenerator>
#include <QSettings>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace TestSupport;

namespace {

enum class Backend { Registry, WinePrefix };

const QStringList GameKey = {"Software", "Blizzard Entertainment", "Warcraft III", "Video"};

QByteArray valueLine(const char *name, const QVariant &value)
{
    if (value.userType() == QMetaType::Int)
        return '"' + QByteArray(name) + "\"=dword:" + QByteArray::number(quint32(value.toInt()), 16).rightJustified(8, '0') + '\n';
    return '"' + QByteArray(name) + "\"=\"" + value.toString().toUtf8() + "\"\n";
}

// The user.reg of a prefix where the game stored these values (invalid: not stored).
QByteArray userRegWith(const QVariant &width, const QVariant &height)
{
    QByteArray lines;
    if (width.isValid())
        lines += valueLine("reswidth", width);
    if (height.isValid())
        lines += valueLine("resheight", height);
    return fixture("user-no-game.reg") + gameSection(lines);
}

std::unique_ptr<SettingsBackend> wineBackend(const QString &prefix)
{
    return std::make_unique<WinePrefixBackend>(prefix, GameKey);
}

// The registry backend takes its file from the working folder; the Wine one from the prefix.
std::unique_ptr<SettingsBackend> backendFor(Backend backend, const QString &prefix)
{
    if (backend == Backend::Registry)
        return std::make_unique<RegistryBackend>(VideoSettingsStore::KeyPath);
    return wineBackend(prefix);
}

const char *nameOf(Backend backend)
{
    return backend == Backend::Registry ? "registry" : "Wine";
}

// Files left in a folder besides user.reg, such as an abandoned temporary copy.
QStringList strayFiles(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.removeAll("user.reg");
    names.removeAll("wineserver");
    return names;
}

// Runs `work` in a child process and returns its exit status and what it printed.
template <typename Work>
QPair<int, QByteArray> inChild(Work work)
{
    int output[2];
    if (::pipe(output) != 0)
        return {-1, {}};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(output[0]);
        const QByteArray message = work();
        (void)!::write(output[1], message.constData(), size_t(message.size()));
        ::_exit(message.isEmpty() ? 0 : 1);
    }
    ::close(output[1]);
    QByteArray message;
    char buffer[512];
    for (ssize_t got; (got = ::read(output[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, int(got));
    ::close(output[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, message};
}

} // namespace

Q_DECLARE_METATYPE(Backend)

// The store's rules through both backends, and the Wine prefix's file kept whole.
class TestVideoSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tellsWhetherTheGameIsThere_data();
    void tellsWhetherTheGameIsThere();
    void readsTheHeightBeforeTheWidth();
    void writesIntegersThatAFreshStoreReadsBack_data();
    void writesIntegersThatAFreshStoreReadsBack();

    void readsWinesOwnFiles_data();
    void readsWinesOwnFiles();
    void changesOnlyTheTwoValueLines();
    void neverCreatesOrTouchesWhatIsNotARegistryFile_data();
    void neverCreatesOrTouchesWhatIsNotARegistryFile();
    void refusesAndKeepsTheFile_data();
    void refusesAndKeepsTheFile();
    void keepsTheFileOnAFullDisk();
    void keepsPermissionsAndSymlinks();
    void leavesTheOldOrTheNewFileWhenKilled();

private:
    QTemporaryDir *m_workDir = nullptr;
    QString m_previousDir;
};

void TestVideoSettingsStore::init()
{
    // Where the native format is a file, the registry key's path names a file
    // relative to the working folder: keep it in a temporary one.
    m_workDir = new QTemporaryDir;
    m_previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_workDir->path()));
}

void TestVideoSettingsStore::cleanup()
{
    QDir::setCurrent(m_previousDir);
    delete m_workDir;
}

void TestVideoSettingsStore::tellsWhetherTheGameIsThere_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<QVariant>("width");
    QTest::addColumn<QVariant>("height");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("text");

    struct Case { const char *name; QVariant width, height; bool found; const char *text; };
    const Case cases[] = {
        {"nothing stored", {}, {}, false, " * "},
        {"width only", 1024, {}, false, "1024 * "},
        {"height only", {}, 768, false, " * 768"},
        {"empty width", "", 768, false, " * 768"},
        {"both 0", 0, 0, true, "0 * 0"},
        {"1024 x 768", 1024, 768, true, "1024 * 768"},
        {"negative", -5, 600, true, "-5 * 600"},
        {"not numbers", "wide", "tall", true, "wide * tall"},
        {"spaces are text", " ", " ", true, "  *  "},
    };
    for (Backend backend : {Backend::Registry, Backend::WinePrefix}) {
        for (const Case &c : cases) {
            QTest::addRow("%s: %s", nameOf(backend), c.name)
                << backend << c.width << c.height << c.found << QString(c.text);
        }
    }
}

void TestVideoSettingsStore::tellsWhetherTheGameIsThere()
{
    QFETCH(Backend, backend);
    QFETCH(QVariant, width);
    QFETCH(QVariant, height);
    QFETCH(bool, found);
    QFETCH(QString, text);

    std::unique_ptr<Prefix> prefix;
    if (backend == Backend::Registry) {
        QSettings settings(VideoSettingsStore::KeyPath, QSettings::NativeFormat);
        if (width.isValid())
            settings.setValue("reswidth", width);
        if (height.isValid())
            settings.setValue("resheight", height);
    } else {
        prefix = std::make_unique<Prefix>(userRegWith(width, height));
    }
    const VideoSettingsStore store(backendFor(backend, prefix ? prefix->path() : QString()));
    QCOMPARE(store.isGameFound(), found);
    QCOMPARE(store.storedResolutionText(), text);
}

void TestVideoSettingsStore::readsTheHeightBeforeTheWidth()
{
    // The presence check stops at a missing width; the display reads height first.
    struct Recorder : SettingsBackend
    {
        QStringList *reads;
        explicit Recorder(QStringList *r) : reads(r) {}
        QString readText(const QString &name) override { *reads << name; return {}; }
        void writeInt(const QString &, int) override {}
        bool commit() override { return true; }
        QString errorString() const override { return {}; }
    };
    QStringList reads;
    const VideoSettingsStore store(std::make_unique<Recorder>(&reads));
    QVERIFY(!store.isGameFound());
    QCOMPARE(reads, QStringList({"reswidth"}));
    reads.clear();
    store.storedResolutionText();
    QCOMPARE(reads, QStringList({"resheight", "reswidth"}));
}

void TestVideoSettingsStore::writesIntegersThatAFreshStoreReadsBack_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<QString>("widthText");
    QTest::addColumn<QString>("heightText");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    for (Backend backend : {Backend::Registry, Backend::WinePrefix}) {
        const char *name = nameOf(backend);
        QTest::addRow("%s: 1280 x 1024", name) << backend << "1280" << "1024" << 1280 << 1024;
        QTest::addRow("%s: leading zero", name) << backend << "0768" << "600" << 768 << 600;
        QTest::addRow("%s: letters store 0", name) << backend << "abc" << "768" << 0 << 768;
        QTest::addRow("%s: negative", name) << backend << "-5" << "600" << -5 << 600;
    }
}

void TestVideoSettingsStore::writesIntegersThatAFreshStoreReadsBack()
{
    QFETCH(Backend, backend);
    QFETCH(QString, widthText);
    QFETCH(QString, heightText);
    QFETCH(int, width);
    QFETCH(int, height);

    Prefix prefix(fixture("user-found.reg"));

    {
        VideoSettingsStore store(backendFor(backend, prefix.path()));
        QVERIFY2(store.writeResolution(widthText, heightText), qPrintable(store.errorString()));
    }
    const VideoSettingsStore fresh(backendFor(backend, prefix.path()));
    QVERIFY(fresh.isGameFound());
    QCOMPARE(fresh.storedResolutionText(), QStringLiteral("%1 * %2").arg(width).arg(height));

    if (backend == Backend::WinePrefix) {
        const QByteArray file = prefix.contents();
        QVERIFY(file.contains("\n\"reswidth\"=dword:" + QByteArray::number(quint32(width), 16).rightJustified(8, '0') + '\n'));
        QVERIFY(file.contains("\n\"resheight\"=dword:" + QByteArray::number(quint32(height), 16).rightJustified(8, '0') + '\n'));
    }
}

void TestVideoSettingsStore::readsWinesOwnFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("text");
    QTest::newRow("found") << "user-found.reg" << true << "1024 * 768";
    QTest::newRow("no game") << "user-no-game.reg" << false << " * ";
    QTest::newRow("width only") << "user-width-only.reg" << false << "1024 * ";
    QTest::newRow("tricky") << "user-tricky.reg" << true << "1280 * 1024";
}

void TestVideoSettingsStore::readsWinesOwnFiles()
{
    QFETCH(QString, file);
    QFETCH(bool, found);
    QFETCH(QString, text);

    Prefix prefix(fixture(file));
    const VideoSettingsStore store(wineBackend(prefix.path()));
    QCOMPARE(store.isGameFound(), found);
    QCOMPARE(store.storedResolutionText(), text);
}

void TestVideoSettingsStore::changesOnlyTheTwoValueLines()
{
    const QByteArray original = fixture("user-found.reg");
    Prefix prefix(original);
    VideoSettingsStore store(wineBackend(prefix.path()));
    QVERIFY(store.writeResolution("1280", "1024"));

    QByteArray expected = original;
    expected.replace("\"resheight\"=dword:00000300\n", "\"resheight\"=dword:00000400\n");
    expected.replace("\"reswidth\"=dword:00000400\n", "\"reswidth\"=dword:00000500\n");
    QCOMPARE(prefix.contents(), expected);
    QCOMPARE(strayFiles(prefix.path()), QStringList());
}

void TestVideoSettingsStore::neverCreatesOrTouchesWhatIsNotARegistryFile_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("no prefix") << "no prefix";
    QTest::newRow("no user.reg") << "no user.reg";
    QTest::newRow("byte-order mark") << "byte-order mark";
    QTest::newRow("user.reg is a folder") << "folder";
}

void TestVideoSettingsStore::neverCreatesOrTouchesWhatIsNotARegistryFile()
{
    QFETCH(QString, layout);

    QTemporaryDir home;
    QString prefix = home.filePath("prefix");
    const QString userReg = prefix + "/user.reg";
    const QByteArray withMark = "\xef\xbb\xbf" + fixture("user-found.reg");
    if (layout != "no prefix")
        QVERIFY(QDir().mkpath(prefix));
    if (layout == "byte-order mark")
        QVERIFY(writeFile(userReg, withMark));
    if (layout == "folder")
        QVERIFY(QDir().mkpath(userReg));

    VideoSettingsStore store(wineBackend(prefix));
    QVERIFY(!store.isGameFound());
    QVERIFY(!store.writeResolution("1280", "1024"));
    QVERIFY(!store.errorString().isEmpty());

    QCOMPARE(QFileInfo::exists(prefix), layout != "no prefix");
    QCOMPARE(QFileInfo(userReg).isFile(), layout == "byte-order mark");
    if (layout == "byte-order mark")
        QCOMPARE(readFile(userReg), withMark);
}

void TestVideoSettingsStore::refusesAndKeepsTheFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only file") << "read-only file" << "read-only";
    QTest::newRow("read-only folder") << "read-only folder" << "read-only";
    QTest::newRow("Wine running") << "Wine running" << "Close the game";
    QTest::newRow("changed since it was read") << "changed" << "changed by another program";
}

void TestVideoSettingsStore::refusesAndKeepsTheFile()
{
    QFETCH(QString, fault);
    QFETCH(QString, reason);

    Prefix prefix(fixture("user-found.reg"));
    VideoSettingsStore store(wineBackend(prefix.path()));
    QVERIFY(store.isGameFound());

    std::unique_ptr<WineServerLock> wine;
    if (fault == "read-only file")
        QVERIFY(QFile::setPermissions(prefix.registryFile(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    else if (fault == "read-only folder")
        QVERIFY(QFile::setPermissions(prefix.path(), QFile::ReadOwner | QFile::ExeOwner));
    else if (fault == "Wine running")
        wine = std::make_unique<WineServerLock>(prefix.path());
    else if (fault == "changed")
        QVERIFY(writeFile(prefix.registryFile(), QByteArray(prefix.contents()).replace("dword:00000300", "dword:00000258")));
    const QByteArray before = prefix.contents();

    QVERIFY(!store.writeResolution("1280", "1024"));
    QVERIFY2(store.errorString().contains(reason), qPrintable(store.errorString()));
    QCOMPARE(prefix.contents(), before);
    QCOMPARE(strayFiles(prefix.path()), QStringList());

    QFile::setPermissions(prefix.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestVideoSettingsStore::keepsTheFileOnAFullDisk()
{
    const QByteArray original = fixture("user-found.reg");
    Prefix prefix(original);

    // A file size limit makes writes fail part-way, as a full disk does.
    const auto [status, reason] = inChild([&prefix]() -> QByteArray {
        const rlimit limit = {8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        VideoSettingsStore store(wineBackend(prefix.path()));
        if (store.writeResolution("1280", "1024"))
            return {};
        return store.errorString().toUtf8();
    });
    QCOMPARE(status, 1);
    QVERIFY2(reason.contains("Could not write"), reason.constData());
    QCOMPARE(prefix.contents(), original);
    QCOMPARE(strayFiles(prefix.path()), QStringList());
}

void TestVideoSettingsStore::keepsPermissionsAndSymlinks()
{
    QTemporaryDir root;
    const QString realFile = root.filePath("elsewhere/user.reg");
    const QString prefix = root.filePath("prefix");
    QVERIFY(QDir().mkpath(root.filePath("elsewhere")));
    QVERIFY(QDir().mkpath(prefix));
    QVERIFY(writeFile(realFile, fixture("user-found.reg")));
    QVERIFY(QFile::setPermissions(realFile, QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(QFile::link("../elsewhere/user.reg", prefix + "/user.reg"));

    VideoSettingsStore store(wineBackend(prefix));
    QVERIFY2(store.writeResolution("1280", "1024"), qPrintable(store.errorString()));

    QVERIFY(QFileInfo(prefix + "/user.reg").isSymLink());
    QVERIFY(readFile(realFile).contains("\"reswidth\"=dword:00000500\n"));
    struct stat info = {};
    QCOMPARE(::stat(QFile::encodeName(realFile).constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0600));
}

void TestVideoSettingsStore::leavesTheOldOrTheNewFileWhenKilled()
{
    // About 8 MiB, so that a save takes long enough to be cut short.
    QByteArray original = fixture("user-found.reg");
    for (int i = 0; original.size() < 8 * 1024 * 1024; ++i) {
        original += "\n[Software\\\\Filler\\\\Key" + QByteArray::number(i) + "] 1700000000\n#time=1da1747c66d0000\n"
                    "\"blob\"=hex:" + QByteArray("00,11,22,33,44,55,66,77,88,99,aa,bb,cc,dd,ee,ff,").repeated(4) + "00\n"
                    "\"name\"=\"a filler value to make the file large\"\n";
    }
    Prefix prefix(original);
    const auto scan = WineRegistryScanner::scan(original, GameKey);
    const QByteArray small = withSplices(original, dwordSplices(scan, {{"reswidth", 800}, {"resheight", 600}}, 0));
    const QByteArray large = withSplices(original, dwordSplices(scan, {{"reswidth", 1920}, {"resheight", 1080}}, 0));

    for (int round = 0; round < 12; ++round) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (int i = 0;; ++i) {
                VideoSettingsStore store(wineBackend(prefix.path()));
                store.writeResolution(i % 2 ? "800" : "1920", i % 2 ? "600" : "1080");
            }
        }
        QTest::qSleep(int(QRandomGenerator::global()->bounded(10, 150)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        const QByteArray now = prefix.contents();
        QVERIFY2(now == original || now == small || now == large,
                 qPrintable(QStringLiteral("round %1: a mixed file of %2 bytes").arg(round).arg(now.size())));
    }
}

QTEST_GUILESS_MAIN(TestVideoSettingsStore)
#include "tst_videosettingsstore.moc"
