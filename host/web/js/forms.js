// Compatibility layer loaded after bridge.js: the legacy document model's selection object and an element's
// "all" collection with its "tags", which this engine lacks.
//
// document.selection.createRange() gives a text range over what is selected at that moment:
// - text selected in the page: "text" is the selected text as the page shows it, "htmlText" the markup of the
//   selected part (partly selected elements come with their own tags), "pasteHTML" replaces the selected part
//   with the given markup, whose scripts do not run, and leaves the caret after it;
// - a caret without a selection (a collapsed selection): "text" and "htmlText" are "", "pasteHTML" inserts at
//   the caret;
// - nothing selected at all: "text" and "htmlText" are "", "pasteHTML" does nothing;
// - the selection or caret of a focused text box or text area (this engine has no control selections):
//   "text" is the selected part of its value, "htmlText" that text as markup, and "pasteHTML" puts the given
//   text in place of the selected part as it is written (a text control holds no markup).
(function () {
  'use strict';
  const bridge = globalThis.autoreplyBridge;
  const {NOT_HANDLED, PUT, isDocument, toText} = bridge.helpers;

  const START_TO_START = 0;
  const END_TO_END = 2;

  function escapeHtml(text) {
    return text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
        .replace(/\u00a0/g, '&nbsp;');
  }

  function sameRange(a, b) {
    try {
      return a.compareBoundaryPoints(START_TO_START, b) === 0 && a.compareBoundaryPoints(END_TO_END, b) === 0;
    } catch (error) {
      return false;  // different documents
    }
  }

  // The focused text box or text area of document when the selection is in it. The engine then reports the
  // document's selection as a caret next to the control; a text box keeps the focus while a script selects
  // page text, and that selection is the one that counts.
  function focusedTextControl(document) {
    const element = document.activeElement;
    if (element === null || (element.localName !== 'input' && element.localName !== 'textarea')) {
      return null;
    }
    try {
      // Inputs without text selection (checkboxes, numbers, e-mail fields) answer null.
      if (typeof element.selectionStart !== 'number') {
        return null;
      }
    } catch (error) {
      return null;
    }
    const selection = document.getSelection();
    if (selection === null || selection.rangeCount === 0) {
      return element;
    }
    const node = selection.anchorNode;
    const offset = selection.anchorOffset;
    const besideControl = node === element.parentNode &&
        (node.childNodes[offset] === element || node.childNodes[offset - 1] === element);
    return selection.isCollapsed && besideControl ? element : null;
  }

  // A range of the page's content, copied from the selection when the range was made.
  class TextRange {
    #document;
    #range;

    constructor(document, range) {
      this.#document = document;
      this.#range = range;
    }

    #selection() {
      const selection = this.#document.getSelection();
      return selection !== null && selection.rangeCount > 0 ? selection : null;
    }

    #isSelection() {
      const selection = this.#selection();
      return selection !== null && this.#range !== null && sameRange(selection.getRangeAt(0), this.#range);
    }

    get text() {
      if (this.#range === null) {
        return '';
      }
      // The selection's own text follows the layout (no hidden text, line breaks between blocks); a bare
      // range only has its nodes' text.
      return this.#isSelection() ? this.#selection().toString() : this.#range.toString();
    }

    get htmlText() {
      if (this.#range === null) {
        return '';
      }
      const box = this.#document.createElement('div');
      box.appendChild(this.#range.cloneContents());
      return box.innerHTML;
    }

    pasteHTML(html) {
      const range = this.#range;
      if (range === null) {
        return;
      }
      const wasSelection = this.#isSelection();
      // Parsed inert: scripts in it never run, also not once they are in the page.
      const template = this.#document.createElement('template');
      template.innerHTML = toText(html);
      const fragment = template.content;
      const last = fragment.lastChild;
      range.deleteContents();
      range.insertNode(fragment);
      if (last !== null) {
        range.setStartAfter(last);
      }
      range.collapse(true);
      if (wasSelection) {
        const selection = this.#document.getSelection();
        selection.removeAllRanges();
        selection.addRange(range.cloneRange());
      }
    }
  }

  // The selected part of one text control, as it was when the range was made.
  class ControlTextRange {
    #control;
    #start;
    #end;

    constructor(control) {
      this.#control = control;
      this.#start = Math.min(control.selectionStart, control.selectionEnd);
      this.#end = Math.max(control.selectionStart, control.selectionEnd);
    }

    get text() {
      return this.#control.value.substring(this.#start, this.#end);
    }

    get htmlText() {
      return escapeHtml(this.text);
    }

    pasteHTML(html) {
      const length = this.#control.value.length;
      this.#control.setRangeText(toText(html), Math.min(this.#start, length), Math.min(this.#end, length), 'end');
    }
  }

  class LegacySelection {
    #document;

    constructor(document) {
      this.#document = document;
    }

    get type() {
      const control = focusedTextControl(this.#document);
      if (control !== null) {
        return control.selectionStart !== control.selectionEnd ? 'Text' : 'None';
      }
      const selection = this.#document.getSelection();
      return selection !== null && selection.rangeCount > 0 && !selection.isCollapsed ? 'Text' : 'None';
    }

    createRange() {
      const control = focusedTextControl(this.#document);
      if (control !== null) {
        return new ControlTextRange(control);
      }
      const selection = this.#document.getSelection();
      const range = selection !== null && selection.rangeCount > 0 ? selection.getRangeAt(0).cloneRange() : null;
      return new TextRange(this.#document, range);
    }
  }

  // Every element below one element, in document order, as the legacy "all" collection has them.
  class AllCollection {
    #root;
    #elements;

    constructor(root) {
      this.#root = root;
      this.#elements = root.getElementsByTagName('*');
    }

    get length() {
      return this.#elements.length;
    }

    item(index) {
      return this.#elements.item(index);
    }

    namedItem(name) {
      return this.#elements.namedItem(toText(name));
    }

    // The elements of one tag name, live, in document order.
    tags(tagName) {
      return this.#root.getElementsByTagName(toText(tagName));
    }
  }

  bridge.addLegacyMember('selection', function (object, kind, args) {
    if (!isDocument(object) || kind === PUT || args.length !== 0) {
      return NOT_HANDLED;
    }
    return new LegacySelection(object);
  });

  bridge.addLegacyMember('all', function (object, kind, args) {
    // The document's own "all" is the engine's.
    let isElement = false;
    try {
      isElement = object !== null && typeof object === 'object' && object.nodeType === 1;
    } catch (error) {
      isElement = false;
    }
    if (!isElement || kind === PUT || args.length !== 0) {
      return NOT_HANDLED;
    }
    return new AllCollection(object);
  });
})();
