// Checks every link and picture of the given Markdown files: a relative
// target must be a file the repository tracks (and a #fragment a heading of
// it), or, under dist/, a file the main job writes (listed by
// main_job_files.sh). Links to other sites are not followed.
// usage: node check_links.mjs REPO_ROOT MAIN_JOB_FILE_LIST FILE.md...
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync, statSync } from 'node:fs';
import path from 'node:path';

const [root, listFile, ...docs] = process.argv.slice(2);
const mainJobFiles = new Set(readFileSync(listFile, 'utf8').split('\n').filter(Boolean));

function trackedFiles() {
  try {
    const out = execFileSync('git', ['-C', root, 'ls-files', '-z'], { encoding: 'utf8' });
    return new Set(out.split('\0').filter(Boolean));
  } catch {
    return null; // not a git checkout: existence alone is checked
  }
}
const tracked = trackedFiles();

// A Markdown text with its fenced code blocks emptied and its code spans
// blanked, line for line, so that what looks like a link there is none.
function prose(text) {
  let fence = null;
  return text.split('\n').map(line => {
    const open = line.match(/^\s*(```|~~~)/);
    if (fence || open) {
      if (open) fence = fence === open[1] ? null : fence || open[1];
      return '';
    }
    return line.replace(/`[^`]*`/g, '``');
  }).join('\n');
}

// GitHub's heading anchors: lower case, punctuation dropped, spaces to
// hyphens, repeats numbered.
function anchors(text) {
  const seen = new Map();
  const result = new Set();
  for (const line of prose(text).split('\n')) {
    const h = line.match(/^#{1,6}\s+(.*?)\s*#*\s*$/);
    if (!h) continue;
    const base = h[1].toLowerCase().replace(/[^a-z0-9 _-]/g, '').replace(/ /g, '-');
    const n = seen.get(base) || 0;
    seen.set(base, n + 1);
    result.add(n ? `${base}-${n}` : base);
  }
  return result;
}

// Every link target with its line: inline links and pictures (their text
// may run over several lines), HTML links and pictures, reference links.
function targets(text) {
  const patterns = [
    /!?\[[^\]]*\]\(\s*<?([^)\s>]+)>?(?:\s+"[^"]*")?\s*\)/g,
    /<(?:img|a)\s[^>]*?(?:src|href)="([^"]+)"/g,
    /^ {0,3}\[[^\]]+\]:[ \t]*<?([^\s>]+)/gm,
  ];
  const found = [];
  for (const pattern of patterns) {
    for (const m of text.matchAll(pattern)) {
      found.push({ line: text.slice(0, m.index).split('\n').length, target: m[1] });
    }
  }
  return found;
}

function problemOf(doc, target) {
  if (/^[a-z][a-z0-9+.-]*:/i.test(target)) return null; // another site or scheme
  const [rawPath, fragment] = target.split('#');
  const file = rawPath ? path.resolve(path.dirname(doc), decodeURIComponent(rawPath)) : doc;
  const rel = path.relative(root, file).split(path.sep).join('/');
  if (rel.startsWith('..') || path.isAbsolute(rel)) return 'points outside the repository';
  if (rel === 'dist' || rel.startsWith('dist/')) {
    const isFolder = [...mainJobFiles].some(f => f.startsWith(rel.replace(/\/?$/, '/')));
    return mainJobFiles.has(rel) || isFolder ? null : 'names no file the main job writes';
  }
  if (rel === 'build' || rel.startsWith('build/')) return 'points into a build tree';
  if (!existsSync(file)) return 'no such file';
  if (statSync(file).isFile() && tracked && !tracked.has(rel)) return 'file not committed';
  if (fragment && file.endsWith('.md') && !anchors(readFileSync(file, 'utf8')).has(fragment)) {
    return `no heading #${fragment} in ${rel}`;
  }
  return null;
}

const problems = [];
let count = 0;
for (const name of docs) {
  const doc = path.resolve(root, name);
  for (const { line, target } of targets(prose(readFileSync(doc, 'utf8')))) {
    count++;
    const problem = problemOf(doc, target);
    if (problem) problems.push(`${name}:${line}: ${target}: ${problem}`);
  }
}
if (problems.length) {
  console.error(problems.join('\n'));
  process.exit(1);
}
console.log(`${count} links in ${docs.length} files resolve`);
