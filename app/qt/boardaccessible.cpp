#include "app/qt/boardaccessible.h"

#include "app/form1.h"
#include "app/qt/boardwidget.h"
#include "app/spoken.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWindow>
#include <array>
#include <memory>

namespace nudgeboard {

namespace {

// The parts below are not widgets: they ask the board widget for what it shows, and Qt keeps
// them by id, so each is registered once and removed with the board.
class TableAccessible;

class CellAccessible : public QAccessibleInterface,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface {
public:
    CellAccessible(TableAccessible* table, BoardWidget* board, int index)
        : table_(table), board_(board), index_(index) {}

    bool isValid() const override { return board_->form() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return board_->window()->windowHandle(); }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? toQString(cellText(*board_->form(), index_))
                                                   : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return board_->screenRectOf(index_); }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.selectable = true;
        s.selected = isSelected();
        s.invisible = !board_->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // The cell's place in its own board.
    bool isSelected() const override {
        const Form1* form = board_->form();
        return form != nullptr && form->Grid.exists(index_) && form->Grid(index_).borderStyle == 1;
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return columnOf(index_); }
    int rowIndex() const override { return rowOf(index_); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    // Pressing is the mouse's click, down to the same signal.
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid())
            board_->press(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    TableAccessible* table_;
    BoardWidget* board_;
    int index_;
};

class TableAccessible : public QAccessibleInterface, public QAccessibleTableInterface {
public:
    TableAccessible(QAccessibleInterface* parent, BoardWidget* board, int first)
        : parent_(parent), board_(board), first_(first) {
        for (int i = 0; i < playCells; ++i) {
            auto cell = std::make_unique<CellAccessible>(this, board, first + i);
            ids_[static_cast<std::size_t>(i)] =
                QAccessible::registerAccessibleInterface(cell.get());
            cells_[static_cast<std::size_t>(i)] = cell.release(); // Qt's now
        }
    }
    ~TableAccessible() override {
        for (QAccessible::Id id : ids_)
            QAccessible::deleteAccessibleInterface(id);
    }
    CellAccessible* cell(int i) const { return cells_[static_cast<std::size_t>(i)]; }

    bool isValid() const override { return board_->form() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return board_->window()->windowHandle(); }
    QAccessibleInterface* childAt(int x, int y) const override {
        int k = board_->cellAtScreen(QPoint(x, y));
        return k >= first_ && k < first_ + playCells ? cell(k - first_) : nullptr;
    }
    QAccessibleInterface* parent() const override { return parent_; }
    QAccessibleInterface* child(int i) const override {
        return i >= 0 && i < playCells ? cell(i) : nullptr;
    }
    int childCount() const override { return playCells; }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < playCells; ++i)
            if (cell(i) == child)
                return i;
        return -1;
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? toQString(boardName(first_)) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        return board_->screenRectOf(first_).united(board_->screenRectOf(first_ + playCells - 1));
    }
    QAccessible::Role role() const override { return QAccessible::Table; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = !board_->isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                                   : nullptr;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return onBoard(row, column) ? cell(cellIndex(row, column)) : nullptr;
    }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> marked;
        for (int i = 0; i < playCells; ++i)
            if (cell(i)->isSelected())
                marked.append(cell(i));
        return marked;
    }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return boardSide; }
    int rowCount() const override { return boardSide; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    // A selection is made by pressing a cell, as with the mouse; rows and columns are not pieces.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    QAccessibleInterface* parent_;
    BoardWidget* board_;
    int first_;
    std::array<CellAccessible*, playCells> cells_{};
    std::array<QAccessible::Id, playCells> ids_{};
};

QAccessibleInterface* CellAccessible::parent() const {
    return table_;
}

class BoardAccessible : public QAccessibleWidget {
public:
    explicit BoardAccessible(BoardWidget* board) : QAccessibleWidget(board, QAccessible::Client) {
        for (int b = 0; b < 2; ++b) {
            auto table = std::make_unique<TableAccessible>(this, board, b * goalOffset);
            ids_[static_cast<std::size_t>(b)] =
                QAccessible::registerAccessibleInterface(table.get());
            tables_[static_cast<std::size_t>(b)] = table.release();
        }
    }
    ~BoardAccessible() override {
        for (QAccessible::Id id : ids_)
            QAccessible::deleteAccessibleInterface(id);
    }
    CellAccessible* cell(int index) const {
        return tables_[static_cast<std::size_t>(index / playCells)]->cell(index % playCells);
    }

    int childCount() const override { return 2; }
    QAccessibleInterface* child(int i) const override {
        return i == 0 || i == 1 ? tables_[static_cast<std::size_t>(i)] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child == tables_[0] ? 0 : child == tables_[1] ? 1 : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        int k = static_cast<BoardWidget*>(widget())->cellAtScreen(QPoint(x, y));
        return k < 0 ? nullptr : tables_[static_cast<std::size_t>(k / playCells)];
    }

private:
    std::array<TableAccessible*, 2> tables_{};
    std::array<QAccessible::Id, 2> ids_{};
};

const QString announcerName = QStringLiteral("nudgeboard-announcer");

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String(BoardWidget::staticMetaObject.className()))
        return new BoardAccessible(static_cast<BoardWidget*>(object));
    if (className == QLatin1String("QWidget") && object->objectName() == announcerName)
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification);
    return nullptr;
}

} // namespace

QWidget* makeAnnouncer(QWidget* parent) {
    installBoardAccessibility();
    auto* announcer = new QWidget(parent);
    announcer->setObjectName(announcerName);
    announcer->setAttribute(Qt::WA_TransparentForMouseEvents);
    announcer->setFocusPolicy(Qt::NoFocus);
    announcer->setGeometry(0, 0, 0, 0);
    announcer->hide();
    return announcer;
}

void announce(QWidget* announcer, const QString& text) {
    if (!QAccessible::isActive() || text.isEmpty())
        return;
    announcer->hide();
    announcer->setAccessibleName(text);
    announcer->show();
}

void installBoardAccessibility() {
    static const bool installed = (QAccessible::installFactory(factory), true);
    (void)installed;
}

void announceCells(BoardWidget* board, const Changes& changes) {
    if (!QAccessible::isActive())
        return;
    auto* boards = static_cast<BoardAccessible*>(QAccessible::queryAccessibleInterface(board));
    for (int k = 0; k < cellCount; ++k) {
        if (!changes.cells.test(static_cast<std::size_t>(k)))
            continue;
        CellAccessible* cell = boards->cell(k);
        QAccessibleEvent named(cell, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
        QAccessible::State selected;
        selected.selected = true;
        QAccessibleStateChangeEvent marked(cell, selected);
        QAccessible::updateAccessibility(&marked);
    }
}

} // namespace nudgeboard
