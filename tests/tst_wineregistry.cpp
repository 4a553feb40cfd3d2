// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "testsupport.h"
#include "wineregistryedit.h"
#include "wineregistryscanner.h"

#include <QtTest>

using TestSupport::fixture;
using TestSupport::gameSection;

namespace {

const QStringList GameKey = {"Software", "Blizzard Entertainment", "Warcraft III", "Video"};
const QByteArray Header = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n";
constexpr qint64 Now = 1700000000;

WineRegistryKeyScan scanGameKey(const QByteArray &bytes)
{
    return WineRegistryScanner::scan(bytes, GameKey, WineRegistryScanner::View::Program32Bit);
}

QByteArray setResolution(const QByteArray &bytes, quint32 width, quint32 height)
{
    return withSplices(bytes, dwordSplices(scanGameKey(bytes), {{"reswidth", width}, {"resheight", height}}, Now));
}

QByteArray replaced(QByteArray bytes, const QByteArray &before, const QByteArray &after)
{
    const int at = bytes.indexOf(before);
    if (at < 0 || bytes.indexOf(before, at + 1) >= 0)
        qFatal("'%s' is not in the file exactly once", before.constData());
    return bytes.replace(at, before.size(), after);
}

} // namespace

// The Wine registry file reader and editor, on bytes in memory.
class TestWineRegistry : public QObject
{
    Q_OBJECT

private slots:
    void readsFixtures_data();
    void readsFixtures();
    void readsValuesAsWineLoadsThem_data();
    void readsValuesAsWineLoadsThem();
    void ignoresFilesWineWouldIgnore_data();
    void ignoresFilesWineWouldIgnore();
    void readsTheSameInAnyChunks();

    void editsByteForByte_data();
    void editsByteForByte();
    void editsWhereA32BitGameLooks();
};

void TestWineRegistry::readsFixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("keyFound");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::newRow("found") << "user-found.reg" << true << "1024" << "768";
    QTest::newRow("no game") << "user-no-game.reg" << false << "" << "";
    QTest::newRow("width only") << "user-width-only.reg" << true << "1024" << "";
    // WarCraft III, ResWidth/ResHeight as strings, decoys in Video2, Video\Extra and a note.
    QTest::newRow("tricky") << "user-tricky.reg" << true << "1280" << "1024";
}

void TestWineRegistry::readsFixtures()
{
    QFETCH(QString, file);
    QFETCH(bool, keyFound);
    QFETCH(QString, width);
    QFETCH(QString, height);

    const WineRegistryKeyScan scan = scanGameKey(fixture(file));
    QVERIFY(scan.isRegistryFile);
    QCOMPARE(scan.keyFound, keyFound);
    QCOMPARE(scan.value("reswidth").toString(), width);
    QCOMPARE(scan.value("resheight").toString(), height);
}

