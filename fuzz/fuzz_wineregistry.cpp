// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

// Feeds arbitrary bytes to the Wine registry file scanner and editor, and
// stops (so that libFuzzer keeps the input) when one of these fails:
//  - scanning the bytes in chunks of any size finds what one whole scan finds;
//  - a skim that does not ask for an exact scan finds what an exact scan finds;
//  - storing the two resolution values changes only the bytes inside the
//    edits, and a fresh scan of a registry file then reads exactly those
//    values, and the key's other values as they were;
//  - storing the same values again into the edited file changes nothing.
// The input is the file itself, so every seed is a plain registry file; the
// chunk sizes, the view and the values come from a hash of it.

#include "wineregistryedit.h"
#include "wineregistryscanner.h"

#include <QByteArray>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const QStringList KeyPath = {QStringLiteral("Software"), QStringLiteral("Blizzard Entertainment"),
                             QStringLiteral("Warcraft III"), QStringLiteral("Video")};
const QString WidthName = QStringLiteral("reswidth");
const QString HeightName = QStringLiteral("resheight");
constexpr qint64 UnixSeconds = 1700000000;

// A failed property: say which, and abort so that libFuzzer records the input.
[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "Property failed: %s\n", what);
    std::abort();
}

void check(bool holds, const char *what)
{
    if (!holds)
        fail(what);
}

// A small deterministic generator (splitmix64) seeded from the input's bytes.
class Choices
{
public:
    explicit Choices(const QByteArray &bytes)
    {
        m_state = 0xcbf29ce484222325u; // FNV-1a
        for (const char c : bytes)
            m_state = (m_state ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    }

    quint64 next()
    {
        quint64 z = (m_state += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }

    // Mostly tiny chunks, which cut lines, line endings and escapes apart;
    // now and then a large one.
    qsizetype chunkSize()
    {
        const quint64 r = next();
        return (r & 3) == 0 ? qsizetype(1 + (r >> 8) % 4096) : qsizetype(1 + (r >> 8) % 8);
    }

    // A value to store: often one whose digits look like an edge.
    quint32 value()
    {
        static const quint32 edges[] = {0, 1, 0x7fffffff, 0x80000000, 0xffffffff, 1024, 768};
        const quint64 r = next();
        return (r & 1) ? edges[(r >> 1) % (sizeof edges / sizeof edges[0])] : quint32(r >> 32);
    }

private:
    quint64 m_state;
};

bool sameValue(const QVariant &a, const QVariant &b)
{
    return a.userType() == b.userType() && a == b;
}

bool sameScan(const WineRegistryKeyScan &a, const WineRegistryKeyScan &b)
{
    if (a.needsExactScan != b.needsExactScan || a.isRegistryFile != b.isRegistryFile || a.size != b.size || a.lineEnding != b.lineEnding
        || a.endsWithLineEnding != b.endsWithLineEnding || a.endsInContinuation != b.endsInContinuation
        || a.keyPath != b.keyPath || a.keyFound != b.keyFound || a.keyEnd != b.keyEnd
        || a.values.size() != b.values.size())
        return false;
    for (qsizetype i = 0; i < a.values.size(); ++i) {
        const WineRegistryValueLine &x = a.values.at(i);
        const WineRegistryValueLine &y = b.values.at(i);
        if (x.name != y.name || x.nameBegin != y.nameBegin || x.nameEnd != y.nameEnd
            || x.contentEnd != y.contentEnd || x.lineEnd != y.lineEnd || !sameValue(x.value, y.value))
            return false;
    }
    return true;
}

// Walks the splices over both files: every byte before, between and after
// them must be the original's, and each splice's bytes must sit in its place.
void checkOnlySplicesChanged(const QByteArray &original, const QVector<ByteSplice> &splices,
                             const QByteArray &edited)
{
    qint64 from = 0; // in the original
    qint64 to = 0;   // in the edited file
    for (const ByteSplice &splice : splices) {
        check(splice.begin >= from && splice.end >= splice.begin && splice.end <= original.size(),
              "splices are in file order, apart and inside the file");
        const qint64 kept = splice.begin - from;
        check(edited.size() - to >= kept + splice.bytes.size(), "edited file holds the kept bytes and the splice");
        check(edited.mid(to, kept) == original.mid(from, kept), "bytes before a splice are unchanged");
        to += kept;
        check(edited.mid(to, splice.bytes.size()) == splice.bytes, "splice bytes are in place");
        to += splice.bytes.size();
        from = splice.end;
    }
    check(edited.mid(to) == original.mid(from), "bytes after the last splice are unchanged");
}

// The key's definitions of every value but the two written, in file order.
QVector<QPair<QString, QVariant>> otherValues(const WineRegistryKeyScan &scan)
{
    QVector<QPair<QString, QVariant>> others;
    for (const WineRegistryValueLine &line : scan.values) {
        if (line.name.compare(WidthName, Qt::CaseInsensitive) != 0
            && line.name.compare(HeightName, Qt::CaseInsensitive) != 0)
            others.append({line.name, line.value});
    }
    return others;
}

bool sameValues(const QVector<QPair<QString, QVariant>> &a, const QVector<QPair<QString, QVariant>> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).first != b.at(i).first || !sameValue(a.at(i).second, b.at(i).second))
            return false;
    }
    return true;
}

