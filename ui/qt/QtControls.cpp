#include "QtControls.h"

#include <QPainter>

#include "QtLook.h"
#include "QtText.h"

QtLabel::QtLabel(const Platform::LabelSpec& spec, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setMargin(1);
    setIndent(0);  // a framed label would indent by half an "x"
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFont(QtLook::FontFor(spec.Font));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QtLook::ToQColor(spec.Background));
    colours.setColor(QPalette::WindowText, QtLook::ToQColor(spec.Font.Colour));
    setPalette(colours);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

void QtLabel::SetText(const std::string& text) {
    setText(QtText::ToQString(text));
}

std::string QtLabel::Text() const {
    return QtText::FromQString(text());
}

QtPanel::QtPanel(const Platform::PanelSpec& spec, QWidget* parent)
    : QWidget(parent),
      text_(QtText::ToQString(spec.Text)),
      background_(QtLook::ToQColor(spec.Background)),
      foreground_(QtLook::ToQColor(spec.Font.Colour)) {
    setFont(QtLook::FontFor(spec.Font));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QtPanel::SetText(const std::string& text) {
    text_ = QtText::ToQString(text);
    update();
}

std::string QtPanel::Text() const {
    return QtText::FromQString(text_);
}

void QtPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QRect outer = rect();  // right() and bottom() are the last pixels
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    painter.fillRect(rect(), background_);
    auto bevel = [&](const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    bevel(outer, light, shadow);  // raised
    bevel(inner, shadow, light);  // lowered
    painter.setPen(foreground_);
    painter.setFont(font());
    painter.drawText(rect().adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignVCenter, text_);
}
