// Parameter metadata the editor page works from: one entry per index in the
// plug-in's index space (0-31 writable, 32-35 read-only outputs). Written from
// the native parameter table; a native test compares the two, so keep the
// numbers identical to the table. flags: 1 Bypass, 2 Toggled, 4 Integer,
// 8 Logarithmic. steps is the host-side step count (0 = continuous).
// Loaded as a classic script so the page works from file: without a server.
window.OKA_PARAMS = [
  { index: 0, id: "position", title: "Position", units: "%", min: 0, max: 100, def: 50, flags: 0, steps: 0 },
  { index: 1, id: "mix", title: "Mix", units: "%", min: 0, max: 100, def: 100, flags: 0, steps: 0 },
  { index: 2, id: "heel_jaw", title: "Heel jaw", units: "%", min: 0, max: 100, def: 12.4222007837421, flags: 0, steps: 0 },
  { index: 3, id: "heel_tongue", title: "Heel tongue", units: "%", min: 0, max: 100, def: 12.6221400720352, flags: 0, steps: 0 },
  { index: 4, id: "heel_color", title: "Heel color", units: "%", min: 0, max: 100, def: 32.6749101409938, flags: 0, steps: 0 },
  { index: 5, id: "heel_sex", title: "Heel sex", units: "%", min: 0, max: 100, def: 50, flags: 0, steps: 0 },
  { index: 6, id: "heel_age", title: "Heel age", units: "%", min: 0, max: 100, def: 100, flags: 0, steps: 0 },
  { index: 7, id: "mid_on", title: "Mid on", units: "", min: 0, max: 1, def: 0, flags: 6, steps: 1 },
  { index: 8, id: "mid_jaw", title: "Mid jaw", units: "%", min: 0, max: 100, def: 46.6582563814956, flags: 0, steps: 0 },
  { index: 9, id: "mid_tongue", title: "Mid tongue", units: "%", min: 0, max: 100, def: 71.2919267668632, flags: 0, steps: 0 },
  { index: 10, id: "mid_color", title: "Mid color", units: "%", min: 0, max: 100, def: 45.0149668194776, flags: 0, steps: 0 },
  { index: 11, id: "mid_sex", title: "Mid sex", units: "%", min: 0, max: 100, def: 50, flags: 0, steps: 0 },
  { index: 12, id: "mid_age", title: "Mid age", units: "%", min: 0, max: 100, def: 100, flags: 0, steps: 0 },
  { index: 13, id: "toe_jaw", title: "Toe jaw", units: "%", min: 0, max: 100, def: 95.9426643982532, flags: 0, steps: 0 },
  { index: 14, id: "toe_tongue", title: "Toe tongue", units: "%", min: 0, max: 100, def: 69.4366275208754, flags: 0, steps: 0 },
  { index: 15, id: "toe_color", title: "Toe color", units: "%", min: 0, max: 100, def: 55.0607107213899, flags: 0, steps: 0 },
  { index: 16, id: "toe_sex", title: "Toe sex", units: "%", min: 0, max: 100, def: 50, flags: 0, steps: 0 },
  { index: 17, id: "toe_age", title: "Toe age", units: "%", min: 0, max: 100, def: 100, flags: 0, steps: 0 },
  { index: 18, id: "lfo_on", title: "LFO on", units: "", min: 0, max: 1, def: 0, flags: 6, steps: 1 },
  { index: 19, id: "lfo_waveform", title: "LFO waveform", units: "", min: 1, max: 4, def: 1, flags: 0, steps: 0 },
  { index: 20, id: "lfo_amount", title: "LFO amount", units: "%", min: 0, max: 100, def: 100, flags: 0, steps: 0 },
  { index: 21, id: "lfo_bias", title: "LFO bias", units: "%", min: -100, max: 100, def: 0, flags: 0, steps: 0 },
  { index: 22, id: "lfo_skew", title: "LFO skew", units: "", min: -100, max: 100, def: 0, flags: 0, steps: 0 },
  { index: 23, id: "lfo_sync", title: "LFO sync", units: "", min: 0, max: 1, def: 0, flags: 6, steps: 1 },
  { index: 24, id: "lfo_free_rate", title: "LFO free rate", units: "Hz", min: 0.2, max: 20, def: 2, flags: 8, steps: 0 },
  { index: 25, id: "lfo_sync_rate", title: "LFO sync rate", units: "", min: 1, max: 24, def: 8, flags: 4, steps: 23 },
  { index: 26, id: "lfo_sync_phase", title: "LFO sync phase", units: "", min: 0, max: 360, def: 0, flags: 0, steps: 0 },
  { index: 27, id: "env_on", title: "Env on", units: "", min: 0, max: 1, def: 0, flags: 6, steps: 1 },
  { index: 28, id: "env_amount", title: "Env amount", units: "%", min: -100, max: 100, def: 100, flags: 0, steps: 0 },
  { index: 29, id: "env_attack", title: "Env attack", units: "ms", min: 1, max: 1000, def: 100, flags: 8, steps: 0 },
  { index: 30, id: "env_release", title: "Env release", units: "ms", min: 1, max: 1000, def: 100, flags: 8, steps: 0 },
  { index: 31, id: "bypass", title: "Bypass", units: "", min: 0, max: 1, def: 0, flags: 1, steps: 1 },
  { index: 32, id: "mod_position", title: "Modulated position", units: "%", min: 0, max: 100, def: 50, flags: 0, steps: 0 },
  { index: 33, id: "lfo_phase", title: "LFO phase", units: "", min: 0, max: 1, def: 0, flags: 0, steps: 0 },
  { index: 34, id: "lfo_out", title: "LFO output", units: "", min: -1, max: 1, def: 0, flags: 0, steps: 0 },
  { index: 35, id: "env_out", title: "Env output", units: "", min: -1, max: 1, def: 0, flags: 0, steps: 0 }
];

// Names of the 24 lfo_sync_rate values (value k names entry k - 1), as note
// lengths of one LFO cycle: "." dotted, "T" triplet. The ratios behind them
// (cycles per quarter note) run 1/6, 1/4, 3/8, 1/3, 1/2, 3/4, 2/3, 1, ...
window.OKA_SYNC_RATE_NAMES = [
  "1/1.", "1/1", "1/1T",
  "1/2.", "1/2", "1/2T",
  "1/4.", "1/4", "1/4T",
  "1/8.", "1/8", "1/8T",
  "1/16.", "1/16", "1/16T",
  "1/32.", "1/32", "1/32T",
  "1/64.", "1/64", "1/64T",
  "1/128.", "1/128", "1/128T"
];
