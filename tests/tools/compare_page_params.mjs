// Compares the editor page's generated parameter list (params.js) with the
// native parameter table printed by param_table_json, field by field, after
// running the file as the page does.
// usage: node compare_page_params.mjs <param_table_json executable> <params.js>
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import vm from 'node:vm';

const [tableProgram, pageFile] = process.argv.slice(2);
const table = JSON.parse(execFileSync(tableProgram, { encoding: 'utf8' }));
const sandbox = { window: {} };
vm.runInNewContext(readFileSync(pageFile, 'utf8'), sandbox);
const page = sandbox.window.OKA_PARAMS;
const names = sandbox.window.OKA_SYNC_RATE_NAMES;

const problems = [];
if (!Array.isArray(page) || page.length !== table.params.length) {
  problems.push(`page lists ${page && page.length} parameters, the table ${table.params.length}`);
} else {
  table.params.forEach((want, i) => {
    for (const [key, value] of Object.entries(want)) {
      if (page[i][key] !== value) {
        problems.push(`index ${i} ${key}: page ${JSON.stringify(page[i][key])}, ` +
          `table ${JSON.stringify(value)}`);
      }
    }
  });
}
if (JSON.stringify(names) !== JSON.stringify(table.syncRateNames)) {
  problems.push(`sync rate names: page ${JSON.stringify(names)}, ` +
    `table ${JSON.stringify(table.syncRateNames)}`);
}
if (problems.length) {
  console.error(problems.join('\n'));
  process.exit(1);
}
console.log(`page parameter list matches the table (${table.params.length} entries)`);
