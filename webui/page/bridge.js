// The page's side of the message protocol with the plug-in: parameter values
// in both directions, gestures, and "m" text messages for the news service.
// The page holds only values it has received or set itself; an index never
// heard of stays undefined and its control shows no value.
(function () {
  "use strict";
  const V = window.Oka.values;
  const COUNT = window.OKA_PARAMS.length;
  const values = new Array(COUNT).fill(undefined);
  const T = window.Oka.transport;
  const valueListeners = [];
  const textListeners = [];
  const post = T.post;

  // [web UI thread] "b", "s" or "e" with the index and the float's bits.
  function sendEdit(kind, index, value) {
    post(kind + " " + V.hex8(index) + " " + V.hex8(V.floatToBits(value)));
  }

  // [web UI thread] A news request; the native side hands it on unchanged.
  function sendText(text) { post("m " + text); }

  function notify(index) {
    for (const fn of valueListeners) fn(index, values[index]);
  }

  // [web UI thread] Records a value the page set itself (as the f32 the wire
  // carries) so every view of it agrees with what the host received.
  function setLocal(index, value) {
    values[index] = Math.fround(value);
    notify(index);
  }

  // Value message: "s", white space, index and bit pattern in hexadecimal.
  // Anything malformed, out of range or not a finite number is dropped.
  const VALUE_RE = /^s\s+(?:0x)?([0-9a-f]{1,8})\s+(?:0x)?([0-9a-f]{1,8})\s*$/i;

  function receiveValue(text) {
    const m = VALUE_RE.exec(text);
    if (!m) return;
    const index = parseInt(m[1], 16);
    const value = V.bitsToFloat(parseInt(m[2], 16));
    if (index >= COUNT || !Number.isFinite(value)) return;
    values[index] = value;
    notify(index);
  }

  // [web UI thread] Entry for every message the native side posts.
  function receive(data) {
    if (typeof data !== "string") return;
    if (data.charAt(0) === "s") receiveValue(data);
    else if (data.startsWith("m ")) {
      const text = data.slice(2);
      for (const fn of textListeners) fn(text);
    }
  }

  // [web UI thread] Subscribes to incoming messages and asks for every value.
  function start() {
    T.listen(receive);
    post("g");
  }

  window.Oka.bridge = {
    values,
    get: index => values[index],
    known: index => values[index] !== undefined,
    onValue: fn => valueListeners.push(fn),
    onText: fn => textListeners.push(fn),
    sendEdit, sendText, setLocal, receive, start
  };
})();
