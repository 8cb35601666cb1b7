// The program's CP1251 texts as Qt strings and back, one character for one byte.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <filesystem>
#include <string>
#include <string_view>

namespace QtText {

QString ToQString(std::string_view bytes);
// A character the code page does not hold becomes '?'.
std::string FromQString(QStringView text);

// A line list's text as a text document takes it, into `out`, whose buffer is reused when large
// enough: each CR LF becomes one line break, so that every line is one block.
void ToDocument(std::string_view lines, QString& out);
// Lines as UTF-8, each CR LF a line feed, as the clipboard holds text: half the size of UTF-16
// for the dump's digits, which matters when a copy holds a quarter of a gigabyte.
QByteArray ToUtf8Lines(std::string_view lines);
// A document's raw text back as lines: block and line separators become CR LF.
std::string FromDocument(QStringView raw);

// A file name as Qt names it, and back, as the system's own name: never through the code page.
QString FromPath(const std::filesystem::path& path);
std::filesystem::path ToPath(const QString& name);

}  // namespace QtText
