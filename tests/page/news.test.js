// The news conversation against a small store with the plug-in's rules:
// the Sid made once, stored news with unread marks, read marks written with
// the version tag, conflicts merged and written again, and the version line.
"use strict";
const { test, before, after } = require("node:test");
const assert = require("node:assert/strict");
const h = require("./harness");

let browser;
before(async () => { browser = await h.launch(); });
after(async () => { await browser.close(); });

const newsText = (tag, items, read) => tag + "\n" + JSON.stringify({ items, read });
const ITEMS = [
  {
    id: "n1", date: "2026-11-02", title: "Oka Oka Wah 1.0", body: "Out now.",
    url: "https://example.invalid/1"
  },
  {
    id: "n2", date: "2026-11-20", title: "<img src=x onerror=alert(1)>Presets",
    body: "<b>Twelve</b>", url: "javascript:alert(1)"
  }
];
const settle = page => page.waitForTimeout(30);
const store = page => page.evaluate(() => JSON.parse(JSON.stringify(window.__test.store)));
const newsRequests = async page => (await h.posted(page)).filter(m => m.startsWith("m ")).slice(1);

test("a Sid is made once, only when none is stored", async () => {
  let { page, errors } = await h.openPage(browser);
  await settle(page);
  const made = (await store(page)).sid;
  assert.match(made, /^[0-9a-f]{32}$/);
  assert.deepEqual(await newsRequests(page), ["m quorlV1 newSid " + made]);
  await page.close();

  ({ page } = await h.openPage(browser, { store: { sid: "4f2a" } }));
  await settle(page);
  assert.deepEqual(await newsRequests(page), [], "a stored Sid is kept");
  assert.equal((await store(page)).sid, "4f2a");
  await page.close();

  // Two pages opened without a stored Sid make different ones.
  ({ page } = await h.openPage(browser));
  await settle(page);
  assert.notEqual((await store(page)).sid, made);
  assert.deepEqual(errors, []);
  await page.close();
});

test("stored news shows with unread marks; reading one writes against the tag", async () => {
  const stored = newsText("aaaaaaaa", ITEMS, ["n1"]);
  const { page, errors } = await h.openPage(browser, { store: { sid: "s", news: stored } });
  await settle(page);
  assert.equal(await page.locator("#news-button .badge").textContent(), "1");
  await page.locator("#news-button").click();
  await settle(page);
  assert.ok((await h.posted(page)).includes("m quorlV1 getNews "),
    "opening the panel re-reads the news");
  assert.equal(await page.locator(".news-list .item").count(), 2);
  assert.equal(await page.locator(".news-list .item.unread").count(), 1);
  assert.equal(await page.locator('.item[data-id="n2"] a').count(), 0,
    "only web links become links");
  assert.equal(await page.locator(".news-list img, .news-list b").count(), 0,
    "stored text is shown as text");
  assert.match(await page.locator('.item[data-id="n2"]').textContent(),
    /<img src=x onerror=alert\(1\)>Presets/);
  assert.equal(await page.locator('.item[data-id="n1"] a').getAttribute("href"),
    "https://example.invalid/1");

  await page.locator('.item[data-id="n2"]').click();
  await settle(page);
  const sync = (await h.posted(page)).filter(m => m.startsWith("m quorlV1 syncNews "));
  assert.equal(sync.length, 1);
  assert.ok(sync[0].startsWith("m quorlV1 syncNews aaaaaaaa "), sync[0]);
  const now = (await store(page)).news;
  assert.notEqual(now.slice(0, 8), "aaaaaaaa", "a write brings a new tag");
  assert.deepEqual(JSON.parse(now.slice(9)).read.sort(), ["n1", "n2"]);
  assert.equal(await page.locator(".news-list .item.unread").count(), 0);
  assert.equal(await page.locator("#news-button .badge").isHidden(), true);
  assert.deepEqual(errors, []);
  await page.close();
});

test("a change by another instance in between is merged, not lost", async () => {
  const stored = newsText("aaaaaaaa", ITEMS, []);
  const { page, errors } = await h.openPage(browser, { store: { sid: "s", news: stored } });
  await settle(page);
  // Another instance adds an item and marks n2 read after we read the text.
  await page.evaluate(t => { window.__test.store.news = t; }, newsText("bbbbbbbb",
    ITEMS.concat([{ id: "n3", date: "2026-12-01", title: "Update", body: "1.0.0.2" }]), ["n2"]));
  await page.locator("#news-button").click();
  await page.evaluate(() => window.Oka.news.markRead(["n1"]));
  await settle(page);
  // Whether the re-read or the conflict brought the other text in, the
  // store ends up with both instances' marks and every item.
  const doc = JSON.parse((await store(page)).news.slice(9));
  assert.deepEqual(doc.read.sort(), ["n1", "n2"]);
  assert.deepEqual(doc.items.map(i => i.id).sort(), ["n1", "n2", "n3"]);
  assert.equal(await page.locator(".news-list .item.unread").count(), 1);
  assert.deepEqual(errors, []);
  await page.close();
});

