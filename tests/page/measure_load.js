// Measures how fast the editor page loads from file: and answers its first
// values; prints numbers, asserts nothing. Run: node measure_load.js [runs]
"use strict";
const h = require("./harness");

(async () => {
  const runs = Number(process.argv[2] || 5);
  const browser = await h.launch();
  const rows = [];
  for (let i = 0; i < runs; i++) {
    const t0 = Date.now();
    const { page } = await h.openPage(browser);
    const nav = await page.evaluate(() => {
      const n = performance.getEntriesByType("navigation")[0];
      return { domReady: n.domContentLoadedEventEnd, load: n.loadEventEnd };
    });
    // All 36 values delivered and drawn.
    const t1 = Date.now();
    await h.deliverDefaults(page);
    await page.evaluate(
      () => new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r))));
    rows.push({
      domReady: nav.domReady, load: nav.load, open: t1 - t0, valuesDrawn: Date.now() - t1
    });
    await page.close();
  }
  await browser.close();
  const med = k => rows.map(r => r[k]).sort((a, b) => a - b)[Math.floor(rows.length / 2)];
  console.log(`runs ${runs}: DOMContentLoaded ${med("domReady").toFixed(0)} ms, ` +
    `load ${med("load").toFixed(0)} ms, page open incl. browser tab ${med("open")} ms, ` +
    `36 values received and drawn ${med("valuesDrawn")} ms (medians)`);
})();
