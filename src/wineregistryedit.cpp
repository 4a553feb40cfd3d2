// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "wineregistryedit.h"

#include <QBuffer>
#include <QCoreApplication>

#include <algorithm>
#include <cstring>

namespace {

// Wine's escaping (dump_strW): backslash and the delimiters get a backslash,
// control characters their C escapes or octal, anything beyond ASCII \x.
QByteArray escaped(const QString &text, const char *delimiters)
{
    QByteArray out;
    for (int i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const char16_t next = i + 1 < text.size() ? text.at(i + 1).unicode() : 0;
        const bool nextIsHex = (next >= '0' && next <= '9') || (next >= 'a' && next <= 'f') || (next >= 'A' && next <= 'F');
        if (c > 127) {
            out += nextIsHex ? QByteArray::number(c, 16).rightJustified(4, '0').prepend("\\x")
                             : QByteArray::number(c, 16).prepend("\\x");
        } else if (c < 32) {
            static const char controls[] = "\a\b\t\n\v\f\r";
            static const char letters[] = "abtnvfr";
            if (const char *found = c ? std::strchr(controls, char(c)) : nullptr) {
                out += '\\';
                out += letters[found - controls];
            } else if (c == 27) {
                out += "\\e";
            } else {
                const bool nextIsOctal = next >= '0' && next <= '7';
                out += '\\';
                out += nextIsOctal ? QByteArray::number(c, 8).rightJustified(3, '0') : QByteArray::number(c, 8);
            }
        } else {
            if (c == '\\' || std::strchr(delimiters, char(c)))
                out += '\\';
            out += char(c);
        }
    }
    return out;
}

QByteArray dwordLine(const QString &name, quint32 value, const QByteArray &lineEnding)
{
    return '"' + escaped(name, "\"") + "\"=dword:" + QByteArray::number(value, 16).rightJustified(8, '0')
           + lineEnding;
}

// A new section as Wine writes one: the path, the time in seconds, then the
// same time as a FILETIME (100 ns steps since 1601) in hex.
QByteArray sectionHeader(const QStringList &keyPath, qint64 unixSeconds, const QByteArray &lineEnding)
{
    QByteArrayList components;
    for (const QString &component : keyPath)
        components << escaped(component, "[]");
    const quint64 fileTime = quint64(unixSeconds) * 10000000u + 116444736000000000u;
    return '[' + components.join("\\\\") + "] " + QByteArray::number(unixSeconds) + lineEnding
           + "#time=" + QByteArray::number(fileTime, 16) + lineEnding;
}

} // namespace

QVector<ByteSplice> dwordSplices(const WineRegistryKeyScan &scan, const DwordValues &values, qint64 unixSeconds)
{
    const QByteArray &eol = scan.lineEnding;
    QVector<ByteSplice> splices;
    QByteArray missing;
    for (const auto &[name, value] : values) {
        bool defined = false;
        for (const WineRegistryValueLine &line : scan.values) {
            if (line.name.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            defined = true;
            splices.append({line.nameEnd, line.contentEnd,
                            "=dword:" + QByteArray::number(value, 16).rightJustified(8, '0')});
        }
        if (!defined)
            missing += dwordLine(name, value, eol);
    }

    if (!missing.isEmpty()) {
        const qint64 at = scan.keyFound ? scan.keyEnd : scan.size;
        QByteArray insertion;
        if (at == scan.size) {
            if (!scan.endsWithLineEnding)
                insertion += eol;
            // A hex value still continuing at the end of the file would swallow
            // the next line; an empty line ends it.
            if (scan.endsInContinuation)
                insertion += eol;
        }
        if (!scan.keyFound)
            insertion += eol + sectionHeader(scan.keyPath, unixSeconds, eol);
        splices.append({at, at, insertion + missing});
    }

    std::sort(splices.begin(), splices.end(), [](const ByteSplice &a, const ByteSplice &b) {
        return a.begin < b.begin || (a.begin == b.begin && a.end < b.end);
    });
    return splices;
}

bool copyWithSplices(QIODevice &source, QIODevice &target, const QVector<ByteSplice> &splices,
                     QString *errorString)
{
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    qint64 position = 0;
    const auto fail = [errorString](const QString &reason) {
        if (errorString)
            *errorString = reason;
        return false;
    };
    const auto write = [&](const char *data, qint64 size) {
        return target.write(data, size) == size;
    };
    // Copies (or with `keep` false, skips) source bytes up to `until`; -1: to the end.
    const auto pass = [&](qint64 until, bool keep) {
        while (until < 0 || position < until) {
            const qint64 want = until < 0 ? buffer.size() : std::min<qint64>(buffer.size(), until - position);
            const qint64 got = source.read(buffer.data(), want);
            if (got < 0)
                return fail(source.errorString());
            if (got == 0)
                return until < 0 || fail(QCoreApplication::translate("WineRegistry", "The file got shorter while it was being read."));
            if (keep && !write(buffer.constData(), got))
                return fail(target.errorString());
            position += got;
        }
        return true;
    };

    for (const ByteSplice &splice : splices) {
        if (!pass(splice.begin, true))
            return false;
        if (!write(splice.bytes.constData(), splice.bytes.size()))
            return fail(target.errorString());
        if (!pass(splice.end, false))
            return false;
    }
    return pass(-1, true);
}

QByteArray withSplices(const QByteArray &original, const QVector<ByteSplice> &splices)
{
    QByteArray source = original;
    QBuffer in(&source);
    in.open(QIODevice::ReadOnly);
    QByteArray edited;
    QBuffer out(&edited);
    out.open(QIODevice::WriteOnly);
    copyWithSplices(in, out, splices, nullptr);
    return edited;
}