test("a re-read that lacks this page's read marks writes them again", async () => {
  const { page, errors } = await h.openPage(browser,
    { store: { sid: "s", news: newsText("aaaaaaaa", ITEMS, []) } });
  await settle(page);
  await page.evaluate(() => window.Oka.news.markRead(["n1"]));
  await settle(page);
  // Another instance forces its own text, without our mark, and we re-read.
  const theirs = newsText("eeeeeeee", ITEMS, ["n2"]);
  await page.evaluate(t => { window.__test.store.news = t; }, theirs);
  await h.clearPosted(page);
  await h.deliver(page, "m quorlV1 getNews " + theirs);
  await settle(page);
  const syncs = (await h.posted(page)).filter(m => m.startsWith("m quorlV1 syncNews"));
  assert.equal(syncs.length, 1);
  assert.ok(syncs[0].startsWith("m quorlV1 syncNews eeeeeeee "));
  assert.deepEqual(JSON.parse((await store(page)).news.slice(9)).read.sort(), ["n1", "n2"]);
  // A re-read that already has everything writes nothing.
  await h.clearPosted(page);
  await page.locator("#news-button").click();
  await settle(page);
  assert.deepEqual((await h.posted(page)).filter(m => m.includes("sync")), []);
  assert.deepEqual(errors, []);
  await page.close();
});

test("conflict replies are merged and written with the stored tag", async () => {
  const { page, errors } = await h.openPage(browser,
    { store: { sid: "s", news: newsText("aaaaaaaa", ITEMS, []) } });
  await settle(page);
  await page.evaluate(t => { window.__test.store.news = t; }, newsText("cccccccc", ITEMS, ["n2"]));
  await h.clearPosted(page);
  await page.evaluate(() => window.Oka.news.markRead(["n1"]));
  await settle(page);
  const syncs = (await h.posted(page)).filter(m => m.startsWith("m quorlV1 syncNews"));
  assert.equal(syncs.length, 2, syncs.join("\n"));
  assert.ok(syncs[0].startsWith("m quorlV1 syncNews aaaaaaaa "));
  assert.ok(syncs[1].startsWith("m quorlV1 syncNews cccccccc "),
    "the retry names the tag it was shown");
  assert.deepEqual(JSON.parse((await store(page)).news.slice(9)).read.sort(), ["n1", "n2"]);
  assert.deepEqual(errors, []);
  await page.close();
});

test("missing, damaged and short news texts are written in the form that can succeed", async () => {
  let { page, errors } = await h.openPage(browser, { store: { sid: "s", news: "" } });
  await settle(page);
  await page.evaluate(items => {
    window.Oka.news.state.news.items = items;
    window.Oka.news.markRead(["n1"]);
  }, ITEMS);
  await settle(page);
  assert.ok((await h.posted(page)).some(m => m.startsWith("m quorlV1 syncNews - ")),
    "empty store expects nothing");
  assert.deepEqual(JSON.parse((await store(page)).news.slice(9)).read, ["n1"]);
  await page.close();

  // Shorter than a tag: a tagged write could never match, so it is forced.
  ({ page } = await h.openPage(browser, { store: { sid: "s", news: "xyz" } }));
  await settle(page);
  assert.equal(await page.locator(".news-list .empty").count(), 1, "garbage shows as no news");
  await page.evaluate(items => {
    window.Oka.news.state.news.items = items;
    window.Oka.news.markRead(["n2"]);
  }, ITEMS);
  await settle(page);
  assert.deepEqual(JSON.parse((await store(page)).news.slice(9)).read, ["n2"]);
  assert.deepEqual(errors, []);
  await page.close();
});

test("the version line tells whether a newer version is known", async () => {
  const latest = v => ({ "zarvo-oka-oka-wah": "dddddddd\n" + JSON.stringify({ version: v }) });
  for (const [v, expected] of [["1.0.0.2", /1\.0\.0\.2 is available/],
    ["1.0.0.1", /1\.0\.0\.1 is the latest/], ["0.9", /1\.0\.0\.1 is the latest/],
    ["1.0.10", /1\.0\.10 is available/]]) {
    const { page, errors } = await h.openPage(browser, { store: { sid: "s", latest: latest(v) } });
    await settle(page);
    assert.match(await page.locator("#news .latest").textContent(), expected, v);
    const header = await page.locator("#version").textContent();
    assert.equal(header,
      /available/.test(expected.source) ? "Update " + v + " available" : "v1.0.0.1");
    assert.deepEqual(errors, []);
    await page.close();
  }
});
