// The functions the C++ side calls on the page (declared in webpage.cpp), handed to page.js.
mergeInto(LibraryManager.library, {
  page_dpi: function () {
    return nbPage.dpi();
  },
  page_title: function (title) {
    nbPage.title(UTF8ToString(title));
  },
  page_room_width: function () {
    return nbPage.room()[0];
  },
  page_room_height: function () {
    return nbPage.room()[1];
  },
  page_window: function (barHeight, width, height, dpi) {
    nbPage.window(barHeight, width, height, dpi);
  },
  page_board: function (board, name) {
    nbPage.board(board, UTF8ToString(name));
  },
  page_menu_bar: function (loadLevel, reset) {
    nbPage.menuBar(UTF8ToString(loadLevel), UTF8ToString(reset));
  },
  page_menu_item: function (index, caption) {
    nbPage.menuItem(index, UTF8ToString(caption));
  },
  page_drop_cells: function () {
    nbPage.dropCells();
  },
  page_drop_cell: function (k) {
    nbPage.dropCell(k);
  },
  page_cell: function (k, left, top, width, height, back, fore, caption, line, layer, visible,
                       family, weight, points, board, row, spoken) {
    nbPage.cell(k, left, top, width, height, back, fore, UTF8ToString(caption), line, layer,
                visible, UTF8ToString(family), weight, points, board, row, UTF8ToString(spoken));
  },
  page_label: function (which, left, top, width, height, back, fore, caption, visible, family,
                        weight, points) {
    nbPage.label(which, left, top, width, height, back, fore, UTF8ToString(caption), visible,
                 UTF8ToString(family), weight, points);
  },
  page_announce: function (text) {
    nbPage.announce(UTF8ToString(text));
  },
  page_frame: function (f, left, top, width, height, line, layer) {
    nbPage.frame(f, left, top, width, height, line, layer);
  },
  page_menus: function (mode, entry, item) {
    nbPage.menus(mode, entry, item);
  },
  page_listen: function () {
    nbPage.listen();
  }
});
