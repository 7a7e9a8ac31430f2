// How a cell and a board outline look on screen: flat colour, one-pixel black mark, centred text.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <string_view>

namespace nudgeboard {

struct Label;
struct Font;

class CellWidget : public QWidget {
    Q_OBJECT
public:
    CellWidget(int index, QWidget* parent);
    int index() const { return index_; }
    // Takes over what the core says the cell shows; repaints only on a change. Says whether
    // the cell rose above its neighbours to show a new mark.
    bool mirror(const Label& cell);

    QColor color() const { return color_; }
    bool marked() const { return marked_; }
    QString caption() const { return caption_; }

signals:
    void clicked(int index);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int index_;
    QColor color_;
    QColor textColor_;
    bool marked_ = false;
    QString caption_;
    bool pressed_ = false;
    bool fontSet_ = false;
};

class OutlineWidget : public QWidget {
    Q_OBJECT
public:
    explicit OutlineWidget(QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
};

QColor toQColor(int rgb);
QFont toQFont(const Font& font);
QString toQString(std::string_view text);

} // namespace nudgeboard
