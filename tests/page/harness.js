// Opens the editor page from file: in headless Chromium, as a build tree
// gathers it with its generated scripts (OKA_PAGE_DIR, by default
// build/native/page), with a stand-in for the web view object: it records
// every message the page posts, lets a test deliver native messages, and
// answers news requests from a small in-page store that follows the
// plug-in's news store rules (conditional writes by version tag, conflict
// replies carrying the stored text).
"use strict";
const path = require("node:path");
const fs = require("node:fs");
const { chromium } = require("playwright-core");

const ROOT = path.resolve(__dirname, "../..");
const PAGE_DIR = process.env.OKA_PAGE_DIR || path.join(ROOT, "build/native/page");
const PAGE_URL = "file://" + path.join(PAGE_DIR, "index.html");
const SHOT_DIR = process.env.OKA_PAGE_SHOTS || path.join(ROOT, "build/page-screenshots");

const CHROMIUM_ARGS = [
  "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
  "--disable-background-networking", "--disable-component-update",
  "--disable-sync", "--disable-quic"
];

// Runs in the page before its own scripts.
function standIn(initialStore) {
  const posted = [];
  const listeners = [];
  const store = Object.assign({ sid: null, news: null, latest: {} }, initialStore);
  const deliver = text => { for (const fn of listeners) fn({ data: text }); };
  const reply = text => setTimeout(() => deliver("m " + text), 0);

  // Conditional write: "-" expects an empty or missing text, else the
  // first eight characters must match the stored ones.
  function sync(current, body, keyword) {
    const size = current === null ? 0 : current.length;
    let next = null;
    if (body.charAt(0) === "-") { if (size === 0) next = body.slice(2); }
    else if (size === 0) next = body.slice(9);
    else if (current.length >= 8 && current.slice(0, 8) === body.slice(0, 8)) next = body.slice(9);
    if (next === null) reply("quorlV1 " + keyword + " " + current);
    return next === null ? current : next;
  }

  function handle(text) {
    const req = [
      ["quorlV1 init ", rest => {
        if (store.sid !== null) reply("quorlV1 initSid " + store.sid);
        if (store.news !== null) reply("quorlV1 initNews " + store.news);
        if (store.latest[rest] !== undefined) reply("quorlV1 initLatest " + store.latest[rest]);
        reply("quorlV1 initDone ");
      }],
      ["quorlV1 getNews ",
        () => reply("quorlV1 getNews " + (store.news === null ? "" : store.news))],
      ["quorlV1 newSid ", rest => { store.sid = rest; }],
      ["quorlV1 syncNews ", rest => { store.news = sync(store.news, rest, "syncNewsConflict"); }],
      ["quorlV1 syncLatest ", rest => {
        const sp = rest.indexOf(" ");
        const id = rest.slice(0, sp);
        const cur = store.latest[id] === undefined ? null : store.latest[id];
        store.latest[id] = sync(cur, rest.slice(sp + 1), "syncLatestConflict");
      }],
      ["quorlV1 syncNewsForce ", rest => { store.news = rest; }]
    ];
    for (const [kw, fn] of req) if (text.startsWith(kw)) { fn(text.slice(kw.length)); return; }
  }

  window.chrome = window.chrome || {};
  window.chrome.webview = {
    postMessage(text) {
      posted.push(text);
      if (typeof text === "string" && text.startsWith("m ")) handle(text.slice(2));
    },
    addEventListener(type, fn) { if (type === "message") listeners.push(fn); }
  };
  window.__test = { posted, store, deliver };
}

async function launch() {
  return chromium.launch({
    executablePath: "/usr/bin/chromium", args: CHROMIUM_ARGS, headless: true
  });
}

// Opens a fresh page; returns { page, errors } with console errors and page
// exceptions collected for the no-errors checks. o.init runs in the page
// before its scripts; o.standIn false leaves out the WebView2 stand-in.
async function openPage(browser, opts) {
  const o = opts || {};
  const page = await browser.newPage({ viewport: o.viewport || { width: 700, height: 677 } });
  const errors = [];
  page.on("console", m => { if (m.type() === "error") errors.push(m.text()); });
  page.on("pageerror", e => errors.push(String(e)));
  if (o.init) await page.addInitScript(o.init);
  if (o.standIn === false) {
    await page.goto(PAGE_URL);
    return { page, errors };
  }
  await page.addInitScript(standIn, o.store || {});
  await page.goto(PAGE_URL);
  await page.waitForFunction(() => window.__test && window.__test.posted.length >= 2);
  return { page, errors };
}

const posted = page => page.evaluate(() => window.__test.posted.slice());
const clearPosted = page => page.evaluate(() => { window.__test.posted.length = 0; });
const deliver = (page, text) => page.evaluate(t => window.__test.deliver(t), text);

function bits(v) {
  const b = Buffer.alloc(4);
  b.writeFloatLE(v);
  return b.readUInt32LE().toString(16).padStart(8, "0");
}
const valueMessage = (index, v) => "s " + index.toString(16).padStart(8, "0") + " " + bits(v);

// Sends the page the defaults of every writable parameter, as the plug-in
// answers "g", optionally overriding some by index.
async function deliverDefaults(page, overrides) {
  const params = await page.evaluate(() => window.OKA_PARAMS.map(p => p.def));
  const vals = params.map((d, i) => (overrides && i in overrides ? overrides[i] : d));
  await page.evaluate(msgs => { for (const m of msgs) window.__test.deliver(m); },
    vals.map((v, i) => valueMessage(i, v)));
}

// Edit messages as { kind, index, value } for checks.
function decode(messages) {
  return messages.filter(m => /^[bse] /.test(m)).map(m => {
    const [kind, idx, b] = m.split(" ");
    const buf = Buffer.alloc(4);
    buf.writeUInt32LE(parseInt(b, 16));
    return { kind, index: parseInt(idx, 16), value: buf.readFloatLE(), bits: b, raw: m };
  });
}

async function screenshot(page, name) {
  fs.mkdirSync(SHOT_DIR, { recursive: true });
  const file = path.join(SHOT_DIR, name);
  await page.screenshot({ path: file });
  return file;
}

module.exports = {
  launch, openPage, posted, clearPosted, deliver, deliverDefaults, decode, bits,
  valueMessage, screenshot, PAGE_URL
};
