// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_WINEREGISTRYEDIT_H
#define TARNWICK_WINEREGISTRYEDIT_H

#include "wineregistryscanner.h"

#include <QPair>

class QIODevice;

// Replaces the bytes [begin, end) of a file with `bytes`; begin == end inserts.
struct ByteSplice
{
    qint64 begin = 0;
    qint64 end = 0;
    QByteArray bytes;
};

using DwordValues = QVector<QPair<QString, quint32>>;

// The splices that set each named value of the scanned key to a REG_DWORD, in
// file order. An existing definition (of any type, in any case, over however
// many lines) is rewritten in place with its name as spelled and its line
// ending; a missing value goes after the last line of the key's section; a
// missing key is appended as a section in Wine's own form, stamped with
// `unixSeconds`. Every other byte stays as it is.
QVector<ByteSplice> dwordSplices(const WineRegistryKeyScan &scan, const DwordValues &values, qint64 unixSeconds);

// Copies `source` to `target` with the splices applied. Fails, with a reason,
// when the source ends early or the target takes fewer bytes than offered.
bool copyWithSplices(QIODevice &source, QIODevice &target, const QVector<ByteSplice> &splices,
                     QString *errorString);

// The same on bytes in memory.
QByteArray withSplices(const QByteArray &original, const QVector<ByteSplice> &splices);

#endif
