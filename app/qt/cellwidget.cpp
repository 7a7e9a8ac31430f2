// Painting of cells and outlines, and turning a press and release on a cell into a click.
#include "app/qt/cellwidget.h"

#include "app/controls.h"

#include <QMouseEvent>
#include <QPainter>

namespace nudgeboard {

QColor toQColor(int rgb) {
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QFont toQFont(const Font& font) {
    return QFont(toQString(font.family), font.points, font.weight);
}

CellWidget::CellWidget(int index, QWidget* parent) : QWidget(parent), index_(index) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CellWidget::mirror(const Label& cell) {
    bool raised = false;
    QRect geometry(cell.left, cell.top, cell.width, cell.height);
    if (this->geometry() != geometry)
        setGeometry(geometry);
    QColor color = toQColor(cell.backColor.value_or(0));
    QColor textColor = toQColor(cell.foreColor.value_or(0));
    QString caption = QString::fromStdString(cell.caption);
    bool marked = cell.borderStyle == 1;
    if (color != color_ || textColor != textColor_ || marked != marked_ || caption != caption_) {
        color_ = color;
        textColor_ = textColor;
        if (marked && !marked_) {
            raise(); // neighbours overlap by a pixel: the whole mark must stay in sight
            raised = true;
        }
        marked_ = marked;
        caption_ = caption;
        update();
    }
    if (!fontSet_) { // a cell's font is fixed for its life
        setFont(toQFont(cell.font));
        fontSet_ = true;
    }
    if (isVisibleTo(parentWidget()) != cell.visible)
        setVisible(cell.visible);
    return raised;
}

void CellWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), color_);
    if (marked_) {
        // Black, so the mark shows on every piece colour, white included.
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (!caption_.isEmpty()) {
        painter.setPen(textColor_);
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignCenter, caption_);
    }
}

void CellWidget::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void CellWidget::mouseReleaseEvent(QMouseEvent* event) {
    bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->pos());
    pressed_ = false;
    event->accept();
    if (click)
        emit clicked(index_);
}

OutlineWidget::OutlineWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void OutlineWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace nudgeboard
