#include "QtText.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "Cp1251.h"

namespace QtText {
namespace {

// The code page as a table, so that large texts convert in one tight pass.
const std::array<char16_t, 256>& Table() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) t[b] = Cp1251::ToUnicode(static_cast<uint8_t>(b));
        return t;
    }();
    return table;
}

// Writes `c` as UTF-8 at `to`; returns the end of what was written.
char* AppendUtf8(char* to, char16_t c) {
    if (c < 0x80) {
        *to++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *to++ = static_cast<char>(0xC0 | (c >> 6));
        *to++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *to++ = static_cast<char>(0xE0 | (c >> 12));
        *to++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *to++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return to;
}

bool IsBreak(char16_t c) {
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n';
}

}  // namespace

QString ToQString(std::string_view bytes) {
    const auto& table = Table();
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    for (char b : bytes) *to++ = table[static_cast<uint8_t>(b)];
    return out;
}

std::string FromQString(QStringView text) {
    return Cp1251::FromUtf16(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

void ToDocument(std::string_view lines, QString& out) {
    const auto& table = Table();
    out.resize(static_cast<qsizetype>(lines.size()));
    char16_t* start = reinterpret_cast<char16_t*>(out.data());
    char16_t* to = start;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == '\r' && i + 1 < lines.size() && lines[i + 1] == '\n') {
            *to++ = u'\n';
            ++i;
        } else {
            *to++ = table[static_cast<uint8_t>(lines[i])];
        }
    }
    out.truncate(to - start);
}

QByteArray ToUtf8Lines(std::string_view lines) {
    // Each byte above 0x7F takes at most three: counted first, a word at a time, so that the
    // output is allocated once; a text without them is copied run by run between the CRs.
    constexpr uint64_t highBits = 0x8080808080808080u;
    size_t high = 0, at = 0;
    for (uint64_t word; at + 8 <= lines.size(); at += 8) {
        std::memcpy(&word, lines.data() + at, 8);
        if (word & highBits) high += static_cast<size_t>(std::popcount(word & highBits));
    }
    for (; at < lines.size(); ++at) high += static_cast<uint8_t>(lines[at]) >> 7;
    QByteArray out(static_cast<qsizetype>(lines.size() + 2 * high), Qt::Uninitialized);
    char* to = out.data();
    for (at = 0; at < lines.size();) {
        const size_t cr = std::min(lines.find('\r', at), lines.size());
        if (high == 0) {
            std::memcpy(to, lines.data() + at, cr - at);
            to += cr - at;
        } else {
            for (char b : lines.substr(at, cr - at))
                to = AppendUtf8(to, Table()[static_cast<uint8_t>(b)]);
        }
        at = cr;
        if (at == lines.size()) break;
        const bool crlf = at + 1 < lines.size() && lines[at + 1] == '\n';
        *to++ = crlf ? '\n' : '\r';
        at += crlf ? 2 : 1;
    }
    out.truncate(to - out.data());
    return out;
}

std::string FromDocument(QStringView raw) {
    std::string out;
    out.reserve(static_cast<size_t>(raw.size()) + static_cast<size_t>(raw.size()) / 16);
    for (qsizetype i = 0; i < raw.size(); ++i) {
        char16_t c = raw[i].unicode();
        if (IsBreak(c)) {
            out += "\r\n";
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // A surrogate pair is one character the code page cannot hold.
            if (QChar::isHighSurrogate(c) && i + 1 < raw.size() && raw[i + 1].isLowSurrogate()) ++i;
            out += static_cast<char>(Cp1251::FromUnicode(c));
        }
    }
    return out;
}

QString FromPath(const std::filesystem::path& path) {
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

std::filesystem::path ToPath(const QString& name) {
#ifdef Q_OS_WIN
    return std::filesystem::path(name.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

}  // namespace QtText
