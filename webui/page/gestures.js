// User gestures on a parameter control, turned into the bracketed edit
// messages the host expects: one "b" with the value the gesture starts from,
// "s" for every change, one "e" with the last value, all for one index.
// Values are snapped and clamped as the host would, and a gesture that
// changes nothing sends nothing. All functions run on the [web UI thread].
(function () {
  "use strict";
  const V = window.Oka.values;
  const B = window.Oka.bridge;
  const P = window.OKA_PARAMS;

  const DRAG_PIXELS = 240;   // pixels of vertical travel for the full range
  const FINE = 0.1;          // Shift scales drag and wheel steps by this
  const WHEEL_STEP = 0.01;   // normalized step per wheel notch or arrow key

  function begin(index) {
    return { index, start: B.get(index), last: B.get(index), began: false };
  }

  function change(g, plain) {
    const v = Math.fround(V.snapAndClamp(P[g.index], plain));
    if (v === g.last) return;
    if (!g.began) {
      B.sendEdit("b", g.index, g.start);
      g.began = true;
    }
    B.sendEdit("s", g.index, v);
    g.last = v;
    B.setLocal(g.index, v);
  }

  function end(g) {
    if (g.began) B.sendEdit("e", g.index, g.last);
    g.began = false;
  }

  // One complete gesture to a single new value (wheel, key, reset, entry).
  function editOnce(index, plain) {
    if (!B.known(index)) return;
    const g = begin(index);
    change(g, plain);
    end(g);
  }

  function stepBy(index, steps) {
    const p = P[index];
    const v = B.get(index);
    if (V.isSwitch(p)) return editOnce(index, steps > 0 ? 1 : 0);
    if (V.isInteger(p)) {
      return editOnce(index, v + Math.sign(steps) * Math.max(1, Math.round(Math.abs(steps))));
    }
    const n = V.toNormalized(p, v) + steps * WHEEL_STEP;
    editOnce(index, V.toPlain(p, Math.min(1, Math.max(0, n))));
  }

  function resetToDefault(index) { editOnce(index, P[index].def); }

  function attachDrag(el, index) {
    let g = null, lastY = 0, norm = 0;
    el.addEventListener("pointerdown", ev => {
      if (ev.button !== 0 || !B.known(index)) return;
      el.setPointerCapture(ev.pointerId);
      g = begin(index);
      lastY = ev.clientY;
      norm = V.toNormalized(P[index], B.get(index));
      el.focus();
      ev.preventDefault();
    });
    el.addEventListener("pointermove", ev => {
      if (!g) return;
      // Scale by the stage's zoom so the feel is the same at every window size.
      const scale = el.getBoundingClientRect().height / (el.offsetHeight || 1) || 1;
      const dy = (lastY - ev.clientY) / scale;
      lastY = ev.clientY;
      norm = Math.min(1, Math.max(0, norm + dy / DRAG_PIXELS * (ev.shiftKey ? FINE : 1)));
      change(g, V.toPlain(P[index], norm));
    });
    const finish = () => { if (g) { end(g); g = null; } };
    el.addEventListener("pointerup", finish);
    el.addEventListener("pointercancel", finish);
    el.addEventListener("lostpointercapture", finish);
  }

  function attachWheel(el, index) {
    el.addEventListener("wheel", ev => {
      if (!B.known(index) || ev.deltaY === 0) return;
      ev.preventDefault();
      const dir = ev.deltaY < 0 ? 1 : -1;
      stepBy(index, V.isInteger(P[index]) ? dir : dir * (ev.shiftKey ? FINE : 1));
    }, { passive: false });
  }

  function attachKeys(el, index, openEntry) {
    el.addEventListener("keydown", ev => {
      const fine = ev.shiftKey ? FINE : 1;
      const p = P[index];
      const big = V.isInteger(p) ? 4 : 10;
      const actions = {
        ArrowUp: () => stepBy(index, fine), ArrowRight: () => stepBy(index, fine),
        ArrowDown: () => stepBy(index, -fine), ArrowLeft: () => stepBy(index, -fine),
        PageUp: () => stepBy(index, big), PageDown: () => stepBy(index, -big),
        Home: () => editOnce(index, p.min), End: () => editOnce(index, p.max),
        Delete: () => resetToDefault(index), Backspace: () => resetToDefault(index),
        Enter: () => openEntry && openEntry()
      };
      const act = actions[ev.key];
      if (!act) return;
      ev.preventDefault();
      act();
    });
  }

  // A continuous control: drag, Shift-drag, wheel, double-click, keys.
  function attachSlider(el, index, openEntry) {
    attachDrag(el, index);
    attachWheel(el, index);
    attachKeys(el, index, openEntry);
    el.addEventListener("dblclick", ev => { ev.preventDefault(); resetToDefault(index); });
  }

  // An on/off switch: click or Space/Enter flips it as one gesture.
  function attachSwitch(el, index) {
    el.addEventListener("click", () => {
      if (B.known(index)) editOnce(index, B.get(index) >= 0.5 ? 0 : 1);
    });
  }

  window.Oka.gestures = { attachSlider, attachSwitch, editOnce, resetToDefault };
})();
