// The view of rows drawn on demand: it paints only the lines on screen, asking the row source for
// them as it paints, and turns into an ordinary text view the first time the user edits it.
#pragma once

#include <QAbstractScrollArea>
#include <QTimer>
#include <string>

#include "LineList.h"
#include "Platform.h"
#include "RowCursor.h"

class QTextLayout;
class QtTextView;

class QtRowView : public QAbstractScrollArea, public Platform::RowView {
  public:
    // The first edit and copies run inside the desktop's error handler.
    QtRowView(const Platform::TextViewSpec& spec, const Platform::RowSource& rows, LineList& text,
              const Platform::Desktop& desktop, QWidget* parent);

    void ShowRows() override;

    const RowCursor& Cursor() const { return cursor_; }
    bool Edited() const { return edited_; }
    // The text view the rows become; it covers this view once the user has edited it.
    QtTextView& TextView() const { return *text_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    // Where the text of the view's first line starts: at the very top, the text view's margin
    // stands above it as well.
    int TextTop() const;
    // A line laid out as the text view lays out a block, its left edge at the margin.
    void LayOut(QTextLayout& layout, uint64_t line) const;
    RowPoint PointAt(QPoint at) const;
    void Moved();  // the caret or the top line changed: the scroll bar follows, the view repaints
    void Copy();
    bool BecomeText();
    void RestartBlink();

    RowCursor cursor_;
    LineList& lines_;
    const Platform::Desktop& desktop_;
    QtTextView* text_;
    int lineHeight_ = 1;
    bool edited_ = false;
    bool caretShown_ = false;
    QTimer blink_;
};
