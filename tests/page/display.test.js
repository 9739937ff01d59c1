// What the page shows: values arriving from the plug-in move the controls
// and the live displays, the host's two-decimal text, the response plot
// following the pedal, and screenshots at the design size and larger.
"use strict";
const { test, before, after } = require("node:test");
const assert = require("node:assert/strict");
const h = require("./harness");

let browser;
before(async () => { browser = await h.launch(); });
after(async () => { await browser.close(); });

const text = (page, sel) => page.locator(sel).textContent();
const canvasImage = (page, id) => page.evaluate(i => document.getElementById(i).toDataURL(), id);
// The three formant frequencies the readout shows, checked within 1 Hz.
async function assertFormants(page, expected) {
  const shown = (await text(page, "#formant-readout")).match(/\d+(?= Hz)/g).map(Number);
  assert.equal(shown.length, 3);
  shown.forEach((f, i) =>
    assert.ok(Math.abs(f - expected[i]) <= 1, `F${i + 1} ${f} vs ${expected[i]}`));
}
const frame = page => page.evaluate(
  () => new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r))));

test("incoming values move the controls and the four output displays", async () => {
  const { page, errors } = await h.openPage(browser);
  await h.deliverDefaults(page, { 2: 12.4222007837421, 7: 1, 25: 11, 31: 1, 21: -50 });
  assert.equal(await text(page, '[data-id="heel_jaw"] .knob-value'), "12.42 %");
  assert.equal(await text(page, '[data-id="lfo_bias"] .knob-value'), "-50.00 %");
  assert.equal(await text(page, '[data-id="lfo_free_rate"] .knob-value'), "2.00 Hz");
  assert.equal(await text(page, '[data-id="lfo_sync_rate"] .knob-value'), "1/8");
  assert.equal(await page.locator('[data-id="mid_on"]').getAttribute("aria-checked"), "true");
  assert.equal(await page.locator('[data-id="bypass"]').getAttribute("aria-checked"), "true");
  assert.equal(await page.locator('[data-id="lfo_on"]').getAttribute("aria-checked"), "false");

  // A later host change replaces the shown value (knob pointer included).
  const before = await page.locator('[data-id="mix"] .knob-pointer').getAttribute("transform");
  await h.deliver(page, h.valueMessage(1, 19.99));
  assert.equal(await text(page, '[data-id="mix"] .knob-value'), "19.98 %");
  assert.notEqual(
    await page.locator('[data-id="mix"] .knob-pointer').getAttribute("transform"), before);

  // Outputs: modulated position on the pedal, LFO phase and output, envelope.
  await h.deliver(page, h.valueMessage(32, 63.5));
  await h.deliver(page, h.valueMessage(33, 0.297));
  await h.deliver(page, h.valueMessage(34, -0.5));
  await h.deliver(page, h.valueMessage(35, 0.5));
  assert.equal(await text(page, ".pedal-modtext"), "Modulated 63.50 %");
  assert.equal(await text(page, ".lfo .phase .meter-value"), "0.29", "truncated, not rounded");
  assert.equal(await text(page, '[data-id="lfo_out"] .meter-value'), "-0.50");
  assert.equal(await text(page, '[data-id="env_out"] .meter-value'), "0.50");
  const fill = await page.locator('[data-id="env_out"] .meter-fill')
    .evaluate(e => [e.style.left, e.style.width]);
  assert.deepEqual(fill, ["50%", "25%"]);
  const modY = Number(await page.locator(".pedal-mod").getAttribute("y"));
  await h.deliver(page, h.valueMessage(32, 10));
  assert.ok(Number(await page.locator(".pedal-mod").getAttribute("y")) > modY,
    "heel is lower on the scale");

  // Malformed or out-of-range value messages change nothing.
  for (const bad of ["s 00000001", "s 00000024 3f800000", "s zz 3f800000", "s 00000001 7fc00000",
    "x 00000001 3f800000"]) {
    await h.deliver(page, bad);
  }
  assert.equal(await text(page, '[data-id="mix"] .knob-value'), "19.98 %");
  assert.deepEqual(errors, []);
  await page.close();
});

test("every writable parameter has one control with a tooltip", async () => {
  const { page } = await h.openPage(browser);
  const found = await page.evaluate(() => window.OKA_PARAMS.slice(0, 32).map(p => {
    const els = document.querySelectorAll(`[data-id="${p.id}"]`);
    const target = els[0] && (els[0].querySelector("[title]") || els[0]);
    return { id: p.id, count: els.length, title: target ? target.title : "" };
  }));
  for (const f of found) {
    assert.equal(f.count, 1, f.id);
    assert.ok(f.title.length > 10, "tooltip for " + f.id);
  }
  await page.close();
});

test("values read as the host writes them: two decimals, truncated", async () => {
  const { page } = await h.openPage(browser);
  const cases = await page.evaluate(() => {
    const V = window.Oka.values, P = window.OKA_PARAMS;
    const f = (i, v) => V.formatValue(P[i], v);
    return [f(0, 50), f(21, -50), f(2, P[2].def), f(1, 100), f(24, 0.2), f(24, 2),
      f(29, 1000), f(33, 0.3), f(1, 19.99), f(7, 0.7), f(7, 0.5), f(33, 0.07), f(1, 1e300)];
  });
  assert.deepEqual(cases.slice(0, 12), ["50.00", "-50.00", "12.42", "100.00", "0.20", "2.00",
    "999.99", "0.29", "19.98", "0.69", "0.50", "0.06"]);
  assert.ok(cases[12].length < 16, "absurd values stay short: " + cases[12]);
  const snaps = await page.evaluate(() => {
    const V = window.Oka.values, P = window.OKA_PARAMS;
    return [V.snapAndClamp(P[7], 0.49), V.snapAndClamp(P[7], 0.5), V.snapAndClamp(P[25], 7.5),
      V.snapAndClamp(P[25], 7.49), V.snapAndClamp(P[25], 30), V.snapAndClamp(P[25], -0.5),
      V.snapAndClamp(P[31], 0.7), V.snapAndClamp(P[21], -150)];
  });
  assert.deepEqual(snaps, [0, 1, 8, 7, 24, 1, 1, -100]);
  await page.close();
});

