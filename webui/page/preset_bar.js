// The preset bar: the factory presets (OKA_PRESETS, generated from the
// plug-in's preset table) by name, with previous and next, a menu grouped by
// category, and a mark while the values differ from the preset chosen.
// Choosing a preset is an ordinary edit: every writable parameter whose
// value differs becomes one begin/set/end gesture, in index order, so the
// host records and undoes it like knob moves. Nothing else is sent.
// All functions run on the [web UI thread].
(function () {
  "use strict";
  const B = window.Oka.bridge;
  const G = window.Oka.gestures;
  const el = window.Oka.widgets.el;
  const PRESETS = window.OKA_PRESETS;
  const COUNT = PRESETS[0].values.length;

  let current = -1;      // the preset chosen or recognised, -1 for none
  let applying = false;  // true while a choice sends its edits
  let menu, mark, prev, next;

  function allKnown() {
    for (let i = 0; i < COUNT; i++) if (!B.known(i)) return false;
    return true;
  }
  const holds = k => PRESETS[k].values.every((v, i) => B.get(i) === Math.fround(v));

  // The index of a preset the values equal exactly, or -1: a host that
  // loads one of our presets itself is recognised by its values.
  function recognised() {
    for (let k = 0; k < PRESETS.length; k++) if (holds(k)) return k;
    return -1;
  }

  function choose(k) {
    if (!allKnown() || k < 0 || k >= PRESETS.length) return;
    applying = true;
    // A gesture to the value already in place sends nothing.
    PRESETS[k].values.forEach((v, i) => G.editOnce(i, v));
    applying = false;
    current = k;
    update();
  }

  function step(by) {
    const n = PRESETS.length;
    choose(current < 0 ? (by > 0 ? 0 : n - 1) : (current + by + n) % n);
  }

  // Follows every value the page receives or sets.
  function update() {
    const ready = allKnown();
    if (ready && !applying && (current < 0 || !holds(current))) {
      const k = recognised();
      if (k >= 0) current = k;
    }
    const changed = ready && current >= 0 && !holds(current);
    menu.value = String(current);
    menu.disabled = prev.disabled = next.disabled = !ready;
    mark.hidden = !changed;
    menu.parentElement.classList.toggle("changed", changed);
    menu.title = current < 0 ? "Factory presets"
      : PRESETS[current].category + ": " + PRESETS[current].name + (changed ? " (changed)" : "");
  }

  function button(cls, text, title, fn) {
    const b = el("button", cls, text);
    b.type = "button";
    b.title = title;
    b.addEventListener("click", fn);
    return b;
  }

  function buildMenu() {
    const m = el("select", "preset-menu");
    m.id = "preset-menu";
    const none = el("option", "", "No preset");
    none.value = "-1";
    none.disabled = true;
    m.appendChild(none);
    let group = null;
    PRESETS.forEach((p, k) => {
      if (!group || group.label !== p.category) {
        group = el("optgroup");
        group.label = p.category;
        m.appendChild(group);
      }
      const o = el("option", "", p.name);
      o.value = String(k);
      group.appendChild(o);
    });
    m.addEventListener("change", () => choose(Number(m.value)));
    return m;
  }

  function build() {
    const bar = el("div", "preset-bar");
    bar.id = "preset-bar";
    prev = button("preset-step prev", "\u2039", "Previous preset", () => step(-1));
    next = button("preset-step next", "\u203a", "Next preset", () => step(1));
    menu = buildMenu();
    mark = el("span", "preset-mark", "\u25cf");
    mark.title = "Changed since the preset was chosen";
    bar.append(prev, menu, mark, next);
    B.onValue(update);
    update();
    return bar;
  }

  window.Oka.presetBar = { build, choose, step };
})();
