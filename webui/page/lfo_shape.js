// The LFO's waveform as a function of its phase, for the drawn preview:
// skew moves the waveform's midpoint, and the waveform control morphs sine,
// triangle, trapezoid, square and sample-and-hold random in turn.
// All functions run on the [web UI thread].
(function () {
  "use strict";

  // Skew parameter (-100..100) to the phase of the waveform's midpoint.
  function skewPoint(skew) {
    return Math.min(Math.max(skew * 0.005 + 0.5, 0.001), 0.999);
  }

  function skewed(u, k) {
    return u < k ? u / (k + k) : ((u + 1) - (k + k)) / (2 - (k + k));
  }

  // Waveform value (-1..1) at phase u (0..1); random is the held level.
  function shape(u, waveform, k, random) {
    const b = skewed(u, k);
    const wf = waveform;
    if (wf < 2) {
      const tri = Math.abs(b - 0.5) * -4 + 1;
      const sine = Math.sin(2 * Math.PI * tri * 0.25);
      return (tri - sine) * (wf - 1) + sine;
    }
    if (wf < 2.999) {
      const g = 4 / (3 - wf);
      const r = g * b - 1;
      const v = b < 0.5 ? r : g * 0.5 - r;
      return Math.min(1, Math.max(-1, v));
    }
    const d = 0.5 - b;
    const sq = d > 0 ? 1 : d < 0 ? -1 : 0;
    return (random - sq) * Math.max(wf - 3, 0) + sq;
  }

  // Plain-language name of a waveform setting for the preview caption.
  function shapeName(waveform) {
    const names = ["Sine", "Triangle", "Square", "Random"];
    const wf = Math.min(4, Math.max(1, waveform));
    const r = Math.round(wf);
    if (Math.abs(wf - r) < 0.005) return names[r - 1];
    const i = Math.floor(wf) - 1;
    return names[i] + " \u2192 " + names[i + 1];
  }

  window.Oka.lfoShape = { skewPoint, shape, shapeName };
})();
