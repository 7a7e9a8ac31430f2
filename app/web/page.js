// The page's half of the browser window: its elements, its menus and its input; no game rule.
var nbPage = (function () {
  var bar = document.getElementById('bar');
  var client = document.getElementById('client');
  var list = document.createElement('div');
  var entries = [];  // "Load Level", "Reset" on the menu bar
  var items = [];    // the level list, by level number
  var cells = [];
  var labels = [];
  var frames = [];
  var scale = 1;

  // Who has the keyboard: the board (0), the menu bar with an entry lit (1), or the open level
  // list (2), as in a desktop window's menus.
  var mode = 0;
  var entry = 0;
  var item = 0;      // lit item of the open list, 0 none
  var altAlone = false;
  var pressedCell = -1;
  var swallow = false;

  var fonts = {
    'Times New Roman': '"Times New Roman",Tinos,"Liberation Serif","Nimbus Roman","DejaVu Serif",serif',
    'MS Sans Serif': '"MS Sans Serif","Microsoft Sans Serif",Arimo,"Liberation Sans","DejaVu Sans",sans-serif'
  };
  var vkLeft = 37, vkUp = 38, vkRight = 39, vkDown = 40;
  var vkEnter = 13, vkEscape = 27, vkAlt = 18, vkSpace = 32, vkF10 = 121;

  function css(colour) {
    return 'rgb(' + (colour & 255) + ',' + ((colour >> 8) & 255) + ',' + ((colour >> 16) & 255) + ')';
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
  function font(el, family, weight, points) {
    el.style.font = weight + ' ' + points + 'pt ' + (fonts[family] || '"' + family + '",sans-serif');
  }

  function show() {
    entries[0].className = mode === 2 ? 'open' : mode === 1 && entry === 0 ? 'hot' : '';
    entries[1].className = mode === 1 && entry === 1 ? 'hot' : '';
    list.style.display = mode === 2 ? 'block' : 'none';
    for (var i = 1; i < items.length; ++i)
      items[i].className = i === item ? 'hot' : '';
  }
  function openList(first) {
    mode = 2;
    entry = 0;
    item = first;
    list.style.left = entries[0].offsetLeft + 'px';
    show();
  }
  function closeMenus() {
    mode = 0;
    item = 0;
    show();
  }
  function chooseLevel(index) {
    closeMenus();
    Module['_nb_load_level'](index);
  }
  function chooseReset() {
    closeMenus();
    Module['_nb_reset']();
  }

  // A key that went down while a menu had the keyboard: it walks the menu, never the board.
  function menuKey(key) {
    var count = items.length - 1;
    if (key === vkAlt || key === vkF10) {
      closeMenus();
    } else if (mode === 1) {
      if (key === vkLeft || key === vkRight)
        entry = 1 - entry;
      else if (key === vkEscape)
        mode = 0;
      else if (entry === 0 && (key === vkDown || key === vkUp || key === vkEnter || key === vkSpace))
        return openList(1); // Up too opens at the first item, as desktop menus do
      else if (entry === 1 && (key === vkEnter || key === vkSpace))
        return chooseReset();
    } else if (key === vkDown) {
      item = item >= count ? 1 : item + 1;
    } else if (key === vkUp) {
      item = item <= 1 ? count : item - 1;
    } else if (key === vkEnter || key === vkSpace) {
      return item ? chooseLevel(item) : closeMenus();
    } else if (key === vkEscape) {
      mode = 1;
      item = 0;
    } else if (key === vkLeft || key === vkRight) {
      mode = 1;
      entry = 1; // the neighbour either way; "Reset" has no list to open
      item = 0;
    }
    show();
  }

  function keyCode(e) {
    return e.keyCode & 255; // the browser's codes are the game's (Windows virtual keys)
  }
  function isArrow(key) {
    return key >= vkLeft && key <= vkDown;
  }
  // Alt and F10 alike give the menu bar the keyboard, as on the desktop.
  function isMenuKey(key) {
    return key === vkAlt || key === vkF10;
  }

  function onKeyDown(e) {
    var key = keyCode(e);
    // Arrows never scroll, Alt and F10 never reach the browser's own menus.
    if (isArrow(key) || isMenuKey(key) || key === vkSpace) e.preventDefault();
    if (mode !== 0) {
      altAlone = false;
      e.preventDefault();
      menuKey(key);
      return;
    }
    altAlone = isMenuKey(key);
    Module['_nb_key_down'](key);
  }
  function onKeyUp(e) {
    var key = keyCode(e);
    if (isArrow(key) || isMenuKey(key) || key === vkSpace) e.preventDefault();
    Module['_nb_key_up'](key, mode !== 0 ? 1 : 0);
    // Alt or F10 pressed and released alone lights the menu bar, as on the desktop.
    if (isMenuKey(key) && altAlone && mode === 0) {
      mode = 1;
      entry = 0;
      show();
    }
    altAlone = false;
  }

  // The cell under the pointer, by the core's hit test in device pixels of the client area.
  function cellOf(e) {
    var box = client.getBoundingClientRect();
    return Module['_nb_cell_at'](Math.floor((e.clientX - box.left) * scale),
                                 Math.floor((e.clientY - box.top) * scale));
  }
  function onMouseDown(e) {
    altAlone = false;
    if (e.target.closest('#bar') || e.target.closest('.list')) return;
    e.preventDefault();
    // A press outside an open menu only closes it, as on the desktop.
    if (mode !== 0) {
      closeMenus();
      swallow = true;
      return;
    }
    if (e.button === 0) pressedCell = cellOf(e);
  }
  function onMouseUp(e) {
    if (e.button !== 0) return;
    var pressed = pressedCell;
    pressedCell = -1;
    if (swallow) {
      swallow = false;
      return;
    }
    // A click is a press and a release on the same cell.
    if (pressed >= 0 && cellOf(e) === pressed) Module['_nb_click'](pressed);
  }

  function watchScale() {
    scale = window.devicePixelRatio || 1;
    var query = window.matchMedia('(resolution: ' + scale + 'dppx)');
    query.addEventListener('change', function changed() {
      query.removeEventListener('change', changed);
      watchScale();
      Module['_nb_rescale']();
    });
  }
  watchScale();

  // A browser without WebAssembly (or one that refuses it) gets a sentence, not a blank page.
  Module['onAbort'] = function () {
    client.textContent = 'Nudgeboard could not start: this browser does not run its WebAssembly.';
  };

  return {
    dpi: function () {
      return Math.round(scale * 96);
    },
    title: function (text) {
      document.title = text;
    },
    client: function (width, height) {
      client.style.width = px(width);
      client.style.height = px(height);
    },
    menuBar: function (loadLevel, reset) {
      [loadLevel, reset].forEach(function (caption, i) {
        var el = document.createElement('span');
        el.textContent = caption;
        bar.appendChild(el);
        entries[i] = el;
      });
      entries[0].addEventListener('mousedown', function (e) {
        if (e.button !== 0) return;
        e.preventDefault();
        if (mode === 2) closeMenus();
        else openList(0); // by mouse: no item lit yet
      });
      entries[1].addEventListener('mousedown', function (e) {
        e.preventDefault();
        if (mode === 2) closeMenus();
      });
      entries[1].addEventListener('click', chooseReset);
      list.className = 'list';
      bar.appendChild(list);
      items[0] = null;
      show();
    },
    menuItem: function (index, caption) {
      var el = document.createElement('div');
      el.textContent = caption;
      el.addEventListener('mouseenter', function () {
        item = index;
        show();
      });
      el.addEventListener('mouseleave', function () {
        if (item === index) item = 0;
        show();
      });
      el.addEventListener('mousedown', function (e) {
        e.preventDefault();
      });
      el.addEventListener('mouseup', function (e) {
        if (e.button === 0) chooseLevel(index);
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
    cell: function (k, left, top, width, height, back, fore, caption, line, layer, visible, family, weight, points) {
      var el = cells[k];
      if (!el) {
        el = child(cells, k, 'c');
        el.dataset.k = k;
        font(el, family, weight, points); // a cell's font is fixed for its life
      }
      place(el, left, top, width, height);
      el.style.background = css(back);
      el.style.color = css(fore);
      // The mark lies inside the cell; the core says which cell lies above which.
      el.style.border = line ? px(line) + ' solid #000' : 'none';
      el.style.zIndex = 1 + layer;
      el.style.visibility = visible ? 'visible' : 'hidden';
      if (el.textContent !== caption) el.textContent = caption;
    },
    label: function (which, left, top, width, height, back, fore, caption, visible, family, weight, points) {
      var el = labels[which] || child(labels, which, 'l');
      place(el, left, top, width, height);
      el.style.background = back < 0 ? 'transparent' : css(back);
      el.style.color = fore < 0 ? '' : css(fore);
      font(el, family, weight, points);
      el.style.visibility = visible ? 'visible' : 'hidden';
      if (el.textContent !== caption) el.textContent = caption;
    },
    frame: function (f, left, top, width, height, line, layer) {
      var el = frames[f] || child(frames, f, 'f');
      place(el, left, top, width, height);
      el.style.zIndex = 1 + layer;
      el.style.borderWidth = px(line);
    },
    listen: function () {
      window.addEventListener('keydown', onKeyDown, true);
      window.addEventListener('keyup', onKeyUp, true);
      window.addEventListener('mousedown', onMouseDown, true);
      window.addEventListener('mouseup', onMouseUp, true);
      window.addEventListener('contextmenu', function (e) {
        e.preventDefault();
      });
      // Keys held while the page loses the keyboard come up elsewhere.
      window.addEventListener('blur', function () {
        closeMenus();
        Module['_nb_forget_keys']();
      });
    }
  };
})();
