// The preset bar: choosing and stepping through the factory presets sends
// ordinary edits, one bracketed gesture per parameter that changes and none
// for the others, and the bar marks values that left the chosen preset.
"use strict";
const { test, before, after, beforeEach } = require("node:test");
const assert = require("node:assert/strict");
const h = require("./harness");

let browser, page, errors, presets, defaults;
before(async () => { browser = await h.launch(); });
after(async () => { await browser.close(); });
beforeEach(async () => {
  if (page) await page.close();
  ({ page, errors } = await h.openPage(browser));
  presets = await page.evaluate(() => window.OKA_PRESETS);
  defaults = await page.evaluate(() => window.OKA_PARAMS.slice(0, 32).map(p => p.def));
});

const byName = name => presets.findIndex(p => p.name === name);
const f32 = v => h.bits(v);
const menuText = () => page.locator("#preset-menu option:checked").textContent();
const marked = () => page.locator("#preset-bar .preset-mark").isVisible();

// Sends the page the values of a preset (or of any list), as a host does.
async function deliverValues(values) {
  await page.evaluate(msgs => { for (const m of msgs) window.__test.deliver(m); },
    values.map((v, i) => h.valueMessage(i, v)));
}

// The edits sent must be, in index order, one b/s/e gesture for every
// parameter whose value differs between `from` and `to`, and nothing else.
function assertPresetEdits(messages, from, to) {
  assert.ok(messages.every(m => /^[bse] /.test(m)), "only edit messages: " + messages.join(" | "));
  const edits = h.decode(messages);
  const expected = [];
  to.forEach((v, i) => {
    if (f32(v) === f32(from[i])) return;
    expected.push(["b", i, f32(from[i])], ["s", i, f32(v)], ["e", i, f32(v)]);
  });
  assert.deepEqual(edits.map(e => [e.kind, e.index, e.bits]), expected);
  assert.ok(expected.length > 0, "the presets differ somewhere");
}

test("the bar lists the presets by category and waits for the plug-in's values", async () => {
  assert.ok(presets.length >= 16);
  assert.equal(presets[0].name, "Init");
  const groups = await page.evaluate(() => [...document.querySelectorAll("#preset-menu optgroup")]
    .map(g => ({ label: g.label,
      names: [...g.querySelectorAll("option")].map(o => o.textContent) })));
  const expected = [];
  for (const p of presets) {
    if (!expected.length || expected[expected.length - 1].label !== p.category)
      expected.push({ label: p.category, names: [] });
    expected[expected.length - 1].names.push(p.name);
  }
  assert.deepEqual(groups, expected);
  // No values yet: no starting point, so the bar does nothing.
  assert.ok(await page.locator("#preset-menu").isDisabled());
  await h.clearPosted(page);
  await page.locator("#preset-bar .next").click({ force: true });
  assert.deepEqual(await h.posted(page), []);
  await h.deliverDefaults(page);
  assert.equal(await menuText(), "Init", "the defaults are recognised as Init");
  assert.equal(await marked(), false);
  assert.deepEqual(errors, []);
});

test("choosing a preset sends exactly the differing parameters as gestures, in index order",
  async () => {
    await h.deliverDefaults(page);
    await h.clearPosted(page);
    await page.selectOption("#preset-menu", { label: "Talk Box Wow" });
    assertPresetEdits(await h.posted(page), defaults, presets[byName("Talk Box Wow")].values);
    assert.equal(await menuText(), "Talk Box Wow");
    assert.equal(await marked(), false);

    // From there to a preset sharing many of its values: only the others go.
    await h.clearPosted(page);
    await page.selectOption("#preset-menu", { label: "Backwards Yow" });
    assertPresetEdits(await h.posted(page), presets[byName("Talk Box Wow")].values,
      presets[byName("Backwards Yow")].values);

    // The preset in place already: nothing to send.
    await h.clearPosted(page);
    await page.evaluate(k => window.Oka.presetBar.choose(k), byName("Backwards Yow"));
    assert.deepEqual(await h.posted(page), []);
    assert.deepEqual(errors, []);
  });

test("previous and next step through the list and wrap around", async () => {
  await h.deliverDefaults(page);
  await h.clearPosted(page);
  await page.locator("#preset-bar .next").click();
  assertPresetEdits(await h.posted(page), defaults, presets[1].values);
  assert.equal(await menuText(), presets[1].name);

  await page.locator("#preset-bar .prev").click();
  assert.equal(await menuText(), "Init");
  await h.clearPosted(page);
  await page.locator("#preset-bar .prev").click();
  const last = presets[presets.length - 1];
  assert.equal(await menuText(), last.name, "before the first comes the last");
  assertPresetEdits(await h.posted(page), defaults, last.values);
  await page.locator("#preset-bar .next").click();
  assert.equal(await menuText(), "Init", "after the last comes the first");
  assert.deepEqual(errors, []);
});

test("a knob move marks the preset changed; its value back, or the host's preset, clears it",
  async () => {
    await h.deliverDefaults(page);
    await page.selectOption("#preset-menu", { label: "Funk Quack" });
    assert.equal(await marked(), false);
    const dial = page.locator('[data-id="mix"] .knob-dial');
    const box = await dial.boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2 + 40);
    await page.mouse.up();
    assert.equal(await marked(), true, "the mix knob left the preset");
    assert.equal(await menuText(), "Funk Quack", "the name stays");
    await h.screenshot(page, "preset-changed.png");

    // The host puts the preset's mix back (an undo): no longer changed.
    await h.deliver(page, h.valueMessage(1, presets[byName("Funk Quack")].values[1]));
    assert.equal(await marked(), false);

    // A host that loads another of our presets itself: the bar names it.
    await deliverValues(presets[byName("Eighth Chop")].values);
    assert.equal(await menuText(), "Eighth Chop");
    assert.equal(await marked(), false);
    assert.deepEqual(errors, []);
  });
