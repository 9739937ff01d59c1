// Compares the editor page's parameter list (webui/page/params.js) with the
// native parameter table printed by param_table_json, field by field.
// usage: node compare_page_params.mjs <param_table_json executable> <params.js>
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import vm from 'node:vm';

const [tableProgram, pageFile] = process.argv.slice(2);
const table = JSON.parse(execFileSync(tableProgram, { encoding: 'utf8' }));
const sandbox = { window: {} };
vm.runInNewContext(readFileSync(pageFile, 'utf8'), sandbox);
const page = sandbox.window.OKA_PARAMS;

const problems = [];
if (!Array.isArray(page) || page.length !== table.length) {
  problems.push(`page lists ${page && page.length} parameters, the table ${table.length}`);
} else {
  table.forEach((want, i) => {
    for (const [key, value] of Object.entries(want)) {
      if (page[i][key] !== value) {
        problems.push(`index ${i} ${key}: page ${JSON.stringify(page[i][key])}, table ${JSON.stringify(value)}`);
      }
    }
  });
}
if (problems.length) {
  console.error(problems.join('\n'));
  process.exit(1);
}
console.log(`page parameter list matches the table (${table.length} entries)`);
