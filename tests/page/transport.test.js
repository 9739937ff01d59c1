// The same page behind the Linux web helper: no window.chrome.webview, but
// WebKit's message handler "oka" for the page's messages and
// window.Oka.transport.deliver for the plug-in's. The page must hold the
// same conversation through it as through WebView2.
"use strict";
const { test, before, after } = require("node:test");
const assert = require("node:assert/strict");
const h = require("./harness");

let browser;
before(async () => { browser = await h.launch(); });
after(async () => { await browser.close(); });

// Runs in the page before its own scripts: WebKit's handler object records
// what the page posts, as the helper would relay it.
function webkitStandIn() {
  const posted = [];
  window.webkit = { messageHandlers: { oka: { postMessage(text) { posted.push(text); } } } };
  window.__helper = { posted };
}

test("through the helper's channel the page asks for values, shows them, edits", async () => {
  const { page, errors } = await h.openPage(browser, { standIn: false, init: webkitStandIn });
  await page.waitForFunction(() => window.__helper.posted.length >= 2);
  const posted = () => page.evaluate(() => window.__helper.posted.slice());
  assert.equal((await posted())[0], "g", "asks for every value first");
  assert.ok((await posted()).some(m => m.startsWith("m quorlV1 init ")), "starts the news");
  assert.equal(await page.evaluate(() => window.chrome && window.chrome.webview), undefined);

  // The helper delivers the plug-in's messages as plain strings.
  const params = await page.evaluate(() => window.OKA_PARAMS.map(p => p.def));
  for (const [i, v] of params.entries()) {
    await page.evaluate(t => window.Oka.transport.deliver(t), h.valueMessage(i, i === 18 ? 1 : v));
  }
  assert.equal(await page.locator('[data-id="lfo_on"]').getAttribute("aria-checked"), "true");
  await page.evaluate(t => window.Oka.transport.deliver(t), h.valueMessage(2, 80));
  assert.equal(await page.locator('[data-id="heel_jaw"] .knob-value').textContent(), "80.00 %");

  // A click on the LFO switch goes out through the handler as one gesture.
  await page.evaluate(() => { window.__helper.posted.length = 0; });
  await page.locator('[data-id="lfo_on"]').click();
  assert.deepEqual(h.decode(await posted()).map(e => [e.kind, e.index, e.value]),
    [["b", 18, 1], ["s", 18, 0], ["e", 18, 0]]);
  assert.deepEqual(errors, []);
});
