// What the page says to the plug-in: the requests on load, and the edit
// messages of every kind of gesture (bracketing, bit patterns, snapping).
"use strict";
const { test, before, after, beforeEach } = require("node:test");
const assert = require("node:assert/strict");
const h = require("./harness");

let browser, page, errors;
before(async () => { browser = await h.launch(); });
after(async () => { await browser.close(); });
beforeEach(async () => {
  if (page) await page.close();
  ({ page, errors } = await h.openPage(browser));
});

// Every edit message run must be one "b", then "s" messages, then one "e",
// all for the same index; returns the decoded messages.
function assertBracketed(messages, index) {
  const edits = h.decode(messages);
  assert.ok(edits.length >= 2, "a gesture sends at least b and e: " + messages.join(" | "));
  assert.equal(edits[0].kind, "b");
  assert.equal(edits[edits.length - 1].kind, "e");
  for (const e of edits.slice(1, -1)) assert.equal(e.kind, "s");
  for (const e of edits) assert.equal(e.index, index);
  assert.equal(edits[edits.length - 1].value, edits[edits.length - 2].value,
    "e carries the last value");
  for (const m of edits) assert.match(m.raw, /^[bse] [0-9a-f]{8} [0-9a-f]{8}$/);
  return edits;
}

async function center(selector) {
  const box = await page.locator(selector).boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

async function drag(selector, dy, opts) {
  const c = await center(selector);
  await page.mouse.move(c.x, c.y);
  if (opts && opts.shift) await page.keyboard.down("Shift");
  await page.mouse.down();
  for (let i = 1; i <= 6; i++) await page.mouse.move(c.x, c.y - dy * i / 6);
  await page.mouse.up();
  if (opts && opts.shift) await page.keyboard.up("Shift");
}

const knobDial = id => `[data-id="${id}"] .knob-dial`;

test("on load the page asks for all values, then starts the news, and assumes no value",
  async () => {
  const sent = await h.posted(page);
  assert.equal(sent[0], "g");
  assert.equal(sent[1], "m quorlV1 init zarvo-oka-oka-wah");
  assert.equal(h.decode(sent).length, 0);
  assert.equal(await page.locator('[data-id="mix"] .knob-value').textContent(), "\u2014");
  assert.equal(await page.locator('[data-id="position"] .pedal-value').textContent(), "\u2014");
  // Without a received value there is no starting point: gestures do nothing.
  await h.clearPosted(page);
  await drag(knobDial("mix"), 60);
  await page.locator(knobDial("mix")).dblclick();
  await page.locator('[data-id="mid_on"]').click();
  assert.deepEqual(h.decode(await h.posted(page)), []);
  assert.deepEqual(errors, []);
});

test("dragging sends one bracketed gesture of snapped values, and Shift drags finer", async () => {
  await h.deliverDefaults(page, { 1: 50 });
  await h.clearPosted(page);
  await drag(knobDial("mix"), 48);
  const coarse = assertBracketed(await h.posted(page), 1);
  assert.equal(coarse[0].bits, h.bits(50), "b carries the starting value");
  const coarseEnd = coarse[coarse.length - 1].value;
  assert.ok(coarseEnd > 60 && coarseEnd <= 100,
    "48 px up moves a fifth of the range: " + coarseEnd);
  assert.equal(await page.locator('[data-id="mix"] .knob-value').textContent(),
    await page.evaluate(v => window.Oka.values.displayText(window.OKA_PARAMS[1], v), coarseEnd));

  await h.deliver(page, h.valueMessage(1, 50));
  await h.clearPosted(page);
  await drag(knobDial("mix"), 48, { shift: true });
  const fine = assertBracketed(await h.posted(page), 1);
  const fineMove = fine[fine.length - 1].value - 50;
  assert.ok(fineMove > 0 && fineMove < (coarseEnd - 50) / 5,
    "fine drag moves far less: " + fineMove);

  // An integer parameter only ever sends whole numbers inside its range.
  await h.clearPosted(page);
  await h.deliver(page, h.valueMessage(23, 1));
  await h.clearPosted(page);
  await drag(knobDial("lfo_sync_rate"), -200);
  const steps = assertBracketed(await h.posted(page), 25);
  for (const s of steps) {
    assert.ok(Number.isInteger(s.value) && s.value >= 1 && s.value <= 24, "sync rate " + s.value);
  }
  assert.equal(steps[steps.length - 1].value, 1);
  assert.deepEqual(errors, []);
});

test("wheel, arrow keys, double-click reset and typed entry are each one gesture", async () => {
  await h.deliverDefaults(page, { 21: 0, 24: 2, 8: 10 });

  await h.clearPosted(page);
  const c = await center(knobDial("lfo_bias"));
  await page.mouse.move(c.x, c.y);
  await page.mouse.wheel(0, -100);
  let g = assertBracketed(await h.posted(page), 21);
  assert.deepEqual(g.map(e => e.value), [0, 2, 2], "one wheel notch is 1 % of the 200 % range");

  await h.clearPosted(page);
  await page.locator(knobDial("lfo_free_rate")).focus();
  await page.keyboard.press("ArrowDown");
  g = assertBracketed(await h.posted(page), 24);
  assert.equal(g[0].value, 2);
  assert.equal(g[2].bits, h.bits(2 * Math.pow(100, -0.01)), "logarithmic step down from 2 Hz");

  await h.clearPosted(page);
  await page.locator(knobDial("mid_jaw")).dblclick();
  g = assertBracketed(await h.posted(page), 8);
  assert.equal(g[0].value, 10);
  assert.equal(g[2].bits, h.bits(46.6582563814956), "reset goes to the default");
  assert.equal(g.length, 3);

  await h.clearPosted(page);
  await page.locator('[data-id="env_attack"] .knob-value').click();
  await page.locator('[data-id="env_attack"] input').fill("250 ms");
  await page.keyboard.press("Enter");
  g = assertBracketed(await h.posted(page), 29);
  assert.deepEqual(g.map(e => e.value), [100, 250, 250]);
  // The host's text goes through the normalized value, and 250 ms comes back
  // as 249.99999999999997: the page shows what the host shows.
  assert.equal(await page.locator('[data-id="env_attack"] .knob-value').textContent(), "249.99 ms");

  // Out-of-range entries are clamped; nonsense and Escape send nothing.
  await h.clearPosted(page);
  await page.locator('[data-id="env_attack"] .knob-value').click();
  await page.locator('[data-id="env_attack"] input').fill("5000");
  await page.keyboard.press("Enter");
  assert.deepEqual(h.decode(await h.posted(page)).map(e => e.value), [250, 1000, 1000]);
  await h.clearPosted(page);
  await page.locator('[data-id="env_attack"] .knob-value').click();
  await page.locator('[data-id="env_attack"] input').fill("loud");
  await page.keyboard.press("Enter");
  await page.locator('[data-id="env_attack"] .knob-value').click();
  await page.locator('[data-id="env_attack"] input').fill("3");
  await page.keyboard.press("Escape");
  assert.deepEqual(h.decode(await h.posted(page)), []);

  // The sync rate takes its note names.
  await h.deliver(page, h.valueMessage(23, 1));
  await h.clearPosted(page);
  await page.locator('[data-id="lfo_sync_rate"] .knob-value').click();
  await page.locator('[data-id="lfo_sync_rate"] input').fill("1/16T");
  await page.keyboard.press("Enter");
  assert.deepEqual(assertBracketed(await h.posted(page), 25).map(e => e.value), [8, 15, 15]);
  assert.deepEqual(errors, []);
});

test("switches flip as one gesture each, bypass included", async () => {
  await h.deliverDefaults(page);
  for (const [id, index] of
    [["mid_on", 7], ["lfo_on", 18], ["lfo_sync", 23], ["env_on", 27], ["bypass", 31]]) {
    await h.clearPosted(page);
    await page.locator(`[data-id="${id}"]`).click();
    const g = assertBracketed(await h.posted(page), index);
    assert.deepEqual(g.map(e => e.bits), ["00000000", "3f800000", "3f800000"], id);
    assert.equal(await page.locator(`[data-id="${id}"]`).getAttribute("aria-checked"), "true");
  }
  await h.clearPosted(page);
  await page.locator('[data-id="bypass"]').press("Space");
  assert.deepEqual(assertBracketed(await h.posted(page), 31).map(e => e.value), [1, 0, 0]);
  assert.deepEqual(errors, []);
});

test("the pedal drags, wheels and resets like the knobs", async () => {
  await h.deliverDefaults(page, { 0: 20 });
  await h.clearPosted(page);
  await drag('[data-id="position"] .pedal-stage', 60);
  const g = assertBracketed(await h.posted(page), 0);
  assert.equal(g[0].value, 20);
  assert.ok(g[g.length - 1].value > 40, "pedal moved toward the toe: " + g[g.length - 1].value);
  await h.clearPosted(page);
  await page.locator('[data-id="position"] .pedal-stage').dblclick();
  assert.equal(h.decode(await h.posted(page)).pop().value, 50);
  assert.deepEqual(errors, []);
});

test("opened outside the plug-in (no web view) the page loads cleanly and stays inert",
  async () => {
  const alone = await h.openPage(browser, { standIn: false });
  await alone.page.waitForSelector('[data-id="mix"] .knob-value');
  assert.equal(await alone.page.locator('[data-id="mix"] .knob-value').textContent(), "\u2014");
  const box = await alone.page.locator(knobDial("mix")).boundingBox();
  await alone.page.mouse.move(box.x + 20, box.y + 20);
  await alone.page.mouse.down();
  await alone.page.mouse.move(box.x + 20, box.y - 20);
  await alone.page.mouse.up();
  await alone.page.locator('[data-id="bypass"]').click();
  assert.equal(await alone.page.locator('[data-id="bypass"]').getAttribute("aria-checked"),
    "mixed");
  assert.deepEqual(alone.errors, []);
  await alone.page.close();
});
