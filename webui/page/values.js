// Value arithmetic shared by every control: the plain/normalized mappings,
// snapping, the host's two-decimal display text, typed-entry parsing and the
// float bit patterns of the wire protocol. Pure functions of the parameter
// metadata in params.js, which the build generates from the native parameter
// table. All functions run on the [web UI thread].
(function () {
  "use strict";
  const FLAG_BYPASS = 1, FLAG_TOGGLED = 2, FLAG_INTEGER = 4, FLAG_LOG = 8;

  function isSwitch(p) { return (p.flags & (FLAG_BYPASS | FLAG_TOGGLED)) !== 0; }
  function isInteger(p) { return !isSwitch(p) && (p.flags & FLAG_INTEGER) !== 0; }
  function isLog(p) { return (p.flags & FLAG_LOG) !== 0; }

  function toNormalized(p, plain) {
    if (isLog(p)) return Math.log(plain / p.min) / Math.log(p.max / p.min);
    return (plain - p.min) / (p.max - p.min);
  }

  function toPlain(p, normalized) {
    if (isLog(p)) return p.min * Math.exp(normalized * Math.log(p.max / p.min));
    return p.min + (p.max - p.min) * normalized;
  }

  // Same snapping the native side applies to every value that enters it, so
  // the page sends exactly what the host will store.
  function snapAndClamp(p, v) {
    if (Number.isNaN(v)) v = p.def;
    if (isSwitch(p)) v = v >= 0.5 ? 1 : 0;
    else if (isInteger(p)) v = v >= 0 ? Math.trunc(v + 0.5) : Math.trunc(v - 0.5);
    return Math.min(p.max, Math.max(p.min, v));
  }

  // The host's display text: two decimals, truncated (not rounded) in double
  // arithmetic, computed from the normalized value as the host does. Values
  // too large to be a parameter value fall back to exponent notation so the
  // digit loop stays bounded.
  function formatValue(p, plain) {
    let x = toPlain(p, toNormalized(p, plain));
    if (!Number.isFinite(x)) return "--";
    let out = "";
    if (x < 0) { out = "-"; x = -x; }
    if (x >= 1e15) return out + x.toExponential(2);
    if (x < 1) {
      out += "0";
    } else {
      let e = 1;
      while (x >= e) e *= 10;
      e *= 0.1;
      while (e >= 1) {
        const digit = Math.trunc(x / e);
        out += String.fromCharCode(48 + digit);
        x -= digit * e;
        e *= 0.1;
      }
    }
    const d1 = Math.trunc(x / 0.1);
    const d2 = Math.trunc((x - d1 * 0.1) / 0.010000000000000002);
    return out + "." + String.fromCharCode(48 + d1) + String.fromCharCode(48 + d2);
  }

  // Units the page shows where the table has none.
  const PAGE_UNITS = { lfo_sync_phase: "\u00b0" };
  function unitsOf(p) { return p.units || PAGE_UNITS[p.id] || ""; }

  // Display text with its unit, or the sync rate's note name.
  function displayText(p, plain) {
    if (p.id === "lfo_sync_rate") {
      const k = snapAndClamp(p, plain);
      return window.OKA_SYNC_RATE_NAMES[k - 1];
    }
    if (isSwitch(p)) return plain >= 0.5 ? "On" : "Off";
    const text = formatValue(p, plain);
    const units = unitsOf(p);
    return units ? text + (units === "\u00b0" ? "" : " ") + units : text;
  }

  // Typed entry: a number with an optional unit ("2.5 Hz", "-40%"), or for
  // the sync rate a note name ("1/8T") or its number. Returns a snapped and
  // clamped plain value, or null when the text names no value.
  function parseEntry(p, text) {
    let t = String(text).trim();
    if (p.id === "lfo_sync_rate") {
      const k = window.OKA_SYNC_RATE_NAMES.findIndex(n => n.toLowerCase() === t.toLowerCase());
      if (k >= 0) return k + 1;
    }
    if (isSwitch(p)) {
      const word = t.toLowerCase();
      if (word === "on" || word === "yes") return 1;
      if (word === "off" || word === "no") return 0;
    }
    const units = unitsOf(p);
    if (units && t.toLowerCase().endsWith(units.toLowerCase())) {
      t = t.slice(0, t.length - units.length).trim();
    }
    if (!/^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$/.test(t)) return null;
    const v = Number(t);
    if (!Number.isFinite(v)) return null;
    return snapAndClamp(p, v);
  }

  const scratch = new DataView(new ArrayBuffer(4));
  function floatToBits(v) { scratch.setFloat32(0, v, true); return scratch.getUint32(0, true); }
  function bitsToFloat(b) {
    scratch.setUint32(0, b >>> 0, true);
    return scratch.getFloat32(0, true);
  }
  function hex8(n) { return (n >>> 0).toString(16).padStart(8, "0"); }

  window.Oka = window.Oka || {};
  window.Oka.values = {
    isSwitch, isInteger, isLog, toNormalized, toPlain, snapAndClamp,
    formatValue, displayText, parseEntry, floatToBits, bitsToFloat, hex8
  };
})();