WineRegistryKeyScan scanWhole(const QByteArray &bytes, WineRegistryScanner::View view,
                              WineRegistryScanner::Pace pace)
{
    WineRegistryScanner scanner(KeyPath, view, pace);
    scanner.feed(bytes.constData(), bytes.size());
    return scanner.finish();
}

WineRegistryKeyScan scanInChunks(const QByteArray &bytes, WineRegistryScanner::View view,
                                 WineRegistryScanner::Pace pace, Choices &choices)
{
    WineRegistryScanner scanner(KeyPath, view, pace);
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = std::min(choices.chunkSize(), bytes.size() - at);
        scanner.feed(bytes.constData() + at, length);
        at += length;
    }
    return scanner.finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using Pace = WineRegistryScanner::Pace;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    Choices choices(bytes);
    const auto view = (choices.next() & 1) ? WineRegistryScanner::View::Program32Bit
                                           : WineRegistryScanner::View::Native;

    const WineRegistryKeyScan exact = scanWhole(bytes, view, Pace::Exact);
    check(!exact.needsExactScan, "an exact scan settles every file");
    check(sameScan(scanInChunks(bytes, view, Pace::Exact, choices), exact),
          "an exact scan in chunks finds what a whole one finds");
    const WineRegistryKeyScan skimmed = scanWhole(bytes, view, Pace::Skim);
    check(sameScan(scanInChunks(bytes, view, Pace::Skim, choices), skimmed),
          "a skim in chunks finds what a whole one finds");
    check(skimmed.needsExactScan || sameScan(skimmed, exact), "a skim that settles the file finds what an exact scan finds");
    const WineRegistryKeyScan whole = WineRegistryScanner::scan(bytes, KeyPath, view);
    check(sameScan(whole, exact), "scan() finds what an exact scan finds");

    const quint32 width = choices.value();
    const quint32 height = choices.value();
    const DwordValues values = {{WidthName, width}, {HeightName, height}};
    const QVector<ByteSplice> splices = dwordSplices(whole, values, UnixSeconds);
    const QByteArray edited = withSplices(bytes, splices);
    checkOnlySplicesChanged(bytes, splices, edited);

    // Only a registry file is ever written, so only there must the values read back.
    if (!whole.isRegistryFile)
        return 0;
    const WineRegistryKeyScan rescanned = WineRegistryScanner::scan(edited, KeyPath, view);
    check(rescanned.isRegistryFile && rescanned.keyFound, "the edited file holds the key");
    check(rescanned.keyPath == whole.keyPath, "the edit does not change where the key is looked up");
    check(sameValue(rescanned.value(WidthName), int(width)), "the width reads back as written");
    check(sameValue(rescanned.value(HeightName), int(height)), "the height reads back as written");
    check(sameValues(otherValues(rescanned), otherValues(whole)), "the key's other values keep their data");
    check(withSplices(edited, dwordSplices(rescanned, values, UnixSeconds)) == edited,
          "storing the same values again changes nothing");
    return 0;
}
