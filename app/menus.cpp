// The menu bar's keyboard walk.
#include "app/menus.h"

#include "play/arrows.h"

namespace nudgeboard {

namespace {
bool isMenuKey(int key) {
    return key == vkAlt || key == vkF10;
}
bool isChoose(int key) {
    return key == vkReturn || key == vkSpace;
}
} // namespace

MenuWalk::Command MenuWalk::keyDown(int key) {
    if (mode_ == Mode::Board) {
        menuKeyAlone_ = isMenuKey(key);
        return {};
    }
    menuKeyAlone_ = false;
    if (isMenuKey(key)) {
        close();
        return {};
    }
    return mode_ == Mode::Bar ? barKey(key) : listKey(key);
}

void MenuWalk::keyUp(int key) {
    if (isMenuKey(key) && menuKeyAlone_ && mode_ == Mode::Board) {
        mode_ = Mode::Bar;
        entry_ = loadLevelEntry;
    }
    menuKeyAlone_ = false;
}

MenuWalk::Command MenuWalk::barKey(int key) {
    if (key == vkLeft || key == vkRight)
        entry_ = resetEntry - entry_; // two entries: either way is the other one
    else if (key == vkEscape)
        mode_ = Mode::Board;
    else if (entry_ == loadLevelEntry && (key == vkDown || key == vkUp || isChoose(key)))
        openList(1); // Up too opens at the first item, as desktop menus do
    else if (entry_ == resetEntry && isChoose(key))
        return chooseReset();
    return {};
}

MenuWalk::Command MenuWalk::listKey(int key) {
    if (key == vkDown) {
        item_ = item_ >= items_ ? 1 : item_ + 1;
    } else if (key == vkUp) {
        item_ = item_ <= 1 ? items_ : item_ - 1;
    } else if (isChoose(key)) {
        if (item_ != 0)
            return chooseItem(item_);
        close();
    } else if (key == vkEscape) {
        mode_ = Mode::Bar;
        item_ = 0;
    } else if (key == vkLeft || key == vkRight) {
        mode_ = Mode::Bar; // the neighbour either way; "Reset" has no list to open
        entry_ = resetEntry;
        item_ = 0;
    }
    return {};
}

void MenuWalk::openList(int lit) {
    mode_ = Mode::List;
    entry_ = loadLevelEntry;
    item_ = lit;
}

void MenuWalk::pressLoadLevel() {
    menuKeyAlone_ = false;
    if (mode_ == Mode::List)
        close();
    else
        openList(0);
}

void MenuWalk::hoverItem(int item, bool over) {
    if (mode_ != Mode::List || item < 1 || item > items_)
        return;
    if (over)
        item_ = item;
    else if (item_ == item)
        item_ = 0;
}

MenuWalk::Command MenuWalk::chooseItem(int item) {
    if (mode_ != Mode::List || item < 1 || item > items_)
        return {};
    close();
    return {Command::Kind::LoadLevel, item};
}

void MenuWalk::pressReset() {
    menuKeyAlone_ = false;
    if (mode_ == Mode::List)
        close();
}

MenuWalk::Command MenuWalk::chooseReset() {
    close();
    return {Command::Kind::Reset, 0};
}

void MenuWalk::close() {
    mode_ = Mode::Board;
    item_ = 0;
    menuKeyAlone_ = false;
}

} // namespace nudgeboard
