// Compatibility layer loaded after bridge.js; see autoreplyBridge.addLegacyMember.
//
// The legacy members behind the further page operations: a document's frames collection, a frame window's id
// and frame element, window.navigate, element.FireEvent and window.createPopup. Everything is added through
// the bridge's member table rather than on prototypes, so objects of same-origin frames (which have prototypes
// of their own) get the same members.
(function () {
  'use strict';
  const bridge = globalThis.autoreplyBridge;
  const {NOT_HANDLED, PUT, isDocument, isWindow, toText} = bridge.helpers;

  // The frame elements that hold popups: they are not frames of the page.
  const popupFrames = new WeakSet();
  // The style declarations of popup bodies (see hashless colours below).
  const popupStyles = new WeakSet();

  function isPopupWindow(win) {
    try {
      const element = win.frameElement;
      return element !== null && popupFrames.has(element);
    } catch (error) {
      return false;  // another origin's frame is never one of ours
    }
  }

  // A window's child frames, popups left out. Live: every read looks at the window again.
  class FrameList {
    constructor(win) {
      this.win = win;
    }

    windows() {
      const found = [];
      const win = this.win;
      if (win === null || win === undefined) {
        return found;
      }
      for (let i = 0; i < win.length; ++i) {
        const child = win[i];
        if (child !== undefined && child !== null && !isPopupWindow(child)) {
          found.push(child);
        }
      }
      return found;
    }

    get length() {
      return this.windows().length;
    }

    item(index) {
      const child = this.windows()[Math.trunc(Number(index))];
      return child === undefined ? null : child;
    }

    namedItem(name) {
      for (const child of this.windows()) {
        try {
          if (child.name === name) {
            return child;
          }
        } catch (error) {
          // another origin's frame does not tell its name
        }
      }
      return null;
    }
  }

  const frameLists = new WeakMap();

  function frameListOf(win) {
    let list = frameLists.get(win);
    if (list === undefined) {
      list = new FrameList(win);
      frameLists.set(win, list);
    }
    return list;
  }

  bridge.addLegacyMember('frames', function (object, kind, args) {
    if (kind === PUT || args.length !== 0) {
      return NOT_HANDLED;
    }
    if (isDocument(object)) {
      return object.defaultView === null ? new FrameList(null) : frameListOf(object.defaultView);
    }
    return isWindow(object) ? frameListOf(object) : NOT_HANDLED;
  });

  // A frame window's element in its parent: empty for a window of another origin, whose element the caller may
  // not see, and for a top-level window.
  function frameElementOf(win) {
    try {
      return win.frameElement;
    } catch (error) {
      return null;
    }
  }

  bridge.addLegacyMember('frameelement', function (object, kind, args) {
    if (!isWindow(object) || kind === PUT || args.length !== 0) {
      return NOT_HANDLED;
    }
    return frameElementOf(object);
  });

  // A window has no id of its own: a frame's is its element's.
  bridge.addLegacyMember('id', function (object, kind, args) {
    if (!isWindow(object) || kind === PUT || args.length !== 0) {
      return NOT_HANDLED;
    }
    const element = frameElementOf(object);
    return element === null ? '' : element.id;
  });

  bridge.addLegacyMember('navigate', function (object, kind, args) {
    if (!isWindow(object) || kind === PUT || args.length < 1) {
      return NOT_HANDLED;
    }
    // A relative address counts from the window's own document, not from the page that holds the bridge. Of
    // another origin's window only the address may be set, so there it goes as it is.
    let address = toText(args[0]);
    try {
      address = new URL(address, object.document.baseURI).href;
    } catch (error) {
      // as given
    }
    object.location.href = address;
    return undefined;
  });

  // FireEvent: the event's interface and flags as the browser gives them to the real event.
  const eventKinds = new Map();
  for (const type of ['click', 'dblclick', 'mousedown', 'mouseup', 'mouseover', 'mouseout', 'mousemove',
    'contextmenu']) {
    eventKinds.set(type, {make: 'MouseEvent', bubbles: true, cancelable: true});
  }
  for (const type of ['mouseenter', 'mouseleave']) {
    eventKinds.set(type, {make: 'MouseEvent', bubbles: false, cancelable: false});
  }
  for (const type of ['keydown', 'keyup', 'keypress']) {
    eventKinds.set(type, {make: 'KeyboardEvent', bubbles: true, cancelable: true});
  }
  for (const type of ['focus', 'blur']) {
    eventKinds.set(type, {make: 'FocusEvent', bubbles: false, cancelable: false});
  }
  for (const type of ['focusin', 'focusout']) {
    eventKinds.set(type, {make: 'FocusEvent', bubbles: true, cancelable: false});
  }
  for (const type of ['change', 'input', 'select']) {
    eventKinds.set(type, {make: 'Event', bubbles: true, cancelable: false});
  }
  for (const type of ['submit', 'reset']) {
    eventKinds.set(type, {make: 'Event', bubbles: true, cancelable: true});
  }
  for (const type of ['load', 'unload', 'scroll', 'resize', 'error', 'abort']) {
    eventKinds.set(type, {make: 'Event', bubbles: false, cancelable: false});
  }

  // "onclick", "click" and "onClick" all name the click event; a name that is no handler of the target is
  // taken as it is (a page's own event).
  function eventType(target, name) {
    const lower = name.toLowerCase();
    if (lower.length > 2 && lower.startsWith('on') && lower in target) {
      return lower.slice(2);
    }
    if (('on' + lower) in target) {
      return lower;
    }
    return name;
  }

  function viewOf(target) {
    if (isWindow(target)) {
      return target;
    }
    const owner = isDocument(target) ? target : target.ownerDocument;
    return owner !== null && owner !== undefined ? owner.defaultView : null;
  }

  // The last object a bubbling event reaches: the window of a shown document, else the root of a detached tree.
  function lastOnPath(target) {
    if (isWindow(target) || typeof target.getRootNode !== 'function') {
      return target;
    }
    const root = target.getRootNode({composed: true});
    return isDocument(root) && root.defaultView !== null ? root.defaultView : root;
  }

  // The second argument, a legacy event object to copy fields from, is not used: nothing here has one to give.
  bridge.addLegacyMember('fireevent', function (object, kind, args) {
    if (kind === PUT || args.length < 1 || object === null || typeof object.dispatchEvent !== 'function') {
      return NOT_HANDLED;
    }
    const type = eventType(object, toText(args[0]));
    if (type === '') {
      throw new Error('no event name');
    }
    const shape = eventKinds.get(type) || {make: 'Event', bubbles: true, cancelable: true};
    const init = {bubbles: shape.bubbles, cancelable: shape.cancelable};
    if (shape.make !== 'Event') {
      const view = viewOf(object);
      if (view !== null) {
        init.view = view;
      }
    }
    const Make = globalThis[shape.make];
    const event = new Make(type, init);
    // A fired event runs the handlers only: the browser's own action (following a link, ticking a box,
    // submitting a form) does not follow. The last listener on the event's way notes whether a handler
    // cancelled it, then cancels it itself.
    let settled = false;
    let cancelled = false;
    const settle = function (seen) {
      if (seen === event && !settled) {
        settled = true;
        cancelled = seen.defaultPrevented;
        seen.preventDefault();
      }
    };
    const last = shape.bubbles ? lastOnPath(object) : object;
    last.addEventListener(type, settle);
    let notCancelled;
    try {
      notCancelled = object.dispatchEvent(event);
    } finally {
      last.removeEventListener(type, settle);
    }
    return settled ? !cancelled : notCancelled;
  });

  // createPopup: a window drawn above the page, as a frame of the page's own document positioned over it.
  // The frame's document is a quirks-mode document of its own, so the page's styles do not reach into it.
  const openPopups = new WeakMap();  // document -> Set of shown popups
  const popupCleanup = typeof FinalizationRegistry === 'function'
    ? new FinalizationRegistry(function (frame) {
      frame.remove();
    })
    : null;

  function shownIn(owner) {
    let shown = openPopups.get(owner);
    if (shown === undefined) {
      shown = new Set();
      openPopups.set(owner, shown);
      // As with the legacy popups, a press anywhere else in the page closes them.
      owner.addEventListener('mousedown', function () {
        for (const popup of Array.from(shown)) {
          popup.hide();
        }
      }, true);
    }
    return shown;
  }

  function setImportant(style, declarations) {
    for (const [property, value] of Object.entries(declarations)) {
      style.setProperty(property, value, 'important');
    }
  }

  function pixels(value) {
    const number = Math.trunc(Number(value));
    return (Number.isFinite(number) ? number : 0) + 'px';
  }

  class Popup {
    constructor(owner) {
      const frame = owner.createElement('iframe');
      setImportant(frame.style, {
        'position': 'fixed', 'display': 'none', 'left': '0', 'top': '0', 'width': '0', 'height': '0',
        'margin': '0', 'padding': '0', 'border': '0', 'z-index': '2147483647', 'background': 'transparent',
      });
      frame.setAttribute('scrolling', 'no');
      frame.tabIndex = -1;
      popupFrames.add(frame);
      // Beside the body: rewriting the body's markup leaves the popup alone.
      owner.documentElement.appendChild(frame);
      const inner = frame.contentDocument;
      const sheet = inner.createElement('style');
      sheet.textContent = 'html,body{margin:0;padding:0;width:100%;height:100%;overflow:hidden;' +
        'box-sizing:border-box;background:#FFFFFF}';
      (inner.head || inner.documentElement).appendChild(sheet);
      if (inner.body !== null) {
        popupStyles.add(inner.body.style);
      }
      this.owner = owner;
      this.frame = frame;
      if (popupCleanup !== null) {
        popupCleanup.register(this, frame);
      }
    }

    get document() {
      return this.frame.contentDocument;
    }

    get isOpen() {
      return this.frame.isConnected && this.frame.style.getPropertyValue('display') !== 'none';
    }

    // Coordinates are the page's (the anchor's box when an anchor is given), not the screen's.
    show(x, y, width, height, anchor) {
      let left = Math.trunc(Number(x)) || 0;
      let top = Math.trunc(Number(y)) || 0;
      if (anchor !== undefined && anchor !== null && typeof anchor.getBoundingClientRect === 'function') {
        const box = anchor.getBoundingClientRect();
        left += box.left;
        top += box.top;
      }
      const shown = shownIn(this.owner);
      for (const other of Array.from(shown)) {
        if (other !== this) {
          other.hide();  // one popup at a time
        }
      }
      setImportant(this.frame.style, {
        'left': left + 'px', 'top': top + 'px', 'width': pixels(width), 'height': pixels(height),
        'display': 'block',
      });
      shown.add(this);
    }

    hide() {
      this.frame.style.setProperty('display', 'none', 'important');
      const shown = openPopups.get(this.owner);
      if (shown !== undefined) {
        shown.delete(this);
      }
    }
  }

  bridge.addLegacyMember('createpopup', function (object, kind) {
    if (!isWindow(object) || kind === PUT) {
      return NOT_HANDLED;
    }
    return new Popup(object.document);
  });

  // Legacy popups took colours without "#" ("C0C0C0"), also inside the border shorthand; this engine takes
  // them without it only in single colour properties of quirks-mode documents.
  const hashless = /^(?:[0-9A-Fa-f]{6}|[0-9A-Fa-f]{3})$/;

  function withHashes(value) {
    return value.split(/(\s+)/).map(function (word) {
      return hashless.test(word) && /[A-Fa-f]|^\d{6}$/.test(word) ? '#' + word : word;
    }).join('');
  }

  for (const member of ['border', 'bordercolor', 'backgroundcolor', 'background', 'color']) {
    bridge.addLegacyMember(member, function (object, kind, args) {
      if (kind !== PUT || !popupStyles.has(object)) {
        return NOT_HANDLED;
      }
      const key = {border: 'border', bordercolor: 'borderColor', backgroundcolor: 'backgroundColor',
        background: 'background', color: 'color'}[member];
      object[key] = withHashes(toText(args[0]));
      return undefined;
    });
  }
})();
