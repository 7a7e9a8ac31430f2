// Painting both boards in device pixels, and turning a press and release on a cell into a click.
#include "app/qt/boardwidget.h"

#include "app/form1.h"
#include "app/picture.h"
#include "app/qt/boardaccessible.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>
#include <optional>

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

namespace {

QRect toQRect(const DeviceRect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

// A one-pixel line around a rectangle, `line` device pixels wide, inside it.
void frame(QPainter& painter, const DeviceRect& r, int line, const QColor& color) {
    painter.fillRect(QRect(r.left, r.top, r.width(), line), color);
    painter.fillRect(QRect(r.left, r.bottom - line, r.width(), line), color);
    painter.fillRect(QRect(r.left, r.top, line, r.height()), color);
    painter.fillRect(QRect(r.right - line, r.top, line, r.height()), color);
}

} // namespace

BoardWidget::BoardWidget(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    installBoardAccessibility();
}

int BoardWidget::dpi() const {
    return qRound(designDpi * devicePixelRatio());
}

QPointF BoardWidget::deviceShift() const {
    qreal ratio = devicePixelRatio();
    QPointF origin = QPointF(mapTo(window(), QPoint(0, 0))) * ratio;
    return {std::ceil(origin.x() - 1e-6) - origin.x(), std::ceil(origin.y() - 1e-6) - origin.y()};
}

DeviceRect BoardWidget::deviceRectOf(int index) const {
    const Cell& c = cell(index);
    return deviceRect(c.left, c.top, c.width, c.height, dpi());
}

namespace {

// What one unit of the accessible tree's screen coordinates is, in the window's own units. Qt
// 6.4's AT-SPI bridge hands rectangles and points through unscaled, while a screen reader works
// in the screen's pixels; so the boards speak in device pixels there.
qreal accessibleUnit(const QWidget* widget) {
#if QT_VERSION < QT_VERSION_CHECK(6, 6, 0) && defined(Q_OS_LINUX)
    return 1 / widget->devicePixelRatio();
#else
    (void)widget;
    return 1;
#endif
}

} // namespace

QRect BoardWidget::screenRectOf(int index) const {
    qreal ratio = devicePixelRatio();
    QPointF shift = deviceShift();
    DeviceRect r = deviceRectOf(index);
    QPointF origin = QPointF(mapToGlobal(QPoint(0, 0))) * ratio + shift;
    QRectF device(origin.x() + r.left, origin.y() + r.top, r.width(), r.height());
    qreal unit = accessibleUnit(this) * ratio;
    return QRectF(device.topLeft() / unit, device.size() / unit).toRect();
}

int BoardWidget::cellAtScreen(QPoint point) const {
    return cellAt(mapFromGlobal(QPointF(point) * accessibleUnit(this)));
}

int BoardWidget::shownCells() const {
    int n = 0;
    for (const Cell& c : cells_)
        n += c.exists && c.visible;
    return n;
}

void BoardWidget::updateDevice(const DeviceRect& r) {
    qreal ratio = devicePixelRatio();
    QPointF shift = deviceShift();
    QRectF logical((r.left + shift.x()) / ratio, (r.top + shift.y()) / ratio, r.width() / ratio,
                   r.height() / ratio);
    update(logical.toAlignedRect().adjusted(-1, -1, 1, 1));
}

void BoardWidget::refresh(const Form1& form, const Changes& changes) {
    form_ = &form;
    int scale = dpi();
    for (int k = 0; k < cellCount; ++k) {
        if (!changes.cells.test(static_cast<std::size_t>(k)))
            continue;
        Cell& shown = cells_[static_cast<std::size_t>(k)];
        if (shown.exists)
            updateDevice(deviceRectOf(k)); // where it stood
        shown = Cell{};
        if (form.Grid.exists(k)) {
            const Label& label = form.Grid(k);
            shown = {true,
                     label.visible,
                     label.left,
                     label.top,
                     label.width,
                     label.height,
                     toQColor(label.backColor.value_or(0)),
                     toQColor(label.foreColor.value_or(0)),
                     label.borderStyle == 1,
                     toQString(label.caption)};
            updateDevice(deviceRectOf(k));
        }
    }
    if (changes.frames) {
        for (const Outline& o : frames_)
            updateDevice(deviceRect(o.left, o.top, o.width, o.height, scale));
        frames_ = form.Frame;
        for (const Outline& o : frames_)
            updateDevice(deviceRect(o.left, o.top, o.width, o.height, scale));
    }
}

void BoardWidget::paintEvent(QPaintEvent* event) {
    const qreal ratio = devicePixelRatio();
    const QPointF shift = deviceShift();
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    if (form_ == nullptr)
        return;
    // From here on one unit is one device pixel, and whole units are whole pixels.
    QTransform device;
    device.scale(1 / ratio, 1 / ratio);
    device.translate(shift.x(), shift.y());
    painter.setTransform(device);
    QRect exposed = device.inverted().mapRect(QRectF(event->rect())).toAlignedRect();
    const BoardPicture picture = boardPicture(*form_, dpi());
    // Every cell is a copy of cell 0, so one font serves them all: made once a paint.
    std::optional<Font> captionFont;
    QFont font;
    for (const PaintedCell& c : picture.cells()) {
        QRect r = toQRect(c.rect);
        if (!r.intersects(exposed))
            continue;
        painter.fillRect(r, toQColor(c.fill));
        if (!c.caption.empty()) {
            // Text is laid out in the window's own units, at its point size.
            painter.save();
            painter.resetTransform();
            painter.setPen(toQColor(c.captionColor));
            if (captionFont != *c.font) {
                captionFont = *c.font;
                font = toQFont(*c.font);
            }
            painter.setFont(font);
            painter.drawText(device.mapRect(QRectF(r)), Qt::AlignCenter, toQString(c.caption));
            painter.restore();
        }
        if (c.marked)
            frame(painter, c.rect, picture.line, toQColor(lineColor));
    }
    for (const DeviceRect& o : picture.outlines)
        frame(painter, o, picture.line, toQColor(lineColor));
}

int BoardWidget::cellAt(QPointF point) const {
    if (form_ == nullptr)
        return -1;
    QPointF device = point * devicePixelRatio() - deviceShift();
    return nudgeboard::cellAt(boardPicture(*form_, dpi()), int(std::floor(device.x())),
                              int(std::floor(device.y())));
}

void BoardWidget::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton ? cellAt(event->position()) : -1;
    event->accept();
}

void BoardWidget::mouseReleaseEvent(QMouseEvent* event) {
    bool click =
        pressed_ >= 0 && event->button() == Qt::LeftButton && cellAt(event->position()) == pressed_;
    int index = pressed_;
    pressed_ = -1;
    event->accept();
    if (click)
        emit clicked(index);
}

} // namespace nudgeboard
