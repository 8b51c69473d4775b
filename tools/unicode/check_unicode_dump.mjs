#!/usr/bin/env node
// Compares the output of unicode-dump with the Unicode 6.1 data of the npm
// package, code point by code point, and the dump's SHA-256 with the value
// the tests check (tests/regex/unicode_dump.sha256).
//
// The expected lines are made straight from the package's code point sets,
// not from the generated tables, so this catches faults in the generator's
// packing as well as in the lookups.
//
// Usage:
//   build/native/tools/unicode/unicode-dump > /tmp/dump.txt
//   node tools/unicode/check_unicode_dump.mjs /tmp/dump.txt

import { createHash } from 'node:crypto';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import {
  CATEGORIES, CODE_POINTS, FIRST_SCRIPT, ROOT, hex, loadUnicodeData, tableLower, tableUpper,
} from './unicode_data.mjs';

const SHA_FILE = join(ROOT, 'tests', 'regex', 'unicode_dump.sha256');
const MAX_REPORTED = 20;

if (process.argv.length !== 3) {
  console.error('usage: check_unicode_dump.mjs <dump file>');
  process.exit(2);
}

const data = await loadUnicodeData();
const blockName = (cp) => 'up' + (data.block[cp] === -1 ? data.blocks[0].name : data.blocks[data.block[cp]].name);
const expectedLines = [];
for (let cp = 0; cp < CODE_POINTS; ++cp) {
  expectedLines.push([
    hex(cp),
    'up' + CATEGORIES[data.category[cp]],
    'up' + data.names[FIRST_SCRIPT + data.script[cp]],
    blockName(cp),
    hex(tableUpper(data, cp)),
    hex(tableLower(data, cp)),
  ].join(' '));
}
const expected = expectedLines.join('\n') + '\n';

const dump = readFileSync(process.argv[2], 'latin1');
const dumpLines = dump.split('\n');
if (dumpLines.at(-1) === '') dumpLines.pop();
let differences = 0;
for (let i = 0; i < Math.max(dumpLines.length, expectedLines.length); ++i) {
  if (dumpLines[i] !== expectedLines[i]) {
    if (++differences <= MAX_REPORTED) {
      console.log(`line ${i + 1}:\n  dump:     ${dumpLines[i] ?? '(missing)'}\n  expected: ${expectedLines[i] ?? '(none)'}`);
    }
  }
}

const sha = (text) => createHash('sha256').update(text, 'latin1').digest('hex');
const expectedSha = sha(expected);
const dumpSha = sha(dump);
const checkedIn = readFileSync(SHA_FILE, 'utf8').trim();
console.log(`${dumpLines.length} lines, ${differences} differ from ${data.packageName}@${data.packageVersion}`);
console.log(`SHA-256 of the dump:           ${dumpSha}`);
console.log(`SHA-256 of the expected lines: ${expectedSha}`);
console.log(`SHA-256 in ${SHA_FILE.slice(ROOT.length + 1)}: ${checkedIn}`);
const ok = differences === 0 && dumpSha === expectedSha && checkedIn === expectedSha;
console.log(ok ? 'OK' : 'FAILED');
process.exit(ok ? 0 : 1);