test("the response plot follows the modulated position and the vowel settings", async () => {
  const { page, errors } = await h.openPage(browser);
  await frame(page);
  assert.match(await text(page, "#formant-readout"), /Waiting/);
  await h.deliverDefaults(page, { 32: 0 });
  await frame(page);
  await assertFormants(page, [286, 835, 2515]);
  const heelImage = await canvasImage(page, "response-plot");

  await h.deliver(page, h.valueMessage(32, 100));
  await frame(page);
  await assertFormants(page, [926, 1754, 2774]);
  const toeImage = await canvasImage(page, "response-plot");
  assert.notEqual(toeImage, heelImage);

  // Mid on: the middle of the pedal is exactly the mid vowel.
  await h.deliver(page, h.valueMessage(7, 1));
  await h.deliver(page, h.valueMessage(32, 50));
  await frame(page);
  await assertFormants(page, [463, 1797, 2654]);

  // Editing a vowel moves the curve too.
  const midImage = await canvasImage(page, "response-plot");
  await h.deliver(page, h.valueMessage(8, 0));
  await frame(page);
  assert.notEqual(await canvasImage(page, "response-plot"), midImage);

  // The peak of the drawn response sits at the first formant, with the
  // filter's gain there (Q = f / 80 Hz).
  const peak = await page.evaluate(() => {
    const V = window.Oka.voice;
    const f = V.formants(V.vowel([0, 0, 50, 50, 50, 50, 100], 2));
    return { gainAtF1: V.response(f, f[0]), q: f[0] / 80, below: V.response(f, f[0] * 0.6) };
  });
  assert.ok(Math.abs(peak.gainAtF1 - peak.q) / peak.q < 0.15, JSON.stringify(peak));
  assert.ok(peak.below < peak.gainAtF1 / 3);
  assert.deepEqual(errors, []);
  await page.close();
});

test("the LFO preview draws the chosen waveform and its phase", async () => {
  const { page, errors } = await h.openPage(browser);
  await h.deliverDefaults(page);
  await frame(page);
  assert.equal(await text(page, "#lfo-caption"), "Sine");
  const sine = await canvasImage(page, "lfo-plot");
  await h.deliver(page, h.valueMessage(19, 3.5));
  await frame(page);
  assert.equal(await text(page, "#lfo-caption"), "Square \u2192 Random");
  assert.notEqual(await canvasImage(page, "lfo-plot"), sine);
  const shapes = await page.evaluate(() => {
    const L = window.Oka.lfoShape;
    return [L.shape(0, 1, 0.5, 0), L.shape(0.5, 1, 0.5, 0), L.shape(0.25, 2, 0.5, 0),
      L.shape(0.25, 3, 0.5, 0), L.shape(0.75, 3, 0.5, 0), L.shape(0.25, 4, 0.5, 0.3),
      L.shape(0.0005, 1, L.skewPoint(-100), 0)];
  });
  assert.ok(Math.abs(shapes[0] + 1) < 1e-9 && Math.abs(shapes[1] - 1) < 1e-9, "sine from -1 to +1");
  assert.ok(Math.abs(shapes[2]) < 1e-4, "triangle crosses zero at a quarter cycle");
  assert.deepEqual(shapes.slice(3, 5), [1, -1]);
  assert.ok(Math.abs(shapes[5] - 0.3) < 1e-7, "random holds its level");
  assert.ok(shapes[6] > -0.01, "skew -100 rises in the first thousandth of the cycle");
  assert.deepEqual(errors, []);
  await page.close();
});

test("the page fits every window size; screenshots for people to look at", async () => {
  for (const [w, hgt, name] of [[700, 677, "page-700x677.png"],
    [1280, 1100, "page-1280x1100.png"], [480, 460, "page-480x460.png"]]) {
    const { page, errors } = await h.openPage(browser, { viewport: { width: w, height: hgt } });
    await h.deliverDefaults(page,
      { 0: 35, 32: 58, 33: 0.4, 34: 0.31, 35: 0.12, 7: 1, 18: 1, 19: 1.4, 27: 1 });
    await frame(page);
    const box = await page.locator("#stage").boundingBox();
    assert.ok(box.x >= -0.5 && box.y >= -0.5 && box.x + box.width <= w + 0.5 &&
      box.y + box.height <= hgt + 0.5,
      `stage inside ${w}x${hgt}: ${JSON.stringify(box)}`);
    // Nothing spills out of the stage at the design size.
    const overflow = await page.evaluate(() => {
      const s = document.getElementById("stage");
      const r = s.getBoundingClientRect();
      return Array.from(s.querySelectorAll(".panel, .top")).filter(e => {
        const b = e.getBoundingClientRect();
        return b.bottom > r.bottom + 1 || b.right > r.right + 1;
      }).map(e => e.className);
    });
    assert.deepEqual(overflow, []);
    await h.screenshot(page, name);
    assert.deepEqual(errors, []);
    await page.close();
  }
});