void TestWineRegistry::readsValuesAsWineLoadsThem_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QVariant>("width");

    const auto row = [](const char *name, const QByteArray &body, const QVariant &width) {
        QTest::newRow(name) << QByteArray(Header + body) << width;
    };
    row("dword", gameSection("\"reswidth\"=dword:00000500\n"), 1280);
    row("dword, upper case, few digits", gameSection("\"reswidth\"=dword:5A0 trailing\n"), 1440);
    row("dword, negative", gameSection("\"reswidth\"=dword:fffffffb\n"), -5);
    row("dword, garbage reads 0", gameSection("\"reswidth\"=dword:zz\n"), 0);
    row("dword, too long keeps the low 32 bits", gameSection("\"reswidth\"=dword:100000500\n"), 1280);
    row("string", gameSection("\"reswidth\"=\"1280\"\n"), "1280");
    row("str: string", gameSection("\"reswidth\"=str:\"wide\"\n"), "wide");
    row("expandable string", gameSection("\"reswidth\"=str(2):\"%W%\"\n"), "%W%");
    row("escapes in data", gameSection("\"reswidth\"=\"\\x5206\\\"\\\\\\n\\101\"\n"), QString::fromUtf8("分\"\\\nA"));
    row("raw UTF-8 in data", gameSection("\"reswidth\"=\"\xe5\x88\x86\"\n"), QString::fromUtf8("分"));
    row("qword", gameSection("\"reswidth\"=hex(b):00,e4,0b,54,02,00,00,00\n"), qlonglong(10000000000));
    row("dword as hex(4)", gameSection("\"reswidth\"=hex(4):00,05,00,00\n"), 1280);
    row("binary reads empty", gameSection("\"reswidth\"=hex:00,05\n"), QVariant());
    row("multi-string reads empty", gameSection("\"reswidth\"=str(7):\"a\\0\"\n"), QVariant());
    row("name in other case", gameSection("\"ResWidth\"=dword:00000500\n"), 1280);
    row("escaped name", gameSection("\"\\x0072esWidth\"=dword:00000500\n"), 1280);
    row("spaces around =", gameSection("  \"reswidth\" = dword:00000500\n"), 1280);
    row("key in other case", Header + "\n[software\\\\BLIZZARD entertainment\\\\warcraft iii\\\\VIDEO] 1\n"
                                      "\"reswidth\"=dword:00000500\n", 1280);
    row("empty path components", Header + "\n[Software\\\\\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video\\\\] 1\n"
                                          "\"reswidth\"=dword:00000500\n", 1280);
    row("CRLF", QByteArray(Header + gameSection("\"reswidth\"=dword:00000500\n")).replace("\n", "\r\n"), 1280);
    row("no final line ending", gameSection("\"reswidth\"=dword:00000500"), 1280);
    row("last definition wins", gameSection("\"reswidth\"=dword:1\n\"RESWIDTH\"=dword:00000500\n"), 1280);
    row("a malformed redefinition empties it", gameSection("\"reswidth\"=dword:1\n\"reswidth\"=zzz:1\n"), QVariant());
    row("unterminated string empties it", gameSection("\"reswidth\"=\"1280\n"), QVariant());
    row("two sections merge", gameSection("\"reswidth\"=dword:1\n") + gameSection("\"colordepth\"=dword:20\n"), 1);
    row("longer name", gameSection("\"ResWidthBackup\"=dword:00000500\n"), QVariant());
    row("string that looks like a value line",
        gameSection("\"note\"=\"\\\"reswidth\\\"=dword:00000500\"\n"), QVariant());
    row("line without =", gameSection("\"reswidth\" dword:00000500\n"), QVariant());
    row("sibling key", Header + "\n[Software\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video2] 1\n"
                                "\"reswidth\"=dword:00000500\n", QVariant());
    row("subkey", Header + gameSection("") + "\n[Software\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video\\\\Extra] 1\n"
                                             "\"reswidth\"=dword:00000500\n", QVariant());
    row("header without ]", Header + "\n[Software\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video\n"
                                     "\"reswidth\"=dword:00000500\n", QVariant());
    row("hex continuation swallows a header line",
        Header + "\n[Other] 1\n\"blob\"=hex:01,02,\\\n[Software\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video] 1\n"
                 "\"reswidth\"=dword:00000500\n", QVariant());
    row("value after a long hex value", gameSection("\"blob\"=hex:01,\\\n  02,\\\n  03\n\"reswidth\"=dword:00000500\n"), 1280);
    row("a quoted line ends the hex value it continues",
        Header + "\n[Other] 1\n\"a\"=hex:01,\\\n\"b\"=hex:02,\\\n[Software\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video] 1\n"
                 "\"reswidth\"=dword:00000500\n", 1280);
    row("a fresh hex value after it runs on again",
        Header + "\n[Other] 1\n\"a\"=hex:01,\\\n\"b\"=hex:02,\\\n\"c\"=hex:03,\\\n"
                 "[Software\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video] 1\n\"reswidth\"=dword:00000500\n", QVariant());
    row("a malformed hex line does not run on",
        Header + "\n[Other] 1\n\"a\"=hex:01,zz,\\\n[Software\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video] 1\n"
                 "\"reswidth\"=dword:00000500\n", 1280);
}

void TestWineRegistry::readsValuesAsWineLoadsThem()
{
    QFETCH(QByteArray, file);
    QFETCH(QVariant, width);
    QCOMPARE(scanGameKey(file).value("reswidth"), width);

    // Skimming past other sections must see the key as reading every line does.
    WineRegistryScanner exact(GameKey, WineRegistryScanner::View::Program32Bit, WineRegistryScanner::Pace::Exact);
    exact.feed(file.constData(), file.size());
    QCOMPARE(exact.finish().value("reswidth"), width);
}

