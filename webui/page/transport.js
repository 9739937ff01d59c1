// The page's one channel to the plug-in, whichever web engine shows it:
// WebView2's window.chrome.webview on Windows, or on Linux the web helper's
// WebKit message handler (window.webkit.messageHandlers.oka) for the page's
// messages and deliver() for the plug-in's. Both carry the same plain
// strings; everything above this file is the same page on both.
(function () {
  "use strict";
  const listeners = [];

  function webview() { return window.chrome && window.chrome.webview; }
  function helper() {
    const w = window.webkit;
    return w && w.messageHandlers && w.messageHandlers.oka;
  }

  // [web UI thread] Posts one message; a page opened outside the plug-in
  // simply has no one to talk to.
  function post(text) {
    const w = webview();
    if (w && typeof w.postMessage === "function") return w.postMessage(text);
    const h = helper();
    if (h && typeof h.postMessage === "function") h.postMessage(text);
  }

  // [web UI thread] Every message the plug-in posts reaches fn as a string.
  function listen(fn) {
    listeners.push(fn);
    const w = webview();
    if (w && typeof w.addEventListener === "function") {
      w.addEventListener("message", ev => fn(ev.data));
    }
  }

  // [web UI thread] Entry the Linux helper calls with each message.
  function deliver(text) {
    for (const fn of listeners) fn(text);
  }

  window.Oka = window.Oka || {};
  window.Oka.transport = { post, listen, deliver };
})();
