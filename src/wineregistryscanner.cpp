// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "wineregistryscanner.h"

#include <QStringView>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr char FirstLine[] = "WINE REGISTRY Version 2";

// Registry value types that the key's values are read as.
enum RegistryType { RegNone = 0, RegSz = 1, RegExpandSz = 2, RegBinary = 3, RegDword = 4,
                    RegMultiSz = 7, RegQword = 11 };

// The last `c` in [begin, end), or nullptr (memrchr, which not every C library has).
const char *findLast(const char *begin, const char *end, char c)
{
    const auto found = std::find(std::make_reverse_iterator(end), std::make_reverse_iterator(begin), c);
    return found.base() == begin ? nullptr : found.base() - 1;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char *skipSpace(const char *p, const char *end)
{
    while (p < end && isSpace(*p))
        ++p;
    return p;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// strtoul(p, &next, 16) as the C library does it on a 64-bit system: leading
// space, a sign, an optional 0x, saturation on overflow; no digits reads as 0
// and leaves *next at p. Wine parses DWORD data and hex(N) types this way.
quint64 parseUnsignedHex(const char *p, const char *end, const char **next)
{
    const char *q = skipSpace(p, end);
    bool negative = false;
    if (q < end && (*q == '+' || *q == '-'))
        negative = *q++ == '-';
    if (end - q >= 3 && q[0] == '0' && (q[1] == 'x' || q[1] == 'X') && hexDigit(q[2]) >= 0)
        q += 2;
    if (q == end || hexDigit(*q) < 0) {
        *next = p;
        return 0;
    }
    quint64 value = 0;
    bool overflow = false;
    for (; q < end && hexDigit(*q) >= 0; ++q) {
        overflow = overflow || value > (~quint64(0) >> 4);
        value = value << 4 | quint64(hexDigit(*q));
    }
    *next = q;
    if (overflow)
        return ~quint64(0);
    return negative ? quint64(0) - value : value;
}

// One code point from UTF-8 at p, appended as UTF-16; invalid bytes are dropped
// one at a time, as Wine's loader drops them.
const char *appendUtf8(const char *p, const char *end, QString *out)
{
    const auto lead = static_cast<unsigned char>(*p);
    int length = 0;
    char32_t codePoint = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        codePoint = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        codePoint = lead & 0x0f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return p + 1;
    }
    if (end - p < length)
        return p + 1;
    for (int i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if ((c & 0xc0) != 0x80)
            return p + 1;
        codePoint = codePoint << 6 | (c & 0x3f);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10ffff || (codePoint >= 0xd800 && codePoint < 0xe000))
        return p + 1;
    if (out) {
        if (QChar::requiresSurrogates(codePoint)) {
            out->append(QChar(QChar::highSurrogate(codePoint)));
            out->append(QChar(QChar::lowSurrogate(codePoint)));
        } else {
            out->append(QChar(char16_t(codePoint)));
        }
    }
    return p + length;
}

// Wine's unescaping of names and strings: reads from p up to the first
// unescaped delimiter and returns the position just past it, or nullptr when
// the line ends first. With out null it only finds the end.
const char *decodeEscaped(const char *p, const char *end, char delimiter, QString *out)
{
    while (p < end) {
        const char c = *p;
        if (c == delimiter)
            return p + 1;
        if (static_cast<unsigned char>(c) >= 0x80) {
            p = appendUtf8(p, end, out);
            continue;
        }
        ++p;
        if (c != '\\') {
            if (out)
                out->append(QLatin1Char(c));
            continue;
        }
        if (p == end)
            return nullptr;
        const char escaped = *p++;
        char16_t unit = char16_t(static_cast<unsigned char>(escaped));
        switch (escaped) {
        case 'a': unit = 7; break;
        case 'b': unit = 8; break;
        case 'e': unit = 27; break;
        case 'f': unit = 12; break;
        case 'n': unit = 10; break;
        case 'r': unit = 13; break;
        case 't': unit = 9; break;
        case 'v': unit = 11; break;
        case 'x':
            if (p < end && hexDigit(*p) >= 0) {
                unit = 0;
                for (int i = 0; i < 4 && p < end && hexDigit(*p) >= 0; ++i)
                    unit = char16_t(unit * 16 + hexDigit(*p++));
            }
            break;
        default:
            if (escaped >= '0' && escaped <= '7') {
                unit = char16_t(escaped - '0');
                for (int i = 0; i < 2 && p < end && *p >= '0' && *p <= '7'; ++i)
                    unit = char16_t(unit * 8 + (*p++ - '0'));
            }
            break;
        }
        if (out)
            out->append(QChar(unit));
    }
    return nullptr;
}

// A run of hex bytes ("01,02, ff") as Wine's parse_hex reads it. Returns the
// position after the run, or nullptr when a byte is larger than ff.
const char *parseHexRun(const char *p, const char *end, QByteArray *bytes)
{
    while (p < end && hexDigit(*p) >= 0) {
        const char *next = nullptr;
        const quint64 byte = parseUnsignedHex(p, end, &next);
        if (byte > 0xff)
            return nullptr;
        if (bytes)
            bytes->append(char(byte));
        p = skipSpace(next, end);
        if (p < end && *p == ',')
            p = skipSpace(p + 1, end);
    }
    return p;
}

// How a hex value's line ends: complete, continued on the next line, or malformed.
enum class HexLine { Complete, Continues, Malformed };

HexLine readHexLine(const char *p, const char *end, QByteArray *bytes)
{
    // Wine writes one or two digits a byte, commas between, and a backslash
    // last when the data goes on. That form, nearly every hex line there is,
    // is read here directly; anything else by the general rules below.
    const qsizetype bytesBefore = bytes ? bytes->size() : 0;
    const char *q = p;
    while (q < end) {
        int byte = hexDigit(*q);
        if (byte < 0)
            break;
        if (++q < end && hexDigit(*q) >= 0)
            byte = byte * 16 + hexDigit(*q++);
        if (bytes)
            bytes->append(char(byte));
        if (q == end || *q != ',')
            break;
        ++q;
    }
    if (q == end)
        return HexLine::Complete;
    if (*q == '\\' && q + 1 == end)
        return HexLine::Continues;
    if (bytes)
        bytes->truncate(bytesBefore);

    p = parseHexRun(p, end, bytes);
    if (!p)
        return HexLine::Malformed;
    p = skipSpace(p, end);
    if (p == end)
        return HexLine::Complete;
    return *p == '\\' ? HexLine::Continues : HexLine::Malformed;
}

// The data tag after "name"=, as Wine's loader knows them (case matters).
struct DataTag
{
    enum Kind { Unknown, String, Dword, Hex };
    Kind kind = Unknown;
    int type = RegNone;
    const char *data = nullptr; // first byte after the tag
};

DataTag readDataTag(const char *p, const char *end)
{
    struct Known { const char *tag; DataTag::Kind kind; int type; };
    static const Known known[] = {
        {"\"", DataTag::String, RegSz},           {"str:\"", DataTag::String, RegSz},
        {"str(2):\"", DataTag::String, RegExpandSz}, {"str(7):\"", DataTag::String, RegMultiSz},
        {"hex:", DataTag::Hex, RegBinary},         {"dword:", DataTag::Dword, RegDword},
    };
    for (const Known &k : known) {
        const auto length = qsizetype(std::strlen(k.tag));
        if (end - p >= length && std::memcmp(p, k.tag, size_t(length)) == 0)
            return {k.kind, k.type, p + length};
    }
    if (end - p >= 4 && std::memcmp(p, "hex(", 4) == 0) {
        const char *next = nullptr; // left at the digits' start when there are none: "hex():" is type 0
        const quint64 type = parseUnsignedHex(p + 4, end, &next);
        if (end - next >= 2 && next[0] == ')' && next[1] == ':')
            return {DataTag::Hex, int(quint32(type)), next + 2};
    }
    return {};
}

// Binary data read as the registry's typed value: a DWORD or QWORD as a number.
QVariant valueFromBytes(int type, const QByteArray &bytes)
{
    const auto little = [&bytes] {
        quint64 value = 0;
        for (int i = bytes.size() - 1; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes.at(i));
        return value;
    };
    if (type == RegDword && bytes.size() == 4)
        return int(qint32(quint32(little())));
    if (type == RegQword && bytes.size() == 8)
        return qlonglong(little());
    return {};
}

bool componentsEqual(QStringView a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A key path as a header spells it, in lower case, when no character needs
// escaping; empty when one does.
QByteArray plainHeaderPath(const QStringList &path)
{
    QByteArrayList components;
    for (const QString &component : path) {
        for (QChar c : component) {
            if (c.unicode() < 0x20 || c.unicode() > 0x7e || c == QLatin1Char('\\') || c == QLatin1Char('[')
                || c == QLatin1Char(']'))
                return {};
        }
        components << component.toLatin1().toLower();
    }
    return components.join("\\\\");
}

// Where a section header's raw text first differs from a plain header path,
// compared as Wine compares ASCII: case-insensitively. -1 when an escape or a
// byte beyond ASCII stands in the way first, or the path matches to its end:
// then only unescaping the header can tell.
// `from` says how much of the text is known to match already.
qsizetype plainDifference(const char *text, const char *end, const QByteArray &lowerPath, qsizetype from = 0)
{
    const char *path = lowerPath.constData();
    const qsizetype length = lowerPath.size();
    const qsizetype available = end - text;
    for (qsizetype i = from; i < available; ++i) {
        const char c = text[i];
        const bool plain = c != '\\' && static_cast<unsigned char>(c) < 0x80;
        if (i == length)
            return plain && c != ']' ? i : -1;
        const char wanted = path[i];
        if (c == wanted || (c >= 'A' && c <= 'Z' && c - 'A' + 'a' == wanted)) {
            if (c == '\\') { // a separator in the path; the header must double it too
                if (i + 1 == available || text[i + 1] != '\\')
                    return -1;
                ++i;
            }
            continue;
        }
        return plain ? i : -1;
    }
    return -1;
}

} // namespace

QVariant WineRegistryKeyScan::value(const QString &name) const
{
    for (auto it = values.crbegin(); it != values.crend(); ++it) {
        if (it->name.compare(name, Qt::CaseInsensitive) == 0)
            return it->value;
    }
    return {};
}

WineRegistryScanner::WineRegistryScanner(const QStringList &keyPath, View view, Pace pace)
    : m_pace(pace)
{
    m_targets[0].path = keyPath;
    m_redirects = view == View::Program32Bit && !keyPath.isEmpty()
                  && keyPath.first().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0;
    if (m_redirects) {
        QStringList redirected = keyPath;
        redirected.insert(1, QStringLiteral("Wow6432Node"));
        m_targets[1].path = redirected;
    }
    for (int t = 0; t < 2; ++t)
        m_plainPaths[t] = plainHeaderPath(m_targets[t].path);
    while (m_sharedPlainLength < qMin(m_plainPaths[0].size(), m_plainPaths[1].size())
           && m_plainPaths[0].at(m_sharedPlainLength) == m_plainPaths[1].at(m_sharedPlainLength))
        ++m_sharedPlainLength;
}

void WineRegistryScanner::feed(const char *data, qsizetype size)
{
    const char *end = data + size;
    const char *p = data;
    if (!m_carry.isEmpty()) {
        const auto newline = static_cast<const char *>(std::memchr(p, '\n', size_t(size)));
        if (!newline) {
            m_carry.append(p, size);
            return;
        }
        m_carry.append(p, newline + 1 - p);
        p = newline + 1;
        readLines(m_carry.constData(), m_carry.constData() + m_carry.size());
        m_carry.clear();
    }
    const auto lastNewline = findLast(p, end, '\n');
    const char *complete = lastNewline ? lastNewline + 1 : p;
    readLines(p, complete);
    m_carry.append(complete, end - complete);
}

WineRegistryKeyScan WineRegistryScanner::finish()
{
    if (!m_carry.isEmpty()) {
        readLines(m_carry.constData(), m_carry.constData() + m_carry.size());
        m_carry.clear();
    }
    // Whether the file ends inside a hex value matters to what is appended.
    if (isSkimming() && m_lastSkimmedLineMayContinue)
        m_needsExactScan = true;
    const bool endsInContinuation = m_continues;
    if (m_continues)
        endDefinition(false); // Wine finds no next line and drops the value's data

    const Target &target = m_targets[m_redirects && m_hasWow6432Node ? 1 : 0];
    WineRegistryKeyScan result;
    result.needsExactScan = m_needsExactScan;
    result.isRegistryFile = m_isRegistryFile;
    result.size = m_offset;
    result.lineEnding = m_lineEnding;
    result.endsWithLineEnding = m_endsWithLineEnding;
    result.endsInContinuation = endsInContinuation;
    result.keyPath = target.path;
    if (m_isRegistryFile && !m_needsExactScan) {
        result.keyFound = target.found;
        result.keyEnd = target.keyEnd;
        result.values = target.values;
    }
    return result;
}

WineRegistryKeyScan WineRegistryScanner::scan(const QByteArray &bytes, const QStringList &keyPath, View view)
{
    for (const Pace pace : {Pace::Skim, Pace::Exact}) {
        WineRegistryScanner scanner(keyPath, view, pace);
        scanner.feed(bytes.constData(), bytes.size());
        WineRegistryKeyScan result = scanner.finish();
        if (!result.needsExactScan)
            return result;
    }
    Q_UNREACHABLE();
    return {};
}

bool WineRegistryScanner::isSkimming() const
{
    return m_pace == Pace::Skim && m_section < 0 && !m_continues && !m_atFirstLine;
}

// Reads the whole lines in [begin, end); only the file's last line lacks a line ending.
void WineRegistryScanner::readLines(const char *begin, const char *end)
{
    const qint64 base = m_offset;
    m_offset += end - begin;
    for (const char *p = begin; p < end && !m_needsExactScan;) {
        if (!m_atFirstLine && !m_isRegistryFile)
            return; // Wine ignores the whole file
        if (isSkimming()) {
            p = skimToHeader(p, end);
            if (p == end)
                return;
        }
        const auto newline = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *next = newline ? newline + 1 : end;
        readLine(p, next - p, base + (p - begin));
        p = next;
    }
}

// Outside the key only section headers matter, so lines are skipped unread
// up to the next line that starts with "[". Such a line is no header when a
// hex value runs on into it; if the line before it might do that, only a
// line-by-line pass can tell, and the scan asks for one.
const char *WineRegistryScanner::skimToHeader(const char *p, const char *end)
{
    m_endsWithLineEnding = end[-1] == '\n';
    for (const char *search = p;;) {
        const auto bracket = static_cast<const char *>(std::memchr(search, '[', size_t(end - search)));
        if (!bracket)
            break;
        const char *lineStart = bracket;
        while (lineStart > p && lineStart[-1] != '\n' && isSpace(lineStart[-1]))
            --lineStart;
        if (lineStart == p || lineStart[-1] == '\n') {
            bool previousMayContinue = m_lastSkimmedLineMayContinue;
            if (lineStart > p) {
                const char *previousEnd = lineStart - 1;
                const auto newline = findLast(p, previousEnd, '\n');
                previousMayContinue = mayContinue(newline ? newline + 1 : p, previousEnd);
            }
            if (previousMayContinue) {
                m_needsExactScan = true;
                return end;
            }
            return lineStart;
        }
        search = bracket + 1;
    }
    const char *lastEnd = m_endsWithLineEnding ? end - 1 : end;
    const auto newline = findLast(p, lastEnd, '\n');
    m_lastSkimmedLineMayContinue = mayContinue(newline ? newline + 1 : p, lastEnd);
    return end;
}

// Whether a line, read either as a fresh line or as the continuation of a hex
// value, could run on into the next one. `end` is where its line ending starts.
bool WineRegistryScanner::mayContinue(const char *line, const char *end)
{
    if (end > line && end[-1] == '\r')
        --end;
    const char *text = skipSpace(line, end);
    if (readHexLine(text, end, nullptr) == HexLine::Continues)
        return true;
    if (text == end || (*text != '"' && *text != '@'))
        return false;
    const char *p = *text == '"' ? decodeEscaped(text + 1, end, '"', nullptr) : text + 1;
    if (!p)
        return false;
    p = skipSpace(p, end);
    if (p == end || *p != '=')
        return false;
    const DataTag tag = readDataTag(skipSpace(p + 1, end), end);
    return tag.kind == DataTag::Hex && readHexLine(tag.data, end, nullptr) == HexLine::Continues;
}

void WineRegistryScanner::readLine(const char *line, qsizetype length, qint64 offset)
{
    m_lastSkimmedLineMayContinue = false; // read in full, so m_continues knows
    m_lineOffset = offset;
    m_lineEnd = offset + length;
    // Wine strips the newline, then one carriage return.
    const bool hasLineEnding = length > 0 && line[length - 1] == '\n';
    qsizetype contentLength = hasLineEnding ? length - 1 : length;
    if (hasLineEnding && contentLength > 0 && line[contentLength - 1] == '\r')
        --contentLength;
    m_contentEnd = m_lineOffset + contentLength;
    m_endsWithLineEnding = hasLineEnding;

    if (m_atFirstLine) {
        readFirstLine(line, contentLength, hasLineEnding);
        return;
    }

    const char *end = line + contentLength;
    const char *text = skipSpace(line, end);
    if (m_continues) {
        readContinuation(text, end);
    } else if (text == end) {
        return; // a blank line
    } else if (*text == '[') {
        readHeader(text + 1, end);
    } else if (*text == '"' || *text == '@') {
        readValue(text, line, end);
    }
    if (m_section >= 0)
        m_targets[m_section].keyEnd = m_lineEnd;
}

void WineRegistryScanner::readFirstLine(const char *content, qsizetype length, bool hasLineEnding)
{
    m_atFirstLine = false;
    const auto expected = qsizetype(sizeof FirstLine - 1);
    m_isRegistryFile = length == expected && std::memcmp(content, FirstLine, sizeof FirstLine - 1) == 0;
    if (hasLineEnding && content[length] == '\r')
        m_lineEnding = "\r\n";
}

void WineRegistryScanner::readHeader(const char *text, const char *end)
{
    m_section = targetNamedBy(text, end);
    if (m_section >= 0)
        m_targets[m_section].found = true;
}

// Which target the section header names, if any. Wine splits the unescaped
// path on backslashes and skips empty components.
int WineRegistryScanner::targetNamedBy(const char *text, const char *end)
{
    // Most headers differ from the key early, in plain ASCII: those are told
    // apart without unescaping. A header that reaches "Software\Wow6432Node"
    // is always unescaped, since that key's presence redirects the look-up.
    static const qsizetype wowNodeLength = qsizetype(std::strlen("Software\\\\Wow6432Node"));
    const qsizetype native = m_plainPaths[0].isEmpty() ? -1 : plainDifference(text, end, m_plainPaths[0]);
    if (native >= 0) {
        if (!m_redirects)
            return -1;
        // The two paths share their start, where they also differ from the header alike.
        qsizetype wow = native;
        if (m_plainPaths[1].isEmpty())
            wow = -1;
        else if (native >= m_sharedPlainLength)
            wow = plainDifference(text, end, m_plainPaths[1], m_sharedPlainLength);
        if (wow >= 0 && wow < wowNodeLength)
            return -1;
    }

    m_decoded.resize(0);
    if (!decodeEscaped(text, end, ']', &m_decoded))
        return -1; // no closing bracket: Wine cannot create the key

    const int targets = m_redirects ? 2 : 1;
    bool matches[2] = {true, m_redirects};
    bool underWowNode = m_redirects;
    int count = 0;
    const QStringView path(m_decoded);
    for (qsizetype start = 0; start < path.size();) {
        qsizetype stop = path.indexOf(QLatin1Char('\\'), start);
        if (stop < 0)
            stop = path.size();
        if (stop > start) {
            const QStringView component = path.mid(start, stop - start);
            for (int t = 0; t < targets; ++t) {
                const QStringList &wanted = m_targets[t].path;
                matches[t] = matches[t] && count < wanted.size() && componentsEqual(component, wanted.at(count));
            }
            if (count < 2)
                underWowNode = underWowNode && componentsEqual(component, m_targets[1].path.at(count));
            ++count;
        }
        start = stop + 1;
    }
    if (underWowNode && count >= 2)
        m_hasWow6432Node = true;
    for (int t = 0; t < targets; ++t) {
        if (matches[t] && count == m_targets[t].path.size())
            return t;
    }
    return -1;
}

void WineRegistryScanner::readValue(const char *text, const char *line, const char *end)
{
    const bool ofKey = m_section >= 0;
    // Outside the key only a hex value that continues onto the next line matters,
    // since the continuation hides that line from the section structure.
    if (!ofKey) {
        const char *last = end;
        while (last > text && isSpace(last[-1]))
            --last;
        if (last == text || !std::memchr(text, '\\', size_t(last - text)))
            return;
    }

    QString name;
    const char *p = text + 1;
    if (*text == '"') {
        p = decodeEscaped(p, end, '"', ofKey ? &name : nullptr);
        if (!p)
            return; // Wine skips a line whose name does not end
    }
    const char *nameEnd = p;
    p = skipSpace(p, end);
    if (p == end || *p != '=')
        return;
    p = skipSpace(p + 1, end);

    WineRegistryValueLine definition;
    definition.name = name;
    definition.nameBegin = m_lineOffset + (text - line);
    definition.nameEnd = m_lineOffset + (nameEnd - line);
    definition.contentEnd = m_contentEnd;
    definition.lineEnd = m_lineEnd;

    // From here Wine has created the value: bad data leaves it empty, not absent.
    const DataTag tag = readDataTag(p, end);
    switch (tag.kind) {
    case DataTag::Unknown:
        break;
    case DataTag::String:
        if (ofKey) {
            QString data;
            if (decodeEscaped(tag.data, end, '"', &data) && (tag.type == RegSz || tag.type == RegExpandSz))
                definition.value = data;
        }
        break;
    case DataTag::Dword:
        if (ofKey) {
            const char *next = nullptr;
            definition.value = int(qint32(quint32(parseUnsignedHex(tag.data, end, &next))));
        }
        break;
    case DataTag::Hex: {
        m_hexData.clear();
        const HexLine hex = readHexLine(tag.data, end, ofKey ? &m_hexData : nullptr);
        m_continues = hex == HexLine::Continues;
        m_definitionType = tag.type;
        if (ofKey) {
            m_targets[m_section].values.append(definition);
            if (!m_continues)
                endDefinition(hex == HexLine::Complete);
        }
        return;
    }
    }
    if (ofKey)
        m_targets[m_section].values.append(definition);
}

void WineRegistryScanner::readContinuation(const char *text, const char *end)
{
    const bool ofKey = m_section >= 0;
    const HexLine hex = readHexLine(text, end, ofKey ? &m_hexData : nullptr);
    if (ofKey) {
        WineRegistryValueLine &line = m_targets[m_section].values.last();
        line.contentEnd = m_contentEnd;
        line.lineEnd = m_lineEnd;
    }
    m_continues = hex == HexLine::Continues;
    if (!m_continues && ofKey)
        endDefinition(hex == HexLine::Complete);
}

void WineRegistryScanner::endDefinition(bool wellFormed)
{
    m_continues = false;
    if (m_section < 0)
        return;
    m_targets[m_section].values.last().value = wellFormed ? valueFromBytes(m_definitionType, m_hexData) : QVariant();
    m_hexData.clear();
}
