// Compares the editor page's generated preset list (presets.js) with the
// native preset table printed by preset_table_json: names, categories and
// every value as the float the page sends (Math.fround), bit for bit.
// usage: node compare_page_presets.mjs <preset_table_json executable> <presets.js>
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import vm from 'node:vm';

const [tableProgram, pageFile] = process.argv.slice(2);
const table = JSON.parse(execFileSync(tableProgram, { encoding: 'utf8' })).presets;
const sandbox = { window: {} };
vm.runInNewContext(readFileSync(pageFile, 'utf8'), sandbox);
const page = sandbox.window.OKA_PRESETS;

const f32bits = v => {
  const b = Buffer.alloc(4);
  b.writeFloatLE(Math.fround(v));
  return b.readUInt32LE().toString(16).padStart(8, '0');
};
const problems = [];
if (!Array.isArray(page) || page.length !== table.length) {
  problems.push(`page lists ${page && page.length} presets, the table ${table.length}`);
} else {
  table.forEach((want, i) => {
    const got = page[i];
    if (got.name !== want.name)
      problems.push(`preset ${i}: page "${got.name}", table "${want.name}"`);
    if (got.category !== want.category)
      problems.push(`${want.name}: page category "${got.category}", table "${want.category}"`);
    const bits = Array.isArray(got.values) ? got.values.map(f32bits) : [];
    if (bits.join() !== want.bits.join())
      problems.push(`${want.name}: page values ${bits.join()}, table ${want.bits.join()}`);
  });
}
if (problems.length) {
  console.error(problems.join('\n'));
  process.exit(1);
}
console.log(`page preset list matches the table (${table.length} presets)`);
