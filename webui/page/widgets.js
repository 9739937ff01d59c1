// The page's controls: rotary knobs, on/off switches, the rocking pedal and
// small bipolar meters. Each builds its DOM once and redraws from the value
// store; gestures come from gestures.js. All functions run on the
// [web UI thread].
(function () {
  "use strict";
  const V = window.Oka.values;
  const B = window.Oka.bridge;
  const G = window.Oka.gestures;
  const P = window.OKA_PARAMS;
  const SVG = "http://www.w3.org/2000/svg";
  const NO_VALUE = "\u2014";

  function el(tag, cls, text) {
    const e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  function svgEl(tag, attrs) {
    const e = document.createElementNS(SVG, tag);
    for (const k in attrs) e.setAttribute(k, attrs[k]);
    return e;
  }

  function hint(p) {
    const range = V.displayText(p, p.min) + " to " + V.displayText(p, p.max);
    return p.title + " (" + range + ", default " + V.displayText(p, p.def) + ")\n" +
      "Drag up/down (Shift: fine), wheel or arrow keys to change; " +
      "double-click to reset; Enter or click the value to type one." +
      (p.id === "lfo_sync_rate"
        ? "\nNote length of one LFO cycle: \".\" dotted, \"T\" triplet." : "");
  }

  // Replaces the value text by an input; Enter applies, Escape or leaving
  // the field cancels. The typed value goes out as one gesture.
  function openEntry(index, valueEl, focusBack) {
    if (!B.known(index) || valueEl.querySelector("input")) return;
    const p = P[index];
    const input = el("input", "entry");
    input.value = p.id === "lfo_sync_rate"
      ? V.displayText(p, B.get(index)) : V.formatValue(p, B.get(index));
    input.setAttribute("aria-label", p.title);
    valueEl.textContent = "";
    valueEl.appendChild(input);
    input.focus();
    input.select();
    let done = false;
    const close = apply => {
      if (done) return;
      done = true;
      const v = apply ? V.parseEntry(p, input.value) : null;
      input.remove();
      if (v !== null) G.editOnce(index, v);
      render(index);
      if (focusBack) focusBack.focus();
    };
    input.addEventListener("keydown", ev => {
      ev.stopPropagation();
      if (ev.key === "Enter") close(true);
      else if (ev.key === "Escape") close(false);
    });
    input.addEventListener("blur", () => close(false));
  }

  const renderers = new Map();
  function addRenderer(index, fn) {
    if (!renderers.has(index)) renderers.set(index, []);
    renderers.get(index).push(fn);
  }
  function render(index) {
    for (const fn of renderers.get(index) || []) fn(B.get(index));
  }

  function arcPath(cx, cy, r, a0, a1) {
    const x0 = cx + r * Math.sin(a0), y0 = cy - r * Math.cos(a0);
    const x1 = cx + r * Math.sin(a1), y1 = cy - r * Math.cos(a1);
    const large = Math.abs(a1 - a0) > Math.PI ? 1 : 0;
    const sweep = a1 > a0 ? 1 : 0;
    return "M" + x0.toFixed(2) + " " + y0.toFixed(2) + " A" + r + " " + r + " 0 " + large + " " +
      sweep + " " + x1.toFixed(2) + " " + y1.toFixed(2);
  }

  const SWEEP = 0.75 * Math.PI; // knob travel either side of straight up

  // A knob with its label above and its value text below. Bipolar ranges
  // draw their arc from the centre.
  function knob(index, label, opts) {
    const p = P[index];
    const o = opts || {};
    const root = el("div", "knob" + (o.cls ? " " + o.cls : ""));
    root.dataset.index = index;
    root.dataset.id = p.id;
    const lab = el("div", "knob-label", label);
    const dial = el("div", "knob-dial");
    dial.tabIndex = 0;
    dial.setAttribute("role", "slider");
    dial.setAttribute("aria-label", p.title);
    dial.title = hint(p);
    const svg = svgEl("svg", { viewBox: "0 0 48 48", "aria-hidden": "true" });
    const track = svgEl("path", { class: "knob-track", d: arcPath(24, 24, 19, -SWEEP, SWEEP) });
    const arc = svgEl("path", { class: "knob-arc" });
    const cap = svgEl("circle", { class: "knob-cap", cx: 24, cy: 24, r: 13 });
    const pointer = svgEl("line", { class: "knob-pointer", x1: 24, y1: 24, x2: 24, y2: 13 });
    svg.append(track, arc, cap, pointer);
    dial.appendChild(svg);
    const value = el("div", "knob-value", NO_VALUE);
    value.title = "Click to type a value";
    root.append(lab, dial, value);

    const entry = () => openEntry(index, value, dial);
    G.attachSlider(dial, index, entry);
    value.addEventListener("click", entry);

    const bipolar = p.min < 0 && p.max > 0;
    addRenderer(index, v => {
      const known = v !== undefined;
      root.classList.toggle("unknown", !known);
      if (value.querySelector("input")) return;
      value.textContent = known ? V.displayText(p, v) : NO_VALUE;
      dial.setAttribute("aria-valuetext", value.textContent);
      if (!known) {
        arc.setAttribute("d", "");
        pointer.setAttribute("visibility", "hidden");
        return;
      }
      const n = Math.min(1, Math.max(0, V.toNormalized(p, v)));
      const a = -SWEEP + 2 * SWEEP * n;
      const from = bipolar ? 0 : -SWEEP;
      arc.setAttribute("d", Math.abs(a - from) < 1e-3
        ? "" : arcPath(24, 24, 19, Math.min(from, a), Math.max(from, a)));
      pointer.setAttribute("visibility", "visible");
      pointer.setAttribute("transform", "rotate(" + (a * 180 / Math.PI).toFixed(2) + " 24 24)");
    });
    render(index);
    return root;
  }

  // An on/off switch showing a lamp and its label.
  function toggle(index, label, opts) {
    const p = P[index];
    const btn = el("button", "switch" + (opts && opts.cls ? " " + opts.cls : ""));
    btn.type = "button";
    btn.dataset.index = index;
    btn.dataset.id = p.id;
    btn.setAttribute("role", "switch");
    btn.title = p.title + ": click, Space or Enter to switch";
    btn.append(el("span", "lamp"), el("span", "switch-label", label));
    G.attachSwitch(btn, index);
    addRenderer(index, v => {
      const known = v !== undefined;
      btn.classList.toggle("unknown", !known);
      btn.classList.toggle("on", known && v >= 0.5);
      btn.setAttribute("aria-checked", known ? String(v >= 0.5) : "mixed");
    });
    render(index);
    return btn;
  }

  // The rocking pedal, seen from above: the pressed end recedes, so the
  // plate narrows and shortens there. A scale beside it carries the set
  // position (triangle) and the modulated position (glowing bar).
  function pedal(index, modIndex) {
    const p = P[index];
    const root = el("div", "pedal");
    root.dataset.index = index;
    root.dataset.id = p.id;
    const stage = el("div", "pedal-stage");
    stage.tabIndex = 0;
    stage.setAttribute("role", "slider");
    stage.setAttribute("aria-label", p.title);
    stage.title = hint(p);
    const svg = svgEl("svg", { viewBox: "0 0 150 250", "aria-hidden": "true" });
    const housing = svgEl("rect",
      { class: "pedal-housing", x: 10, y: 6, width: 106, height: 238, rx: 14 });
    // The raised end of the plate is nearer the light: the shading follows
    // the tilt.
    const gradId = "pedal-shade-" + index;
    const grad = svgEl("linearGradient", { id: gradId, x1: 0, y1: 0, x2: 0, y2: 1 });
    const stopTop = svgEl("stop", { offset: "0" });
    const stopBottom = svgEl("stop", { offset: "1" });
    grad.append(stopTop, stopBottom);
    const defs = svgEl("defs", {});
    defs.appendChild(grad);
    const plate = svgEl("polygon", { class: "pedal-plate", fill: "url(#" + gradId + ")" });
    const grips = svgEl("g", { class: "pedal-grips" });
    const scale = svgEl("rect",
      { class: "pedal-scale", x: 128, y: 16, width: 8, height: 218, rx: 4 });
    const mod = svgEl("rect", { class: "pedal-mod", x: 124, width: 16, height: 6, rx: 3 });
    const mark = svgEl("polygon", { class: "pedal-mark" });
    svg.append(defs, housing, plate, grips, scale, mod, mark);
    stage.appendChild(svg);
    const value = el("div", "knob-value pedal-value", NO_VALUE);
    value.title = "Click to type a value";
    const modText = el("div", "pedal-modtext", NO_VALUE);
    modText.title = P[modIndex].title;
    root.append(el("div", "pedal-end-label", "Toe"), stage, el("div", "pedal-end-label", "Heel"),
      value, modText);

    const entry = () => openEntry(index, value, stage);
    G.attachSlider(stage, index, entry);
    value.addEventListener("click", entry);

    const yOf = n => 231 - n * 212;
    addRenderer(index, v => {
      const known = v !== undefined;
      root.classList.toggle("unknown", !known);
      if (!value.querySelector("input")) value.textContent = known ? V.displayText(p, v) : NO_VALUE;
      stage.setAttribute("aria-valuetext", value.textContent);
      const n = known ? Math.min(1, Math.max(0, v / 100)) : 0.5;
      const topY = 14 + 14 * n, botY = 236 - 14 * (1 - n);
      const topHalf = 46 - 10 * n, botHalf = 46 - 10 * (1 - n);
      const shade = t => "hsl(220, 10%, " + (22 + 22 * t).toFixed(1) + "%)";
      stopTop.setAttribute("stop-color", shade(1 - n));
      stopBottom.setAttribute("stop-color", shade(n));
      plate.setAttribute("points", [
        63 - topHalf, topY, 63 + topHalf, topY, 63 + botHalf, botY, 63 - botHalf, botY
      ].join(" "));
      grips.textContent = "";
      for (let i = 1; i < 12; i++) {
        const t = i / 12, y = topY + (botY - topY) * t, h = topHalf + (botHalf - topHalf) * t - 9;
        grips.appendChild(svgEl("line", { x1: 63 - h, x2: 63 + h, y1: y, y2: y }));
      }
      mark.setAttribute("visibility", known ? "visible" : "hidden");
      const y = yOf(n);
      mark.setAttribute("points", [120, y - 5, 127, y, 120, y + 5].join(" "));
    });
    addRenderer(modIndex, v => {
      const known = v !== undefined;
      mod.setAttribute("visibility", known ? "visible" : "hidden");
      modText.textContent =
        "Modulated " + (known ? V.displayText(P[modIndex], v) : NO_VALUE);
      if (known) mod.setAttribute("y", (yOf(Math.min(1, Math.max(0, v / 100))) - 3).toFixed(2));
    });
    render(index);
    render(modIndex);
    return root;
  }

  // A horizontal meter for a bipolar output value (-1..1), drawn from zero.
  function meter(index, label) {
    const p = P[index];
    const root = el("div", "meter");
    root.dataset.index = index;
    root.dataset.id = p.id;
    root.title = p.title;
    const bar = el("div", "meter-bar");
    const fill = el("div", "meter-fill");
    bar.appendChild(fill);
    const value = el("span", "meter-value", NO_VALUE);
    root.append(el("span", "meter-label", label), bar, value);
    addRenderer(index, v => {
      const known = v !== undefined;
      root.classList.toggle("unknown", !known);
      value.textContent = known ? V.formatValue(p, v) : NO_VALUE;
      const n = known ? Math.min(1, Math.max(-1, v)) : 0;
      fill.style.left = (50 + Math.min(0, n) * 50) + "%";
      fill.style.width = (Math.abs(n) * 50) + "%";
    });
    render(index);
    return root;
  }

  window.Oka.widgets = { el, knob, toggle, pedal, meter, render, addRenderer };
})();
