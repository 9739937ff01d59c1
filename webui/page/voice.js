// The vocal-tract model as the page draws it: the pedal's morph between the
// heel, mid and toe vowels, the three formant targets of a vowel, and the
// magnitude response of the three weighted band-pass filters. Same formulas
// as the plug-in's filter; the exponentials are exact here, which differs
// from the plug-in's fast approximation by far less than a pixel.
// All functions run on the [web UI thread].
(function () {
  "use strict";
  const F = Math.fround;
  const WEIGHTS = [1, F(0.4466836), F(0.25118864)];
  const Q_PER_HZ = [F(0.0125), F(0.01), F(0.008333334)];
  const PLOT_RATE = 48000;

  // Vowel values (0..1) of a setting from the page's plain values (percent).
  function vowel(values, first) {
    return {
      jaw: values[first] * 0.01, tongue: values[first + 1] * 0.01, color: values[first + 2] * 0.01,
      sex: values[first + 3] * 0.01, age: values[first + 4] * 0.01
    };
  }

  function lerpVowel(a, b, t) {
    const out = {};
    for (const k in a) out[k] = a[k] + (b[k] - a[k]) * t;
    return out;
  }

  // p in 0..1; with the mid setting on, the first half goes heel to mid.
  function morph(heel, mid, toe, midOn, p) {
    if (!midOn) return lerpVowel(heel, toe, p);
    if (2 * p >= 1) return lerpVowel(mid, toe, 2 * p - 1);
    return lerpVowel(heel, mid, 2 * p);
  }

  // The three formant frequencies (Hz) of a vowel.
  function formants(v) {
    const h = 1 - v.sex, a = 1 - v.age;
    const s = ((h * 0.100000024 + 0.35000002) - h * 0.17999995) * a + (h * 0.17999995 + 1);
    return [
      Math.pow(2, v.jaw * 2.0324216 + 7.7813597) * s,
      Math.pow(2, v.tongue * 1.8845228 + 9.3442955) * s,
      Math.pow(2, v.color * 0.6322682 + 10.965784) * s
    ];
  }

  // Magnitude of the weighted sum of the three band-pass filters at f (Hz).
  // Each digital filter is the bilinear image, prewarped at its cutoff, of
  // s / (s^2 + s/Q + 1); the sum is complex, so neighbouring formants
  // interfere as they do in the sound.
  function response(freqs, f, rate) {
    const fs = rate || PLOT_RATE;
    const limit = 0.499 * fs;
    const wf = Math.tan(Math.PI * Math.min(f, limit) / fs);
    let re = 0, im = 0;
    for (let i = 0; i < 3; i++) {
      const fc = freqs[i];
      const w = wf / Math.tan(Math.PI * Math.min(fc, limit) / fs);
      const k = 1 / (fc * Q_PER_HZ[i]);
      // H(jw) = jw / ((1 - w^2) + j k w)
      const dr = 1 - w * w, di = k * w;
      const den = dr * dr + di * di;
      re += WEIGHTS[i] * (w * di) / den;
      im += WEIGHTS[i] * (w * dr) / den;
    }
    return Math.hypot(re, im);
  }

  window.Oka.voice = { vowel, morph, formants, response, WEIGHTS };
})();
