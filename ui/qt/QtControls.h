// The one-line label and the status panel of the platform layer.
#pragma once

#include <QLabel>
#include <QWidget>
#include <string>

#include "Platform.h"

// A fixed rectangle of one line of text inside a one-pixel lowered edge and a one-pixel blank.
class QtLabel : public QLabel, public Platform::TextControl {
  public:
    QtLabel(const Platform::LabelSpec& spec, QWidget* parent);
    void SetText(const std::string& text) override;
    std::string Text() const override;
};

// A status line: one line of text, left-aligned and vertically centred, inside a one-pixel
// raised outer bevel and a one-pixel lowered inner bevel.
class QtPanel : public QWidget, public Platform::TextControl {
  public:
    QtPanel(const Platform::PanelSpec& spec, QWidget* parent);
    void SetText(const std::string& text) override;
    std::string Text() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QColor background_, foreground_;
};
