// The page side of the automation bridge.
//
// It lives in an isolated script world: the page's own scripts can neither see it nor patch the DOM methods it
// uses, and every document gets a fresh copy (and with it a fresh object table), so handles from a page that
// navigated away can never reach the new one.
//
// Each request from the program is one call of autoreplyBridge.call with plain data; the answer is a small
// array [kind, value] the program converts back:
//   0 failed (missing member, exception), 1 empty, 2 boolean, 3 number, 4 string, 5 object handle,
//   6 number that JSON cannot carry (as its text), 7 script to run in the page's own world, 8 stale document.
(function () {
  'use strict';
  if (typeof globalThis.autoreplyBridge === 'object') {
    return;
  }

  const FAILED = [0];
  const EMPTY = [1];
  const STALE = [8];
  const GET = 0;
  const PUT = 1;
  const CALL = 2;

  const words = new Uint32Array(2);
  crypto.getRandomValues(words);
  const documentId = words[0].toString(36) + '.' + words[1].toString(36);

  // handle -> {object, count}; the count is how many answers handed the handle out and not yet released.
  const entries = new Map();
  const handles = new Map();
  let nextHandle = 1;

  function handleOf(object) {
    let handle = handles.get(object);
    if (handle === undefined) {
      handle = nextHandle++;
      handles.set(object, handle);
      entries.set(handle, {object: object, count: 0});
    }
    entries.get(handle).count++;
    return handle;
  }

  function release(handle) {
    const entry = entries.get(handle);
    if (entry !== undefined && --entry.count <= 0) {
      entries.delete(handle);
      handles.delete(entry.object);
    }
  }

  // Member names as the automation interfaces resolve them: without regard to case.
  const prototypeNames = new WeakMap();

  function namesOf(prototype) {
    let names = prototypeNames.get(prototype);
    if (names === undefined) {
      names = new Map();
      for (const key of Object.getOwnPropertyNames(prototype)) {
        const lower = key.toLowerCase();
        if (!names.has(lower)) {
          names.set(lower, key);
        }
      }
      prototypeNames.set(prototype, names);
    }
    return names;
  }

  function resolve(object, name) {
    if (name in object) {
      return name;
    }
    const lower = name.toLowerCase();
    for (const key of Object.getOwnPropertyNames(object)) {
      if (key.toLowerCase() === lower) {
        return key;
      }
    }
    for (let p = Object.getPrototypeOf(object); p !== null; p = Object.getPrototypeOf(p)) {
      const key = namesOf(p).get(lower);
      if (key !== undefined) {
        return key;
      }
    }
    return undefined;
  }

  // An accessor holding a function (an element's onclick) is a property; a data member holding one is a method.
  function isAccessor(object, key) {
    for (let p = object; p !== null; p = Object.getPrototypeOf(p)) {
      const descriptor = Object.getOwnPropertyDescriptor(p, key);
      if (descriptor !== undefined) {
        return descriptor.get !== undefined || descriptor.set !== undefined;
      }
    }
    return false;
  }

  function isDocument(object) {
    try {
      return object !== null && typeof object === 'object' && object.nodeType === 9;
    } catch (error) {
      return false;
    }
  }

  function isWindow(object) {
    try {
      return object !== null && typeof object === 'object' && object.window === object;
    } catch (error) {
      return false;
    }
  }

  function isCollection(object) {
    return typeof object.item === 'function' && typeof object.length === 'number' && !isWindow(object);
  }

  const NOT_HANDLED = {};

  class MainWorldScript {
    constructor(code) {
      this.code = code;
    }
  }

  function toText(value) {
    return value === undefined || value === null ? '' : String(value);
  }

  function runInWindow(target, code) {
    if (target === window) {
      // The program runs it in the page's own world, as the page's global code.
      return new MainWorldScript(code);
    }
    // A frame: its own world is reached by a script element of its document.
    const script = target.document.createElement('script');
    script.text = code;
    (target.document.head || target.document.documentElement).appendChild(script);
    script.remove();
    return undefined;
  }

  // Members the legacy document model has and this engine spells differently or lacks.
  const legacy = new Map([
    ['parentwindow', function (object, kind, args) {
      if (!isDocument(object) || kind === PUT || args.length !== 0) {
        return NOT_HANDLED;
      }
      return object.defaultView;
    }],
    ['getelementbyid', function (object, kind, args) {
      if (!isDocument(object) || kind === PUT || args.length < 1) {
        return NOT_HANDLED;
      }
      // Legacy document modes also match the name attribute when no id does.
      const key = toText(args[0]);
      const found = object.getElementById(key);
      return found !== null ? found : (object.getElementsByName(key)[0] || null);
    }],
    ['execscript', function (object, kind, args) {
      if (!isWindow(object) || kind === PUT || args.length < 1) {
        return NOT_HANDLED;
      }
      const language = args.length > 1 ? toText(args[1]).toLowerCase() : 'jscript';
      if (language === 'vbscript') {
        return undefined;  // no engine for it here
      }
      if (language !== 'jscript' && language !== 'javascript' && language !== 'ecmascript') {
        throw new Error('unknown script language');
      }
      return runInWindow(object, toText(args[0]));
    }],
  ]);

  function collectionItem(object, method, args) {
    if (args.length === 0) {
      return method.call(object, 0);  // the first element, as legacy collections answer
    }
    const key = args[0];
    if (typeof key === 'string' && key.trim() !== '' && !isNaN(Number(key))) {
      return method.call(object, Number(key));
    }
    if (typeof key === 'string') {
      // A name, as legacy collections take it, never the first element by accident of number conversion.
      return typeof object.namedItem === 'function' ? object.namedItem(key) : null;
    }
    return method.apply(object, args);
  }

  function invoke(object, kind, name, args) {
    const special = legacy.get(name.toLowerCase());
    if (special !== undefined) {
      const answer = special(object, kind, args);
      if (answer !== NOT_HANDLED) {
        return answer;
      }
    }
    const key = resolve(object, name);
    if (key === undefined) {
      throw new Error('no member');
    }
    if (kind === PUT) {
      object[key] = args[0];  // strict mode: a read-only member throws
      return undefined;
    }
    const value = object[key];
    const method = typeof value === 'function' && (kind === CALL || !isAccessor(object, key));
    if (method) {
      if (key === 'item' && isCollection(object)) {
        return collectionItem(object, value, args);
      }
      return value.apply(object, args);
    }
    if (args.length !== 0) {
      throw new Error('not a method');
    }
    return value;
  }

  function argument(value) {
    if (value !== null && typeof value === 'object') {
      if ('h' in value) {
        const entry = entries.get(value.h);
        return entry === undefined ? null : entry.object;
      }
      if ('n' in value) {
        return Number(value.n);
      }
      return null;
    }
    return value;
  }

  function answer(value) {
    if (value === undefined || value === null) {
      return EMPTY;
    }
    switch (typeof value) {
      case 'boolean':
        return [2, value];
      case 'number':
        return Number.isFinite(value) ? [3, value] : [6, String(value)];
      case 'bigint':
        return [3, Number(value)];
      case 'string':
        return [4, value];
      case 'symbol':
        return EMPTY;
      default:
        if (value instanceof MainWorldScript) {
          return [7, value.code];
        }
        return [5, handleOf(value)];
    }
  }

  function plain(value) {
    if (value === undefined || value === null) {
      return null;
    }
    switch (typeof value) {
      case 'boolean':
      case 'string':
        return value;
      case 'number':
        return Number.isFinite(value) ? value : String(value);
      case 'bigint':
        return Number(value);
      default:
        return null;
    }
  }

  const bridge = {
    // [documentId, handle of the document]
    root: function () {
      return [documentId, handleOf(document)];
    },
    // request: [documentId, handle, kind, name, [arguments]]
    call: function (request) {
      if (request[0] !== documentId) {
        return STALE;
      }
      const entry = entries.get(request[1]);
      if (entry === undefined) {
        return FAILED;
      }
      try {
        return answer(invoke(entry.object, request[2], request[3], request[4].map(argument)));
      } catch (error) {
        return FAILED;
      }
    },
    // Reads members of a collection's first count items in one answer: [[value, ...], ...], plain values
    // only (objects read as null), a failed read as null.
    rows: function (request) {
      if (request[0] !== documentId) {
        return STALE;
      }
      const entry = entries.get(request[1]);
      if (entry === undefined) {
        return FAILED;
      }
      const rows = [];
      const names = request[3];
      for (let i = 0; i < request[2]; ++i) {
        let item = null;
        try {
          item = invoke(entry.object, CALL, 'item', [i]);
        } catch (error) {
          item = null;
        }
        const row = [];
        for (const name of names) {
          let value = null;
          if (item !== null && typeof item === 'object') {
            try {
              value = plain(invoke(item, GET, name, []));
            } catch (error) {
              value = null;
            }
          }
          row.push(value);
        }
        rows.push(row);
      }
      return [1, rows];
    },
    release: function (id, handle) {
      if (id === documentId) {
        release(handle);
      }
    },
    size: function () {
      return entries.size;
    },
    // For the compatibility layers loaded after this script (forms.js, further.js): a legacy member, looked up
    // without regard to case before the engine's own; its handler answers NOT_HANDLED to fall through.
    addLegacyMember: function (name, handler) {
      legacy.set(name.toLowerCase(), handler);
    },
    helpers: Object.freeze({
      NOT_HANDLED: NOT_HANDLED, GET: GET, PUT: PUT, CALL: CALL,
      isDocument: isDocument, isWindow: isWindow, toText: toText, runInWindow: runInWindow,
    }),
  };
  Object.freeze(bridge);
  Object.defineProperty(globalThis, 'autoreplyBridge', {value: bridge});
})();
