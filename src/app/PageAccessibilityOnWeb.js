// SPDX-License-Identifier: GPL-3.0-or-later
// The page's half of the game's accessibility bridge (PageAccessibilityOnWeb.cpp): one element per
// accessible object of each shown window, which the browser hands to the screen reader, and the
// news of each move. The elements stand in a clipped box of one pixel beside the game's canvas: they
// take no room and draw nothing, yet the browser's accessibility tree holds them. The game moves the
// page's focus to the element of its focused control; the keys pressed there go on to the game, as
// they would on the canvas, but for Enter and Space on a button, check box or option and a click on
// any control, which press it through its object's own action, and typing into a text box.
// emscripten's optimizer reads this file too, and knows no destructuring.
(function () {
    const roles = { window: 'group', button: 'button', checkbox: 'checkbox', radio: 'radio', radiogroup: 'radiogroup',
                    group: 'group', menubar: 'menubar', menu: 'menu', menuitem: 'menuitem', separator: 'separator' };
    // What a click presses, and what Enter and Space press; in a menu they go on to the game, whose
    // menu closes as it chooses, where an item's own action would leave it open.
    const pressed = { button: 1, checkbox: 1, radio: 1, menuitem: 1 };
    const keyPressed = { button: 1, checkbox: 1, radio: 1 };
    const Disabled = 1, Checked = 2, Hidden = 4, MultiLine = 8, ReadOnly = 16, HasPopup = 32;
    const elements = new Map();
    let box = null, news = null, focused = null, mark = 0;

    function canvas() {
        const given = Module.qtContainerElements && Module.qtContainerElements[0];
        if (given && given.tagName === 'CANVAS')
            return given;
        return (given && given.querySelector('canvas')) || document.querySelector('canvas');
    }

    // The box, made at the first window, beside the canvas so that a reader meets it where the game is.
    function root() {
        if (box)
            return box;
        box = document.createElement('div');
        box.id = 'zarviki-accessibility';
        box.style.cssText = 'position:absolute;width:1px;height:1px;margin:-1px;padding:0;border:0;overflow:hidden;'
                          + 'clip-path:inset(50%);white-space:nowrap';
        news = document.createElement('div');
        news.id = 'zarviki-news';
        news.setAttribute('aria-live', document.ariaNotify ? 'off' : 'polite');
        box.append(news);
        const screen = canvas();
        if (screen)
            screen.after(box);
        else
            document.body.append(box);
        box.addEventListener('keydown', key);
        box.addEventListener('keyup', key);
        box.addEventListener('click', (event) => {
            if (pressed[event.target.zarvikiKind])
                press(event.target);
        });
        box.addEventListener('input', (event) => Module.zarvikiTyped(event.target.zarvikiId, event.target.value));
        // A click on the canvas gives it the page's focus; the element of the game's focus takes it back.
        if (screen)
            screen.addEventListener('focus', () => setTimeout(() => {
                if (focused && focused.isConnected && !focused.closest('[hidden]') && document.activeElement === screen)
                    focused.focus({ preventScroll: true });
            }, 0));
        return box;
    }

    // An element that goes or hides with the page's focus leaves it to the canvas, where the keys still
    // reach the game, until the game's focus moves on.
    function keepFocus(element) {
        const screen = canvas();
        if (screen && element.contains(document.activeElement))
            screen.focus({ preventScroll: true });
    }

    function press(element) {
        if (element.getAttribute('aria-disabled') !== 'true')
            Module.zarvikiActivate(element.zarvikiId);
    }

    // Keys that stay in a text box: its own typing and editing.
    function typing(element, event) {
        if (element.zarvikiKind !== 'textbox' || event.ctrlKey && event.key.length > 1 || event.altKey)
            return false;
        if (event.key === 'Tab' || event.key === 'Escape' || /^F\d+$/.test(event.key))
            return false;
        return event.key !== 'Enter' || element.tagName === 'TEXTAREA';
    }

    // Enter and Space press the control that has the focus; every other key goes on to the game.
    function key(event) {
        const element = event.target;
        const plain = !event.altKey && !event.ctrlKey && !event.metaKey;
        if (plain && keyPressed[element.zarvikiKind] && (event.key === 'Enter' || event.key === ' ')) {
            event.preventDefault();
            if (event.type === 'keydown' && !event.repeat)
                press(element);
            return;
        }
        if (typing(element, event))
            return;
        const screen = canvas();
        const copy = new KeyboardEvent(event.type, {
            key: event.key, code: event.code, location: event.location, repeat: event.repeat,
            ctrlKey: event.ctrlKey, shiftKey: event.shiftKey, altKey: event.altKey, metaKey: event.metaKey,
            keyCode: event.keyCode, which: event.which, charCode: event.charCode, bubbles: true, cancelable: true });
        if (screen && !screen.dispatchEvent(copy))
            event.preventDefault();
    }

    function make(kind, flags) {
        let element;
        if (kind === 'textbox') {
            element = document.createElement(flags & MultiLine ? 'textarea' : 'input');
        } else {
            element = document.createElement('div');
            if (roles[kind])
                element.setAttribute('role', roles[kind]);
        }
        if (pressed[kind] || kind === 'textbox')
            element.tabIndex = -1;
        if (flags & HasPopup)
            element.setAttribute('aria-haspopup', 'menu');
        element.zarvikiKind = kind;
        return element;
    }

    function attribute(element, name, value) {
        if (value === null || value === '') {
            if (element.hasAttribute(name))
                element.removeAttribute(name);
        } else if (element.getAttribute(name) !== value) {
            element.setAttribute(name, value);
        }
    }

    function setName(element, text) {
        if (element.zarvikiKind === 'label') {
            if (element.textContent !== text)
                element.textContent = text;
        } else {
            attribute(element, 'aria-label', text);
        }
    }

    function setStates(element, which, flags) {
        if (which & Disabled)
            attribute(element, 'aria-disabled', flags & Disabled ? 'true' : null);
        if ((which & Checked) && (element.zarvikiKind === 'checkbox' || element.zarvikiKind === 'radio'))
            attribute(element, 'aria-checked', flags & Checked ? 'true' : 'false');
        if ((which & ReadOnly) && element.zarvikiKind === 'textbox')
            element.readOnly = !!(flags & ReadOnly);
        if (which & Hidden)
            hide(element, !!(flags & Hidden));
    }

    function hide(element, hidden) {
        if (hidden)
            keepFocus(element);
        element.hidden = hidden;
    }

    function setValue(element, text) {
        if (element.zarvikiKind === 'textbox' && element.value !== text)
            element.value = text;
    }

    // Puts `element` at `index` among the children of the element `parent` (0: the box), or last.
    function put(element, parent, index) {
        const into = parent ? elements.get(parent) : root();
        if (!into)
            return;
        const before = index >= 0 ? into.children[index + (into === box ? 1 : 0)] : null;
        if (element.parentNode !== into || (index >= 0 && before !== element))
            into.insertBefore(element, index >= 0 ? before || null : null);
        element.zarvikiMark = mark;
    }

    Module.zarvikiPage = {
        // A page may leave the bridge out (zarvikiAccessibility = false before the game loads).
        wanted: () => typeof document !== 'undefined' && globalThis.zarvikiAccessibility !== false,
        has: (id) => elements.has(id) ? 1 : 0,
        create(id, parent, index, kind, name, description, value, flags) {
            const element = make(kind, flags);
            element.zarvikiId = id;
            elements.set(id, element);
            setName(element, name);
            attribute(element, 'aria-description', description);
            setStates(element, Disabled | Checked | ReadOnly | Hidden, flags);
            setValue(element, value);
            put(element, parent, index);
        },
        place(id, parent, index, hidden) {
            const element = elements.get(id);
            if (!element)
                return 0;
            put(element, parent, index);
            hide(element, !!hidden);
            return 1;
        },
        begin: () => { ++mark; },
        // What a window's group holds and the game no longer shows goes.
        end(id) {
            const group = elements.get(id);
            for (const element of group ? group.querySelectorAll('*') : [])
                if (element.zarvikiId !== undefined && element.zarvikiMark !== mark)
                    Module.zarvikiPage.drop(element.zarvikiId);
        },
        drop(id) {
            const element = elements.get(id);
            if (!element)
                return;
            for (const inner of element.querySelectorAll('*'))
                elements.delete(inner.zarvikiId);
            elements.delete(id);
            keepFocus(element);
            element.remove();
        },
        show(id, shown) {
            const element = elements.get(id);
            if (element)
                hide(element, !shown);
        },
        name(id, text) {
            const element = elements.get(id);
            if (element)
                setName(element, text);
        },
        description(id, text) {
            const element = elements.get(id);
            if (element)
                attribute(element, 'aria-description', text);
        },
        states(id, which, flags) {
            const element = elements.get(id);
            if (element)
                setStates(element, which, flags);
        },
        value(id, text) {
            const element = elements.get(id);
            if (element)
                setValue(element, text);
        },
        focus(id) {
            const element = elements.get(id);
            if (!element)
                return;
            focused = element;
            if (document.activeElement !== element)
                element.focus({ preventScroll: true });
        },
        // The news of a move, spoken once even when it is what was said last: a new line in the live
        // region, or the browser's own announcement where it has one.
        say(text) {
            root();
            const line = document.createElement('div');
            line.textContent = text;
            news.replaceChildren(line);
            if (document.ariaNotify)
                document.ariaNotify(text, { priority: 'normal' });
        },
    };
})();
