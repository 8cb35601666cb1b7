// The screen side of a row editor: it paints the editor's lines on screen, as the text view
// paints its blocks, and turns the widget's input into calls on the editor.
#pragma once

#include <QAbstractScrollArea>
#include <QTimer>
#include <string>

#include "Platform.h"
#include "RowEditor.h"

class QTextLayout;

class QtRowView : public QAbstractScrollArea, public Platform::RowView {
  public:
    QtRowView(const Platform::TextViewSpec& spec, RowEditor& editor, QWidget* parent);

    void Changed() override;
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& text) override;

    const RowEditor& Editor() const { return editor_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    // Where the text of the view's first line starts: at the very top, the text view's margin
    // stands above it as well.
    int TextTop() const;
    // A line laid out as the text view lays out a block, its left edge at the margin.
    void LayOut(QTextLayout& layout, uint64_t line) const;
    qreal Shift() const { return editor_.Left() * columnWidth_; }  // the view scrolled sideways
    RowPoint PointAt(QPoint at) const;
    void RestartBlink();

    RowEditor& editor_;
    int lineHeight_ = 1;
    qreal columnWidth_ = 1;
    bool syncing_ = false;  // the scroll bar is being set from the editor, not by the user
    bool caretShown_ = false;
    QTimer blink_;
};
