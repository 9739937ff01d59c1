// Canvas drawings: the frequency response of the three formant filters at
// the modulated pedal position, and the LFO waveform preview with its
// running phase. Both redraw at most once per animation frame.
// All functions run on the [web UI thread].
(function () {
  "use strict";
  const Voice = window.Oka.voice;
  const Lfo = window.Oka.lfoShape;

  const F_MIN = 100, F_MAX = 8000, DB_MIN = -24, DB_MAX = 30;
  const COLORS = {
    heel: "#5ec8f2", mid: "#c3a6ff", toe: "#ffb45e", curve: "#f4f4f6", grid: "#343a46",
    text: "#a9b0bd"
  };

  // Sizes the backing store to the canvas's displayed size, so lines stay
  // sharp at every window size and zoom. Returns the context in CSS pixels.
  function prepare(canvas) {
    const r = canvas.getBoundingClientRect();
    const ratio = (window.devicePixelRatio || 1) * (r.width / (canvas.clientWidth || r.width || 1));
    const w = canvas.clientWidth, h = canvas.clientHeight;
    const bw = Math.max(1, Math.round(w * ratio)), bh = Math.max(1, Math.round(h * ratio));
    if (canvas.width !== bw || canvas.height !== bh) { canvas.width = bw; canvas.height = bh; }
    const ctx = canvas.getContext("2d");
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    ctx.clearRect(0, 0, w, h);
    return { ctx, w, h };
  }

  const xOfF = (f, w) => Math.log(f / F_MIN) / Math.log(F_MAX / F_MIN) * w;
  const yOfDb = (db, h) => (DB_MAX - db) / (DB_MAX - DB_MIN) * h;

  function grid(ctx, w, h) {
    ctx.strokeStyle = COLORS.grid;
    ctx.fillStyle = COLORS.text;
    ctx.lineWidth = 1;
    ctx.font = "10px system-ui, sans-serif";
    for (const f of [200, 500, 1000, 2000, 5000]) {
      const x = Math.round(xOfF(f, w)) + 0.5;
      ctx.beginPath(); ctx.moveTo(x, 0); ctx.lineTo(x, h); ctx.stroke();
      ctx.fillText(f >= 1000 ? f / 1000 + "k" : String(f), x + 3, h - 4);
    }
    for (const db of [-12, 0, 12, 24]) {
      const y = Math.round(yOfDb(db, h)) + 0.5;
      ctx.beginPath(); ctx.moveTo(0, y); ctx.lineTo(w, y); ctx.stroke();
      ctx.fillText((db > 0 ? "+" : "") + db + " dB", 3, y - 3);
    }
  }

  // Ticks for the three formants of a vowel setting along the top edge.
  function marks(ctx, w, freqs, color, row, faded) {
    ctx.strokeStyle = color;
    ctx.globalAlpha = faded ? 0.35 : 1;
    ctx.lineWidth = 2;
    for (const f of freqs) {
      const x = xOfF(f, w);
      ctx.beginPath(); ctx.moveTo(x, 2 + row * 7); ctx.lineTo(x, 8 + row * 7); ctx.stroke();
    }
    ctx.globalAlpha = 1;
  }

  function curve(ctx, w, h, freqs) {
    ctx.beginPath();
    for (let px = 0; px <= w; px++) {
      const f = F_MIN * Math.pow(F_MAX / F_MIN, px / w);
      const db = 20 * Math.log10(Math.max(1e-6, Voice.response(freqs, f)));
      const y = Math.min(h + 2, Math.max(-2, yOfDb(db, h)));
      if (px === 0) ctx.moveTo(px, y); else ctx.lineTo(px, y);
    }
  }

  // model: { heel, mid, toe (vowels), midOn, position (0..1) } or null.
  // The three settings are drawn faintly in their colours, the sound at the
  // current position bright on top.
  function drawResponse(canvas, model) {
    const { ctx, w, h } = prepare(canvas);
    grid(ctx, w, h);
    if (!model) return null;
    const settings = [
      [Voice.formants(model.heel), COLORS.heel, true],
      [Voice.formants(model.mid), COLORS.mid, model.midOn],
      [Voice.formants(model.toe), COLORS.toe, true]
    ];
    settings.forEach(([freqs, color, active], row) => {
      marks(ctx, w, freqs, color, row, !active);
      if (!active) return;
      curve(ctx, w, h, freqs);
      ctx.strokeStyle = color;
      ctx.globalAlpha = 0.45;
      ctx.lineWidth = 1;
      ctx.setLineDash([3, 3]);
      ctx.stroke();
      ctx.setLineDash([]);
      ctx.globalAlpha = 1;
    });
    const freqs = Voice.formants(
      Voice.morph(model.heel, model.mid, model.toe, model.midOn, model.position));
    curve(ctx, w, h, freqs);
    ctx.strokeStyle = COLORS.curve;
    ctx.lineWidth = 2;
    ctx.stroke();
    ctx.lineTo(w, h); ctx.lineTo(0, h); ctx.closePath();
    ctx.fillStyle = "rgba(244,180,94,0.12)";
    ctx.fill();
    return freqs;
  }

  // Fixed levels stand in for the random waveform's held values.
  const PREVIEW_RANDOM = [0.42, -0.63, 0.81, -0.18];

  // model: { waveform, skew (-100..100), phase (0..1 or undefined) } or null.
  function drawLfo(canvas, model) {
    const { ctx, w, h } = prepare(canvas);
    ctx.strokeStyle = COLORS.grid;
    ctx.lineWidth = 1;
    ctx.beginPath(); ctx.moveTo(0, h / 2 + 0.5); ctx.lineTo(w, h / 2 + 0.5); ctx.stroke();
    if (!model) return;
    const k = Lfo.skewPoint(model.skew);
    const cycles = 2, pad = 4;
    const yOf = v => h / 2 - v * (h / 2 - pad);
    ctx.beginPath();
    for (let px = 0; px <= w; px++) {
      const t = px / w * cycles;
      const c = Math.min(cycles - 1, Math.floor(t));
      const y = yOf(Lfo.shape(t - c, model.waveform, k, PREVIEW_RANDOM[c]));
      if (px === 0) ctx.moveTo(px, y); else ctx.lineTo(px, y);
    }
    ctx.strokeStyle = COLORS.toe;
    ctx.lineWidth = 2;
    ctx.stroke();
    if (model.phase === undefined) return;
    const u = Math.min(1, Math.max(0, model.phase));
    const x = u * w / cycles;
    ctx.fillStyle = COLORS.curve;
    ctx.beginPath();
    ctx.arc(x, yOf(Lfo.shape(u, model.waveform, k, PREVIEW_RANDOM[0])), 4, 0, 2 * Math.PI);
    ctx.fill();
  }

  window.Oka.plots = { drawResponse, drawLfo, COLORS };
})();