void TestWineRegistry::ignoresFilesWineWouldIgnore_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray body = gameSection("\"reswidth\"=dword:00000500\n\"resheight\"=dword:00000400\n");
    QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf" + Header + body);
    QTest::newRow("other version") << QByteArray("WINE REGISTRY Version 1\n" + body);
    QTest::newRow("trailing space") << QByteArray("WINE REGISTRY Version 2 \n" + body);
    QTest::newRow("empty") << QByteArray();
}

void TestWineRegistry::ignoresFilesWineWouldIgnore()
{
    QFETCH(QByteArray, file);
    const WineRegistryKeyScan scan = scanGameKey(file);
    QVERIFY(!scan.isRegistryFile);
    QVERIFY(!scan.keyFound);
    QVERIFY(!scan.value("reswidth").isValid());
}

void TestWineRegistry::readsTheSameInAnyChunks()
{
    const QByteArray file = fixture("user-tricky.reg");
    const WineRegistryKeyScan whole = scanGameKey(file);
    for (int chunk : {1, 7, 4096}) {
        WineRegistryScanner scanner(GameKey, WineRegistryScanner::View::Program32Bit);
        for (int at = 0; at < file.size(); at += chunk)
            scanner.feed(file.constData() + at, qMin<qsizetype>(chunk, file.size() - at));
        const WineRegistryKeyScan pieces = scanner.finish();
        QCOMPARE(pieces.keyEnd, whole.keyEnd);
        QCOMPARE(pieces.values.size(), whole.values.size());
        for (int i = 0; i < whole.values.size(); ++i) {
            QCOMPARE(pieces.values.at(i).name, whole.values.at(i).name);
            QCOMPARE(pieces.values.at(i).value, whole.values.at(i).value);
            QCOMPARE(pieces.values.at(i).lineEnd, whole.values.at(i).lineEnd);
        }
    }
}

void TestWineRegistry::editsByteForByte_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray found = fixture("user-found.reg");
    QTest::newRow("found: two lines rewritten in place")
        << found
        << replaced(replaced(found, "\"resheight\"=dword:00000300\n", "\"resheight\"=dword:00000400\n"),
                    "\"reswidth\"=dword:00000400\n", "\"reswidth\"=dword:00000500\n");

    const QByteArray widthOnly = fixture("user-width-only.reg");
    QTest::newRow("width only: height added after it")
        << widthOnly
        << replaced(widthOnly, "\"reswidth\"=dword:00000400\n",
                    "\"reswidth\"=dword:00000500\n\"resheight\"=dword:00000400\n");

    const QByteArray noGame = fixture("user-no-game.reg");
    QTest::newRow("no game: section appended as Wine writes one")
        << noGame
        << noGame + "\n[Software\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video] 1700000000\n"
                    "#time=1da1747c66d0000\n\"reswidth\"=dword:00000500\n\"resheight\"=dword:00000400\n";

    const QByteArray tricky = fixture("user-tricky.reg");
    QTest::newRow("tricky: strings become dwords, spelling kept")
        << tricky
        << replaced(replaced(tricky, "\"ResHeight\"=\"1024\"\n", "\"ResHeight\"=dword:00000400\n"),
                    "\"ResWidth\"=\"1280\"\n", "\"ResWidth\"=dword:00000500\n");

    const auto row = [](const char *name, const QByteArray &before, const QByteArray &after) {
        QTest::newRow(name) << QByteArray(Header + before) << QByteArray(Header + after);
    };
    row("CRLF kept",
        gameSection("\"reswidth\"=dword:1\r\n\"resheight\"=dword:2\r\n"),
        gameSection("\"reswidth\"=dword:00000500\r\n\"resheight\"=dword:00000400\r\n"));
    row("continued hex value becomes one line",
        gameSection("\"resheight\"=dword:2\n\"reswidth\"=hex:01,\\\n  02,\\\n  03\n\"x\"=dword:1\n"),
        gameSection("\"resheight\"=dword:00000400\n\"reswidth\"=dword:00000500\n\"x\"=dword:1\n"));
    row("every definition rewritten",
        gameSection("\"reswidth\"=dword:1\n\"resheight\"=dword:2\n\"RESWIDTH\"=\"9\"\n"),
        gameSection("\"reswidth\"=dword:00000500\n\"resheight\"=dword:00000400\n\"RESWIDTH\"=dword:00000500\n"));
    row("indent and spaced = kept up to the name",
        gameSection("  \"reswidth\" = dword:1\n\"resheight\"=dword:2\n"),
        gameSection("  \"reswidth\"=dword:00000500\n\"resheight\"=dword:00000400\n"));
    row("added after the last line of the section, before blank lines and the next section",
        gameSection("\"colordepth\"=dword:20\n\n\n[Software\\\\Other] 1\n\"reswidth\"=dword:1\n"),
        gameSection("\"colordepth\"=dword:20\n\"reswidth\"=dword:00000500\n\"resheight\"=dword:00000400\n"
                    "\n\n[Software\\\\Other] 1\n\"reswidth\"=dword:1\n"));
    row("added at an end of file without a line ending",
        gameSection("\"colordepth\"=dword:20"),
        gameSection("\"colordepth\"=dword:20\n\"reswidth\"=dword:00000500\n\"resheight\"=dword:00000400\n"));
    row("added after a hex value left open at the end of the file",
        gameSection("\"blob\"=hex:01,\\\n"),
        gameSection("\"blob\"=hex:01,\\\n\n\"reswidth\"=dword:00000500\n\"resheight\"=dword:00000400\n"));
    row("section appended to a file without a final line ending",
        "\n[Software\\\\Other] 1\n\"x\"=dword:1",
        "\n[Software\\\\Other] 1\n\"x\"=dword:1\n"
        "\n[Software\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video] 1700000000\n"
        "#time=1da1747c66d0000\n\"reswidth\"=dword:00000500\n\"resheight\"=dword:00000400\n");
}

