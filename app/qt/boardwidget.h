// Both boards in one widget: the core's picture of them painted on whole device pixels.
#pragma once

#include "app/changes.h"
#include "app/controls.h"
#include "app/scaling.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <array>
#include <string_view>

namespace nudgeboard {

class Form1;

class BoardWidget : public QWidget {
    Q_OBJECT
public:
    // What the widget shows of one cell; a cell the core does not hold is not shown.
    struct Cell {
        bool exists = false;
        bool visible = false;
        int left = 0, top = 0, width = 0, height = 0; // design pixels
        QColor color;
        QColor textColor;
        bool marked = false;
        QString caption;
    };

    explicit BoardWidget(QWidget* parent);

    // Takes over the cells and outlines that `changes` names and repaints only where they lie.
    void refresh(const Form1& form, const Changes& changes);

    const Cell& cell(int index) const { return cells_[static_cast<std::size_t>(index)]; }
    int shownCells() const;
    // The display scale as dots per inch, and the cell under a point of the widget, or -1.
    int dpi() const;
    int cellAt(QPointF point) const;
    // Where a cell lies on the device, relative to the widget's first whole device pixel.
    DeviceRect deviceRectOf(int index) const;

    // For the accessible tree: what is painted, a cell on the screen, the cell under a point of
    // the screen (both in the tree's screen units), and a click on a cell as the mouse makes it.
    const Form1* form() const { return form_; }
    QRect screenRectOf(int index) const;
    int cellAtScreen(QPoint point) const;
    void press(int index) { emit clicked(index); }

signals:
    void clicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The widget may start between two device pixels (a menu bar of 23 pixels at scale 1.25,
    // say); drawing starts at the next whole one, so every edge lands on a whole pixel.
    QPointF deviceShift() const;
    void updateDevice(const DeviceRect& rect);

    std::array<Cell, cellCount> cells_{};
    std::array<Outline, 2> frames_{};
    const Form1* form_ = nullptr; // what is painted: the core's controls as they are now
    int pressed_ = -1;
};

QColor toQColor(int rgb);
QFont toQFont(const Font& font);
QString toQString(std::string_view text);

} // namespace nudgeboard
