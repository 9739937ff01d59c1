// Builds the editor from its parts, keeps the drawings in step with the
// values, fits the fixed 700 x 677 design to any window size, and starts
// the conversation with the plug-in. Runs on the [web UI thread].
(function () {
  "use strict";
  const W = window.Oka.widgets;
  const B = window.Oka.bridge;
  const V = window.Oka.values;
  const Voice = window.Oka.voice;
  const Lfo = window.Oka.lfoShape;
  const Plots = window.Oka.plots;
  const News = window.Oka.news;
  const P = window.OKA_PARAMS;
  const ix = {};
  for (const p of P) ix[p.id] = p.index;
  const el = W.el;

  function panel(cls, title, extra) {
    const root = el("section", "panel " + cls);
    const head = el("header", "panel-head");
    head.appendChild(el("h2", "", title));
    if (extra) for (const e of extra) head.appendChild(e);
    root.appendChild(head);
    return root;
  }

  function row(cls, children) {
    const r = el("div", cls);
    for (const c of children) r.appendChild(c);
    return r;
  }

  function vowelPanel(name, first, extra) {
    const p = panel("vowel vowel-" + name.toLowerCase(), name, extra);
    p.appendChild(row("knobs", [
      W.knob(first, "Jaw"), W.knob(first + 1, "Tongue"), W.knob(first + 2, "Color"),
      W.knob(first + 3, "Sex"), W.knob(first + 4, "Age")
    ]));
    return p;
  }

  function buildResponse() {
    const p = panel("response", "Vowel response");
    const legend = row("legend",
      ["Heel", "Mid", "Toe"].map(n => el("span", "legend-" + n.toLowerCase(), n)));
    p.querySelector(".panel-head").appendChild(legend);
    const canvas = el("canvas", "response-plot");
    canvas.id = "response-plot";
    canvas.title = "Response of the three formant filters at the modulated pedal position; " +
      "ticks along the top mark the heel, mid and toe formants";
    const readout = el("div", "readout", "Waiting for the plug-in\u2026");
    readout.id = "formant-readout";
    p.append(canvas, readout);
    return p;
  }

  function buildLfo() {
    const p = panel("lfo", "LFO", [W.toggle(ix.lfo_on, "On"), W.toggle(ix.lfo_sync, "Sync")]);
    const canvas = el("canvas", "lfo-plot");
    canvas.id = "lfo-plot";
    canvas.title = "One and a half cycles of the current waveform; the dot is the running phase";
    const caption = el("div", "lfo-caption", "\u2014");
    caption.id = "lfo-caption";
    const preview = row("lfo-preview",
      [canvas, caption, W.meter(ix.lfo_out, "Out"), phaseReadout()]);
    const rate = el("div", "rate-slot");
    rate.append(W.knob(ix.lfo_free_rate, "Rate", { cls: "free-rate" }),
      W.knob(ix.lfo_sync_rate, "Rate", { cls: "sync-rate" }));
    p.appendChild(row("lfo-body", [preview, row("knobs", [
      W.knob(ix.lfo_waveform, "Wave"), W.knob(ix.lfo_skew, "Skew"), W.knob(ix.lfo_bias, "Bias"),
      W.knob(ix.lfo_amount, "Amount"), rate,
      W.knob(ix.lfo_sync_phase, "Phase", { cls: "sync-phase" })
    ])]));
    return p;
  }

  function phaseReadout() {
    const r = el("div", "meter phase", "");
    r.title = P[ix.lfo_phase].title;
    const label = el("span", "meter-label", "Phase");
    const value = el("span", "meter-value", "\u2014");
    r.append(label, value);
    W.addRenderer(ix.lfo_phase, v => {
      value.textContent = v === undefined ? "\u2014" : V.formatValue(P[ix.lfo_phase], v);
    });
    return r;
  }

  function buildEnv() {
    const p = panel("env", "Envelope", [W.toggle(ix.env_on, "On")]);
    p.appendChild(row("knobs", [
      W.knob(ix.env_amount, "Amount"), W.knob(ix.env_attack, "Attack"),
      W.knob(ix.env_release, "Release")
    ]));
    p.appendChild(W.meter(ix.env_out, "Out"));
    return p;
  }

  function buildNewsButton() {
    const b = el("button", "news-button");
    b.type = "button";
    b.id = "news-button";
    b.title = "News and updates";
    b.append(el("span", "", "News"), el("span", "badge", ""));
    b.addEventListener("click", () => toggleNews(true));
    return b;
  }

  function buildNewsDrawer() {
    const d = el("aside", "news-drawer");
    d.id = "news";
    d.hidden = true;
    const close = el("button", "close", "\u00d7");
    close.type = "button";
    close.title = "Close";
    close.addEventListener("click", () => toggleNews(false));
    const all = el("button", "mark-all", "Mark all read");
    all.type = "button";
    all.addEventListener("click", () => News.markRead(News.state.news.items.map(it => it.id)));
    d.append(row("news-head", [el("h2", "", "News"), all, close]), el("ol", "news-list"),
      el("p", "latest"));
    return d;
  }

  function toggleNews(open) {
    document.getElementById("news").hidden = !open;
    if (open) News.refresh();
  }

  function renderNews() {
    const d = document.getElementById("news");
    const list = d.querySelector(".news-list");
    list.textContent = "";
    const items = News.state.news.items;
    if (items.length === 0) list.appendChild(el("li", "empty", "No news yet."));
    for (const it of items) {
      const li = el("li", News.isRead(it.id) ? "item" : "item unread");
      li.dataset.id = it.id;
      li.tabIndex = 0;
      li.append(row("item-head",
        [el("span", "dot", ""), el("span", "date", it.date), el("strong", "", it.title)]));
      li.appendChild(el("p", "", it.body));
      if (it.url) {
        const a = el("a", "", "More\u2026");
        a.href = it.url;
        a.target = "_blank";
        a.rel = "noopener";
        li.appendChild(a);
      }
      const mark = () => News.markRead([it.id]);
      li.addEventListener("click", mark);
      li.addEventListener("keydown", ev => { if (ev.key === "Enter") mark(); });
      list.appendChild(li);
    }
    const latest = d.querySelector(".latest");
    latest.textContent = News.latestText();
    const l = News.state.latest;
    const newer = !!(l && News.compareVersions(l.version, News.VERSION) > 0);
    latest.classList.toggle("update", newer);
    if (newer && l.url) {
      const a = el("a", "", "Download");
      a.href = l.url;
      a.target = "_blank";
      a.rel = "noopener";
      latest.append(" ", a);
    }
    const n = News.unreadCount();
    const badge = document.querySelector("#news-button .badge");
    badge.textContent = n > 0 ? String(n) : "";
    badge.hidden = n === 0;
    const version = document.getElementById("version");
    version.textContent = newer ? "Update " + l.version + " available" : "v" + News.VERSION;
    version.classList.toggle("update", newer);
    version.title = News.latestText();
  }

  function build() {
    const stage = document.getElementById("stage");
    const header = el("header", "top");
    const brand = el("div", "brand");
    brand.append(el("h1", "", "Oka Oka Wah"), el("span", "tagline", "vocal-tract wah"));
    const version = el("span", "version", "");
    version.id = "version";
    header.append(brand, window.Oka.presetBar.build(), version,
      W.toggle(ix.bypass, "Bypass", { cls: "bypass" }), buildNewsButton());

    const left = panel("pedal-panel", "Pedal");
    left.append(W.pedal(ix.position, ix.mod_position), W.knob(ix.mix, "Mix"));

    const right = el("div", "right");
    right.append(buildResponse(), row("vowels", [
      vowelPanel("Heel", ix.heel_jaw),
      vowelPanel("Mid", ix.mid_jaw, [W.toggle(ix.mid_on, "On")]),
      vowelPanel("Toe", ix.toe_jaw)
    ]));
    stage.append(header, row("main", [left, right]), row("mods", [buildLfo(), buildEnv()]),
      buildNewsDrawer());
  }

  const known = i => B.known(i);

  function responseModel() {
    for (let i = ix.heel_jaw; i <= ix.toe_age; i++) if (!known(i)) return null;
    const posIndex = known(ix.mod_position) ? ix.mod_position : ix.position;
    if (!known(posIndex)) return null;
    const v = B.values;
    return {
      heel: Voice.vowel(v, ix.heel_jaw), mid: Voice.vowel(v, ix.mid_jaw),
      toe: Voice.vowel(v, ix.toe_jaw),
      midOn: v[ix.mid_on] >= 0.5, position: Math.min(1, Math.max(0, v[posIndex] * 0.01))
    };
  }

  function lfoModel() {
    if (!known(ix.lfo_waveform) || !known(ix.lfo_skew)) return null;
    return {
      waveform: B.get(ix.lfo_waveform), skew: B.get(ix.lfo_skew), phase: B.get(ix.lfo_phase)
    };
  }

  let frameRequested = false;
  function redraw() {
    frameRequested = false;
    const freqs = Plots.drawResponse(document.getElementById("response-plot"), responseModel());
    document.getElementById("formant-readout").textContent = freqs
      ? freqs.map((f, i) => "F" + (i + 1) + " " + Math.round(f) + " Hz").join("  \u00b7  ")
      : "Waiting for the plug-in\u2026";
    const lfo = lfoModel();
    Plots.drawLfo(document.getElementById("lfo-plot"), lfo);
    document.getElementById("lfo-caption").textContent =
      lfo ? Lfo.shapeName(lfo.waveform) : "\u2014";
  }
  function scheduleRedraw() {
    if (frameRequested) return;
    frameRequested = true;
    requestAnimationFrame(redraw);
  }

  // Panels that do nothing in the current setting are dimmed, not hidden,
  // so they can still be prepared; the rate knob shows the active rate.
  function updateModes() {
    const on = i => known(i) && B.get(i) >= 0.5;
    const stage = document.getElementById("stage");
    stage.querySelector(".vowel-mid").classList.toggle("inactive", !on(ix.mid_on));
    stage.querySelector(".lfo").classList.toggle("inactive", !on(ix.lfo_on));
    stage.querySelector(".env").classList.toggle("inactive", !on(ix.env_on));
    stage.querySelector(".lfo").classList.toggle("synced", on(ix.lfo_sync));
    stage.classList.toggle("bypassed", on(ix.bypass));
  }

  function fit() {
    const stage = document.getElementById("stage");
    const s = Math.min(window.innerWidth / 700, window.innerHeight / 677);
    stage.style.transform = "translate(-50%, -50%) scale(" + s + ")";
    scheduleRedraw();
  }

  function main() {
    build();
    B.onValue(index => { W.render(index); updateModes(); scheduleRedraw(); });
    B.onText(News.receive);
    News.onChange(renderNews);
    window.addEventListener("resize", fit);
    document.addEventListener("keydown", ev => { if (ev.key === "Escape") toggleNews(false); });
    updateModes();
    renderNews();
    fit();
    B.start();
    News.start(B.sendText);
  }

  if (document.readyState === "loading") document.addEventListener("DOMContentLoaded", main);
  else main();
})();
