// The page's half of the browser window: its elements, its menus and its input; no game rule.
var nbPage = (function () {
  var bar = document.getElementById('bar');
  var client = document.getElementById('client');
  var list = document.createElement('div');
  var entries = [];  // "Load Level", "Reset" on the menu bar
  var items = [];    // the level list, by level number
  var cells = [];
  var grids = [];      // the play and goal boards as a screen reader's grids: rows of cells
  var rows = [[], []];
  var said = null;     // what a screen reader says at once; seen by no one
  var labels = [];
  var frames = [];
  var scale = 1;  // device pixels per CSS pixel
  var unit = 1;   // CSS pixels per design pixel of the window, 1 but on a fitted one
  var room = [0, 0];

  // The menus' state, as the game's core last drew it: who has the keyboard, the board (0), the
  // menu bar with an entry lit (1) or the open level list (2), and what is lit.
  var mode = 0;
  var pressedCell = -1;
  var swallow = false;
  // The click event that follows a press belongs to the mouse path, which has already acted on
  // the press and its release.
  var clickIsMouse = false;

  var fonts = {
    'Times New Roman': '"Times New Roman",Tinos,"Liberation Serif","Nimbus Roman","DejaVu Serif",serif',
    'MS Sans Serif': '"MS Sans Serif","Microsoft Sans Serif",Arimo,"Liberation Sans","DejaVu Sans",sans-serif'
  };

  function css(color) {
    return 'rgb(' + (color & 255) + ',' + ((color >> 8) & 255) + ',' + ((color >> 16) & 255) + ')';
  }
  function px(devicePixels) {
    return devicePixels / scale + 'px';
  }
  function place(el, left, top, width, height) {
    el.style.left = px(left);
    el.style.top = px(top);
    el.style.width = px(width);
    el.style.height = px(height);
  }
  // A new element of the client area, kept in `store` under `key`.
  function child(store, key, className) {
    var el = (store[key] = document.createElement('div'));
    el.className = className;
    client.appendChild(el);
    return el;
  }
  // Puts `el` among its parent's children in the order of their `order`, as a screen reader
  // walks them: a cell dropped and made again goes back to its place in the row.
  function insertInOrder(parent, el, order) {
    el.order = order;
    var next = parent.firstChild;
    while (next && next.order < order) next = next.nextSibling;
    parent.insertBefore(el, next);
  }
  function gridRow(board, row) {
    var el = rows[board][row];
    if (!el) {
      el = rows[board][row] = document.createElement('div');
      el.setAttribute('role', 'row');
      insertInOrder(grids[board], el, row);
    }
    return el;
  }
  // A font at the window's scale, set only when it changes.
  function font(el, family, weight, points) {
    var css = weight + ' ' + points * unit + 'pt ' + (fonts[family] || '"' + family + '",sans-serif');
    if (el.fontCss === css) return;
    el.fontCss = css;
    el.style.font = css;
  }

  // Draws the menus as the core's walk stands.
  function showMenus(nowMode, entry, item) {
    mode = nowMode;
    entries[0].className = mode === 2 ? 'open' : mode === 1 && entry === 0 ? 'hot' : '';
    entries[0].setAttribute('aria-expanded', mode === 2 ? 'true' : 'false');
    entries[1].className = mode === 1 && entry === 1 ? 'hot' : '';
    list.style.left = entries[0].offsetLeft + 'px';
    list.style.display = mode === 2 ? 'block' : 'none';
    for (var i = 1; i < items.length; ++i)
      items[i].className = i === item ? 'hot' : '';
  }

  // The browser's key codes are the game's (Windows virtual keys); the game says which keys are
  // its own, to be kept from the browser.
  function onKeyDown(e) {
    if (Module['_nb_key_down'](e.keyCode & 255)) e.preventDefault();
  }
  function onKeyUp(e) {
    if (Module['_nb_key_up'](e.keyCode & 255)) e.preventDefault();
  }

  // A point of the pointer or a finger in device pixels of the client area.
  function devicePoint(e) {
    var box = client.getBoundingClientRect();
    return [Math.floor((e.clientX - box.left) * scale), Math.floor((e.clientY - box.top) * scale)];
  }
  // The cell under the pointer, by the core's hit test.
  function cellOf(e) {
    var at = devicePoint(e);
    return Module['_nb_cell_at'](at[0], at[1]);
  }
  // A press on the client area. One outside an open menu only closes it, as on the desktop; with
  // none open it still ends a tap of Alt. Says whether a menu was open.
  function press(button, cell) {
    var menuOpen = mode !== 0;
    Module['_nb_menu_close']();
    if (menuOpen) swallow = true;
    else if (button === 0) pressedCell = cell;
    return menuOpen;
  }
  function release(cell) {
    var pressed = pressedCell;
    pressedCell = -1;
    if (swallow) {
      swallow = false;
      return;
    }
    // A click is a press and a release on the same cell.
    if (pressed >= 0 && cell === pressed) Module['_nb_click'](pressed);
  }
  function onMouseDown(e) {
    if (e.target.closest('#bar') || e.target.closest('.list')) return;
    e.preventDefault();
    var cell = cellOf(e);
    var menuOpen = press(e.button, cell);
    // A player's press, or one the board took (a screen reader's made-up press on a cell), owns
    // the click event that follows; a made-up press that hit nothing leaves it to onClick.
    clickIsMouse = e.isTrusted || menuOpen || (e.button === 0 && cell >= 0);
  }
  function onMouseUp(e) {
    // The click event a release brings comes in this same task, or not at all.
    setTimeout(function () {
      clickIsMouse = false;
    }, 0);
    if (e.button !== 0) return;
    release(cellOf(e));
  }
  // A click on a cell with no press of its own is a screen reader activating the cell: it goes
  // the mouse's way, as a press and a release on that cell.
  function onClick(e) {
    var mouse = clickIsMouse;
    clickIsMouse = false;
    var el = e.target.closest && e.target.closest('#client .c');
    if (mouse || !el) return;
    var k = Number(el.dataset.k);
    press(0, k);
    release(k);
  }

  // Fingers on the client area go to the core, which tells taps from swipes. Their events are
  // the page's alone: nothing scrolls or zooms, and no made-up mouse events or click follow a tap.
  // Fingers on the menus are left to the browser, whose made-up clicks open and choose them.
  function onTouch(e) {
    if (!e.target.closest || !e.target.closest('#client')) return;
    e.preventDefault();
    for (var i = 0; i < e.changedTouches.length; ++i) {
      var at = devicePoint(e.changedTouches[i]);
      if (e.type === 'touchstart') Module['_nb_finger_down'](at[0], at[1]);
      else if (e.type === 'touchend') Module['_nb_finger_up'](at[0], at[1]);
      else if (e.type === 'touchcancel') Module['_nb_finger_lost']();
    }
  }

  // A phone or tablet (a coarse pointer, or a viewport narrower than the window) gets the window
  // fitted to its viewport: the room in device pixels, for the core to scale to. Elsewhere none.
  var coarse = window.matchMedia('(pointer: coarse)');
  var designWidth = 290;
  function measureRoom() {
    var view = document.documentElement;
    var fit = coarse.matches || view.clientWidth < designWidth;
    return fit ? [Math.floor(view.clientWidth * scale), Math.floor(view.clientHeight * scale)] : [0, 0];
  }
  // A turn of the phone, a resized viewport or another pointer: drawn afresh if the room changed.
  function watchRoom() {
    var now = measureRoom();
    if (now[0] === room[0] && now[1] === room[1]) return;
    room = now;
    Module['_nb_rescale']();
  }

  function watchScale() {
    scale = window.devicePixelRatio || 1;
    var query = window.matchMedia('(resolution: ' + scale + 'dppx)');
    query.addEventListener('change', function changed() {
      query.removeEventListener('change', changed);
      watchScale();
  room = measureRoom();
      room = measureRoom();
      Module['_nb_rescale']();
    });
  }
  watchScale();

  // A browser without WebAssembly (or one that refuses it) gets a sentence, not a blank page.
  Module['onAbort'] = function () {
    client.textContent = 'Nudgeboard could not start: this browser does not run its WebAssembly.';
  };

  return {
    menus: showMenus,
    dpi: function () {
      return Math.round(scale * 96);
    },
    title: function (text) {
      document.title = text;
      client.setAttribute('aria-label', text);
    },
    board: function (board, name) {
      var el = (grids[board] = document.createElement('div'));
      el.setAttribute('role', 'grid');
      el.setAttribute('aria-label', name);
      client.appendChild(el);
    },
    room: function () {
      return room;
    },
    window: function (barHeight, width, height, dpi) {
      unit = dpi / 96 / scale;
      document.documentElement.style.setProperty('--u', String(unit));
      bar.style.height = bar.style.lineHeight = px(barHeight);
      client.style.width = px(width);
      client.style.height = px(height);
    },
    menuBar: function (loadLevel, reset) {
      bar.setAttribute('role', 'menubar');
      [loadLevel, reset].forEach(function (caption, i) {
        var el = document.createElement('span');
        el.setAttribute('role', 'menuitem');
        el.textContent = caption;
        bar.appendChild(el);
        entries[i] = el;
      });
      entries[0].addEventListener('mousedown', function (e) {
        if (e.button !== 0) return;
        e.preventDefault();
        Module['_nb_menu_press_load_level']();
      });
      entries[1].addEventListener('mousedown', function (e) {
        e.preventDefault();
        Module['_nb_menu_press_reset']();
      });
      entries[1].addEventListener('click', function () {
        Module['_nb_menu_choose_reset']();
      });
      entries[0].setAttribute('aria-haspopup', 'true');
      entries[0].setAttribute('aria-controls', 'levels');
      list.className = 'list';
      list.id = 'levels';
      list.setAttribute('role', 'menu');
      bar.appendChild(list);
      items[0] = null;
    },
    menuItem: function (index, caption) {
      var el = document.createElement('div');
      el.setAttribute('role', 'menuitem');
      el.textContent = caption;
      el.addEventListener('mouseenter', function () {
        Module['_nb_menu_hover'](index, 1);
      });
      el.addEventListener('mouseleave', function () {
        Module['_nb_menu_hover'](index, 0);
      });
      el.addEventListener('mousedown', function (e) {
        e.preventDefault();
      });
      el.addEventListener('mouseup', function (e) {
        if (e.button === 0) Module['_nb_menu_choose_item'](index);
      });
      list.appendChild(el);
      items[index] = el;
    },
    dropCells: function () {
      cells.forEach(function (el) {
        if (el) el.remove();
      });
      cells = [];
    },
    dropCell: function (k) {
      if (cells[k]) cells[k].remove();
      cells[k] = null;
    },
    cell: function (k, left, top, width, height, back, fore, caption, line, layer, visible, family, weight, points,
                    board, row, spoken) {
      var el = cells[k];
      if (!el) {
        el = cells[k] = document.createElement('div');
        el.className = 'c';
        el.dataset.k = k;
        el.setAttribute('role', 'gridcell');
        insertInOrder(gridRow(board, row), el, k);
      }
      font(el, family, weight, points);
      place(el, left, top, width, height);
      el.style.background = css(back);
      el.style.color = css(fore);
      // The mark lies inside the cell; the core says which cell lies above which.
      el.style.border = line ? px(line) + ' solid #000' : 'none';
      el.style.zIndex = 1 + layer;
      el.style.visibility = visible ? 'visible' : 'hidden';
      if (el.textContent !== caption) el.textContent = caption;
      // The mark is the selection; a screen reader hears a change only where there is one.
      var selected = line ? 'true' : 'false';
      if (el.getAttribute('aria-selected') !== selected) el.setAttribute('aria-selected', selected);
      if (el.getAttribute('aria-label') !== spoken) el.setAttribute('aria-label', spoken);
    },
    label: function (which, left, top, width, height, back, fore, caption, visible, family, weight, points) {
      var el = labels[which];
      if (!el) {
        el = child(labels, which, 'l');
        // The counter is read out after each move, when the reader is free.
        if (which === 1) el.setAttribute('aria-live', 'polite');
      }
      place(el, left, top, width, height);
      el.style.background = back < 0 ? 'transparent' : css(back);
      el.style.color = fore < 0 ? '' : css(fore);
      font(el, family, weight, points);
      el.style.visibility = visible ? 'visible' : 'hidden';
      if (el.textContent !== caption) el.textContent = caption;
    },
    announce: function (text) {
      if (!said) {
        // Made before its first words: a screen reader reads changes to a live region it knows.
        said = document.createElement('div');
        said.className = 'said';
        said.setAttribute('aria-live', 'assertive');
        client.appendChild(said);
      }
      if (said.textContent !== text) said.textContent = text;
    },
    frame: function (f, left, top, width, height, line, layer) {
      var el = frames[f] || child(frames, f, 'f');
      place(el, left, top, width, height);
      el.style.zIndex = 1 + layer;
      el.style.borderWidth = px(line);
    },
    listen: function () {
      // The keyboard rests in the application region, so a screen reader there passes the arrow
      // keys to the game rather than reading the page with them. Nothing shows it.
      client.focus({ preventScroll: true });
      window.addEventListener('keydown', onKeyDown, true);
      window.addEventListener('keyup', onKeyUp, true);
      window.addEventListener('mousedown', onMouseDown, true);
      window.addEventListener('mouseup', onMouseUp, true);
      window.addEventListener('click', onClick, true);
      ['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function (type) {
        window.addEventListener(type, onTouch, { capture: true, passive: false });
      });
      window.addEventListener('resize', watchRoom);
      window.addEventListener('orientationchange', watchRoom);
      coarse.addEventListener('change', watchRoom);
      window.addEventListener('contextmenu', function (e) {
        e.preventDefault();
      });
      // Keys held while the page loses the keyboard come up elsewhere.
      window.addEventListener('blur', function () {
        Module['_nb_menu_close']();
        Module['_nb_forget_keys']();
      });
    }
  };
})();
