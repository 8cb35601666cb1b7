#include "QtText.h"

#include <QFile>
#include <array>

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

QString ToDocument(std::string_view lines) {
    QString out;
    ToDocument(lines, out);
    return out;
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