void TestWineRegistry::editsByteForByte()
{
    QFETCH(QByteArray, original);
    QFETCH(QByteArray, expected);

    const QByteArray edited = setResolution(original, 1280, 1024);
    QCOMPARE(edited, expected);
    const WineRegistryKeyScan scan = scanGameKey(edited);
    QCOMPARE(scan.value("reswidth"), QVariant(1280));
    QCOMPARE(scan.value("resheight"), QVariant(1024));
    QCOMPARE(setResolution(edited, 1280, 1024), edited);
}

void TestWineRegistry::editsWhereA32BitGameLooks()
{
    // Once Software\Wow6432Node exists, Wine sends a 32-bit program's look-ups
    // under Software there.
    const QByteArray original = Header + gameSection("\"reswidth\"=dword:1\n\"resheight\"=dword:2\n")
                                + "\n[Software\\\\Wow6432Node\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video] 1\n"
                                  "\"reswidth\"=dword:3\n";
    const WineRegistryKeyScan scan = scanGameKey(original);
    QCOMPARE(scan.keyPath.at(1), QStringLiteral("Wow6432Node"));
    QCOMPARE(scan.value("reswidth"), QVariant(3));
    QVERIFY(!scan.value("resheight").isValid());

    const QByteArray edited = setResolution(original, 1280, 1024);
    QCOMPARE(edited, replaced(original, "\"reswidth\"=dword:3\n",
                              "\"reswidth\"=dword:00000500\n\"resheight\"=dword:00000400\n"));

    const QByteArray nativeOnly = Header + gameSection("\"reswidth\"=dword:1\n");
    QCOMPARE(WineRegistryScanner::scan(nativeOnly, GameKey).value("reswidth"), QVariant(1));
    const QByteArray emptyNode = nativeOnly + "\n[Software\\\\WOW6432NODE\\\\Classes] 1\n";
    QVERIFY(!scanGameKey(emptyNode).value("reswidth").isValid());
    QCOMPARE(WineRegistryScanner::scan(emptyNode, GameKey).value("reswidth"), QVariant(1));
}

QTEST_GUILESS_MAIN(TestWineRegistry)
#include "tst_wineregistry.moc"
