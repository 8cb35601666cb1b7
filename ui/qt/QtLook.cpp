#include "QtLook.h"

#include <QFontDatabase>
#include <QFontInfo>

#include "QtText.h"

namespace QtLook {

QColor ToQColor(Platform::Color colour) {
    return QColor(colour.Red, colour.Green, colour.Blue);
}

QString FixedFamily() {
    // Qt's own fixed-font choice is not always fixed-pitch, so the face is named.
    for (const char* family : {"Courier", "DejaVu Sans Mono", "Liberation Mono"}) {
        if (QFontDatabase::families().contains(family) && QFontDatabase::isFixedPitch(family))
            return family;
    }
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QFont FontFor(const Platform::Font& font) {
    QFont result;
    if (font.Face == "Courier") {
        result = QFont(FixedFamily());
        result.setStyleHint(QFont::TypeWriter);
        result.setFixedPitch(true);
    } else if (font.Face == "System") {
        result = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    } else {
        result = QFont(QtText::ToQString(font.Face));
    }
    result.setPixelSize(font.PixelHeight);
    result.setBold(font.Bold);
    return result;
}

}  // namespace QtLook
