// News client: talks to the plug-in's per-user news store through "m"
// messages. The stored news text is an eight-character version tag, a line
// feed and JSON {items: [{id, date, title, body, url}], read: [ids]}; every
// write gets a fresh tag so another instance's change in between is seen as
// a conflict, which is merged (items and read marks are only ever added)
// and written again. The "latest" text has the same shape with
// {version, url}. Nothing here assumes the store answers; all functions run
// on the [web UI thread].
(function () {
  "use strict";
  const PRODUCT = "zarvo-oka-oka-wah";
  const VERSION = "1.0.0.1";
  const PREFIX = "quorlV1 ";
  const MAX_RETRIES = 4;

  const state = {
    sid: null,          // stored Sid text, once known
    initDone: false,
    stored: "",         // news text as last read or written
    news: { items: [], read: [] },
    latest: null,       // { version, url } or null
    retries: 0
  };
  const listeners = [];
  let send = () => {};

  function randomHex(bytes) {
    const a = new Uint8Array(bytes);
    crypto.getRandomValues(a);
    return Array.from(a, b => b.toString(16).padStart(2, "0")).join("");
  }

  function newTag(old) {
    let t;
    do t = randomHex(4); while (t === old);
    return t;
  }

  // Reads "tag\nJSON"; anything unreadable becomes an empty document so a
  // damaged file never stops the page (the next write replaces it).
  function parseDoc(text) {
    const nl = text.indexOf("\n");
    try {
      const doc = JSON.parse(nl >= 0 ? text.slice(nl + 1) : "");
      return doc && typeof doc === "object" ? doc : {};
    } catch (e) {
      return {};
    }
  }

  function cleanItems(items) {
    if (!Array.isArray(items)) return [];
    return items.filter(it => it && typeof it.id === "string" && it.id !== "").map(it => ({
      id: it.id,
      date: typeof it.date === "string" ? it.date : "",
      title: typeof it.title === "string" ? it.title : "",
      body: typeof it.body === "string" ? it.body : "",
      url: typeof it.url === "string" && /^https?:\/\//i.test(it.url) ? it.url : ""
    }));
  }

  function parseNews(text) {
    const doc = parseDoc(text);
    const read = Array.isArray(doc.read) ? doc.read.filter(r => typeof r === "string") : [];
    return { items: cleanItems(doc.items), read };
  }

  function merge(a, b) {
    const items = a.items.slice();
    const ids = new Set(items.map(it => it.id));
    for (const it of b.items) if (!ids.has(it.id)) { items.push(it); ids.add(it.id); }
    const read = Array.from(new Set(a.read.concat(b.read)));
    return { items, read };
  }

  function serialize(doc, old) {
    return newTag(old.slice(0, 8)) + "\n" + JSON.stringify({ items: doc.items, read: doc.read });
  }

  // Conditional write of the news against the text we last saw. A stored
  // text shorter than a tag can never match one, so it is replaced outright.
  function writeNews(doc) {
    const base = state.stored;
    const text = serialize(doc, base);
    if (base === "") send(PREFIX + "syncNews - " + text);
    else if (base.length < 8) send(PREFIX + "syncNewsForce " + text);
    else send(PREFIX + "syncNews " + base.slice(0, 8) + " " + text);
    state.stored = text;
    state.news = doc;
  }

  // Takes in a stored text read back from the store. Marks and items this
  // page holds that the text lacks (a write still in flight, or one lost to
  // another instance's write) are merged in and written against the text's
  // tag; the number of such rewrites per user action is bounded.
  function absorbNews(text) {
    const incoming = parseNews(text);
    const merged = merge(incoming, state.news);
    state.stored = text;
    state.news = incoming;
    const missing = merged.items.length !== incoming.items.length ||
      merged.read.length !== incoming.read.length;
    if (!missing) return;
    if (state.retries >= MAX_RETRIES) { state.news = merged; return; }
    state.retries++;
    writeNews(merged);
  }

  function adoptLatest(text) {
    const doc = parseDoc(text);
    state.latest = typeof doc.version === "string" && /^\d+(\.\d+)*$/.test(doc.version)
      ? {
        version: doc.version,
        url: typeof doc.url === "string" && /^https?:\/\//i.test(doc.url) ? doc.url : ""
      }
      : null;
  }

  // Numeric comparison of dotted versions; missing parts count as 0.
  function compareVersions(a, b) {
    const x = a.split(".").map(Number), y = b.split(".").map(Number);
    for (let i = 0; i < Math.max(x.length, y.length); i++) {
      const d = (x[i] || 0) - (y[i] || 0);
      if (d !== 0) return d < 0 ? -1 : 1;
    }
    return 0;
  }

  function changed() { for (const fn of listeners) fn(); }

  const handlers = {
    initSid: t => { state.sid = t === "" ? null : t; },
    initNews: t => absorbNews(t),
    initLatest: t => adoptLatest(t),
    initDone: () => {
      state.initDone = true;
      if (!state.sid) {
        state.sid = randomHex(16);
        send(PREFIX + "newSid " + state.sid);
      }
    },
    getNews: t => absorbNews(t),
    // Someone else wrote in between: keep both sides' items and marks.
    syncNewsConflict: t => absorbNews(t),
    syncLatestConflict: t => adoptLatest(t)
  };

  // [web UI thread] A text the native side sent ("m " already removed).
  function receive(text) {
    if (!text.startsWith(PREFIX)) return;
    const rest = text.slice(PREFIX.length);
    const sp = rest.indexOf(" ");
    const kind = sp >= 0 ? rest.slice(0, sp) : rest;
    const fn = handlers[kind];
    if (!fn) return;
    fn(sp >= 0 ? rest.slice(sp + 1) : "");
    changed();
  }

  // [web UI thread] Starts the conversation: asks for the stored texts.
  function start(sendText) {
    send = sendText;
    send(PREFIX + "init " + PRODUCT);
  }

  // [web UI thread] Re-reads the stored news (another instance may have
  // changed it since).
  function refresh() { send(PREFIX + "getNews "); }

  // [web UI thread] Marks items read and stores the result.
  function markRead(ids) {
    const read = new Set(state.news.read);
    const fresh = ids.filter(id => !read.has(id));
    if (fresh.length === 0) return;
    state.retries = 0;
    writeNews({ items: state.news.items, read: state.news.read.concat(fresh) });
    changed();
  }

  function unreadCount() {
    const read = new Set(state.news.read);
    return state.news.items.filter(it => !read.has(it.id)).length;
  }

  function isRead(id) { return state.news.read.includes(id); }

  // The line about versions: whether a newer one than this is known.
  function latestText() {
    if (!state.latest) return "Version " + VERSION;
    if (compareVersions(state.latest.version, VERSION) > 0) {
      return "Version " + state.latest.version + " is available (you have " + VERSION + ")";
    }
    return "Version " + VERSION + " is the latest";
  }

  window.Oka.news = {
    state, start, receive, refresh, markRead, unreadCount, isRead, latestText,
    compareVersions, onChange: fn => listeners.push(fn), PRODUCT, VERSION
  };
})();
