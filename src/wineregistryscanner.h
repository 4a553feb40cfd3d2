// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_WINEREGISTRYSCANNER_H
#define TARNWICK_WINEREGISTRYSCANNER_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// One definition of a value in the looked-up key, with where its bytes sit.
// A definition may span several lines (long hex data continues with a backslash).
struct WineRegistryValueLine
{
    QString name;           // decoded; empty for the default value "@"
    qint64 nameBegin = 0;   // the name's opening quote (or the "@")
    qint64 nameEnd = 0;     // just past the name's closing quote
    qint64 contentEnd = 0;  // end of the definition's last line, before its line ending
    qint64 lineEnd = 0;     // just past that line ending
    QVariant value;         // as the registry hands it out: int, qlonglong, QString, or invalid
};

// What a scan found out about one key of a Wine registry file (user.reg, system.reg).
struct WineRegistryKeyScan
{
    bool needsExactScan = false;     // a skimming pass could not tell; scan again line by line
    bool isRegistryFile = false;     // the first line says "WINE REGISTRY Version 2"
    qint64 size = 0;
    QByteArray lineEnding = "\n";    // the file's own, taken from its first line
    bool endsWithLineEnding = true;
    bool endsInContinuation = false; // the last line ends a hex value with a backslash
    QStringList keyPath;             // the key that was looked up, after any redirection
    bool keyFound = false;
    qint64 keyEnd = -1;              // just past the last non-blank line of the key's last section
    QVector<WineRegistryValueLine> values; // the key's value definitions, in file order

    // The value's data as Wine loads it: names match case-insensitively, and the
    // last definition wins. Invalid when the name is not defined.
    QVariant value(const QString &name) const;
};

// Reads a Wine registry file front to back, in chunks of any size, and records
// the sections and value lines of one key. It keeps only the line being read
// and the key's own values, so its memory does not grow with the file.
//
// It follows Wine's own loader: key and value names compare case-insensitively
// after unescaping, lines that Wine would skip are skipped, and a 32-bit
// program's view applies: once the file holds a Software\Wow6432Node key,
// a key under Software is looked up beneath it.
class WineRegistryScanner
{
public:
    enum class View { Native, Program32Bit };
    // Skim reads only section headers outside the key, at the speed of a
    // memory search; a file whose structure that cannot settle (a hex value
    // running on into a "[" line) comes back with needsExactScan, and an
    // Exact scan, which reads every line, settles it.
    enum class Pace { Skim, Exact };

    explicit WineRegistryScanner(const QStringList &keyPath, View view = View::Native, Pace pace = Pace::Skim);

    void feed(const char *data, qsizetype size);
    WineRegistryKeyScan finish();

    // A whole file in memory: skimmed, and read line by line only if the skim asks for it.
    static WineRegistryKeyScan scan(const QByteArray &bytes, const QStringList &keyPath,
                                    View view = View::Native);

private:
    struct Target
    {
        QStringList path;
        bool found = false;
        qint64 keyEnd = -1;
        QVector<WineRegistryValueLine> values;
    };

    bool isSkimming() const;
    void readLines(const char *begin, const char *end);
    const char *skimToHeader(const char *p, const char *end);
    static bool mayContinue(const char *line, const char *end);
    void readLine(const char *line, qsizetype length, qint64 offset);
    void readFirstLine(const char *content, qsizetype length, bool hasLineEnding);
    void readHeader(const char *text, const char *end);
    void readValue(const char *text, const char *line, const char *end);
    void readContinuation(const char *text, const char *end);
    void endDefinition(bool wellFormed);
    int targetNamedBy(const char *text, const char *end);

    Target m_targets[2]; // the key as asked for, and its Wow6432Node twin
    QByteArray m_plainPaths[2]; // the targets as headers spell them, when that is plain
    qsizetype m_sharedPlainLength = 0;
    bool m_hasWow6432Node = false;
    bool m_redirects = false;

    Pace m_pace;
    bool m_needsExactScan = false;
    bool m_lastSkimmedLineMayContinue = false;

    QByteArray m_carry;       // a line that a chunk cut in two
    qint64 m_offset = 0;      // file offset of the first byte not yet read
    qint64 m_lineOffset = 0;  // file offset of the line being read
    qint64 m_lineEnd = 0;
    qint64 m_contentEnd = 0;
    bool m_atFirstLine = true;
    bool m_isRegistryFile = false;
    QByteArray m_lineEnding = "\n";
    bool m_endsWithLineEnding = true;

    int m_section = -1;       // index of the target the current section names, or -1
    bool m_continues = false; // the next line continues a hex value
    int m_definitionType = 0; // registry type of the key's hex value being continued
    QByteArray m_hexData;
    QString m_decoded;        // scratch, reused so that headers cost no allocation
};

#endif
