// The program's CP1251 texts as Qt strings and back, one character for one byte.
#pragma once

#include <QString>
#include <QStringView>
#include <filesystem>
#include <string>
#include <string_view>

namespace QtText {

QString ToQString(std::string_view bytes);
// A character the code page does not hold becomes '?'.
std::string FromQString(QStringView text);

// A line list's text as a text document takes it: each CR LF becomes one line break, so that
// every line is one block.
QString ToDocument(std::string_view lines);
// The same into `out`, whose buffer is reused when large enough.
void ToDocument(std::string_view lines, QString& out);
// A document's raw text back as lines: block and line separators become CR LF.
std::string FromDocument(QStringView raw);

// A file name as Qt names it, and back, as the system's own name: never through the code page.
QString FromPath(const std::filesystem::path& path);
std::filesystem::path ToPath(const QString& name);

}  // namespace QtText
