// Loads the Unicode 6.1 character data that the regex engine's property tables
// are made from, and checks it for consistency on the way.
//
// Code point sets come from the npm package @unicode/unicode-6.1.0 (pinned in
// package.json; install with `npm ci --prefix tools/unicode`). The package knows
// neither the four-letter script codes (which give the order of the scripts)
// nor the Blocks.txt spelling of block names, so the names and the order of
// the script and block selectors come from data/scripts.tsv and
// data/blocks.tsv (provenance in data/SOURCES.md).
//
// Shared by generate_unicode_tables.mjs and check_unicode_dump.mjs.

import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

export const HERE = dirname(fileURLToPath(import.meta.url));
export const ROOT = join(HERE, '..', '..');
export const PACKAGE_NAME = '@unicode/unicode-6.1.0';
export const CODE_POINTS = 0x110000;

// Selector layout of TUnicodeProperty.
export const MAJOR_CLASSES = ['C', 'L', 'M', 'N', 'P', 'S', 'Z'];
export const CATEGORIES = [
  'Cc', 'Cf', 'Cn', 'Co', 'Cs', 'LC', 'Ll', 'Lm', 'Lo', 'Lt', 'Lu', 'Mc', 'Me', 'Mn', 'Nd', 'Nl',
  'No', 'Pc', 'Pd', 'Pe', 'Pf', 'Pi', 'Po', 'Ps', 'Sc', 'Sk', 'Sm', 'So', 'Zl', 'Zp', 'Zs',
];
export const FIRST_CATEGORY = MAJOR_CLASSES.length;       // 7
export const FIRST_SCRIPT = FIRST_CATEGORY + CATEGORIES.length;  // 38
export const CATEGORY_LL = CATEGORIES.indexOf('Ll');
export const CATEGORY_LU = CATEGORIES.indexOf('Lu');

// The package's long General_Category names of the 30 categories (LC is a
// group, not a value of the property).
const CATEGORY_LONG_NAMES = {
  Cc: 'Control', Cf: 'Format', Cn: 'Unassigned', Co: 'Private_Use', Cs: 'Surrogate',
  Ll: 'Lowercase_Letter', Lm: 'Modifier_Letter', Lo: 'Other_Letter', Lt: 'Titlecase_Letter',
  Lu: 'Uppercase_Letter', Mc: 'Spacing_Mark', Me: 'Enclosing_Mark', Mn: 'Nonspacing_Mark',
  Nd: 'Decimal_Number', Nl: 'Letter_Number', No: 'Other_Number', Pc: 'Connector_Punctuation',
  Pd: 'Dash_Punctuation', Pe: 'Close_Punctuation', Pf: 'Final_Punctuation',
  Pi: 'Initial_Punctuation', Po: 'Other_Punctuation', Ps: 'Open_Punctuation',
  Sc: 'Currency_Symbol', Sk: 'Modifier_Symbol', Sm: 'Math_Symbol', So: 'Other_Symbol',
  Zl: 'Line_Separator', Zp: 'Paragraph_Separator', Zs: 'Space_Separator',
};

export function fail(message) {
  throw new Error(message);
}

function packageDir() {
  const require = createRequire(join(HERE, 'package.json'));
  try {
    return dirname(require.resolve(`${PACKAGE_NAME}/package.json`));
  } catch {
    fail(`${PACKAGE_NAME} is not installed: run \`npm ci --prefix tools/unicode\``);
  }
}

async function importDefault(dir, path) {
  return (await import(pathToFileURL(join(dir, path)).href)).default;
}

// [begin, end) ranges of a property value of the package.
async function ranges(dir, property, value) {
  return (await importDefault(dir, join(property, value, 'ranges.mjs'))).map((r) => [
    r.begin,
    r.end,
  ]);
}

function readTsv(name) {
  return readFileSync(join(HERE, 'data', name), 'utf8')
    .split('\n')
    .filter((line) => line !== '' && !line.startsWith('#'))
    .map((line) => line.split('\t'));
}

// Names compared the way Unicode's loose matching does: case, spaces,
// hyphens and underscores ignored.
const loose = (name) => name.toLowerCase().replace(/[ _-]/g, '');

// Fills values[cp] = value over ranges, insisting that each code point gets
// exactly one value.
function assign(values, rangeList, value, what) {
  for (const [begin, end] of rangeList) {
    for (let cp = begin; cp < end; ++cp) {
      if (values[cp] !== -1) fail(`${what}: U+${hex(cp)} has two values`);
      values[cp] = value;
    }
  }
}

function countOf(rangeList) {
  return rangeList.reduce((n, [begin, end]) => n + end - begin, 0);
}

function checkComplete(values, what) {
  const missing = values.indexOf(-1);
  if (missing !== -1) fail(`${what}: U+${hex(missing)} has no value`);
}

export const hex = (cp) => cp.toString(16).toUpperCase().padStart(4, '0');

// Returns the data per code point, indexed by code point:
//   category: index into CATEGORIES (never LC),
//   script:   0 for Unknown, 1-103 for the scripts in selector order,
//   block:    index into blocks, -1 outside every block,
//   upper / lower: simple case mappings of the UCD (code point itself if none),
// plus the member names (without "up") and metadata.
export async function loadUnicodeData() {
  const dir = packageDir();
  const pkg = JSON.parse(readFileSync(join(dir, 'package.json'), 'utf8'));

  // General categories.
  const category = new Int8Array(CODE_POINTS).fill(-1);
  for (const [index, short] of CATEGORIES.entries()) {
    if (short === 'LC') continue;
    assign(category, await ranges(dir, 'General_Category', CATEGORY_LONG_NAMES[short]), index,
           'General_Category');
  }
  checkComplete(category, 'General_Category');
  const cased = await ranges(dir, 'General_Category', 'Cased_Letter');
  const casedCount = ['Ll', 'Lt', 'Lu'].reduce(
      (n, c) => n + category.filter((v) => v === CATEGORIES.indexOf(c)).length, 0);
  if (countOf(cased) !== casedCount ||
      cased.some(([b, e]) => category.subarray(b, e).some((v) => !['Ll', 'Lt', 'Lu'].includes(CATEGORIES[v])))) {
    fail('Cased_Letter is not Ll + Lt + Lu');
  }

  // Scripts: Unknown first, then the order of scripts.tsv.
  const scriptRows = readTsv('scripts.tsv');
  const scriptNames = [];
  const scriptCodes = [];
  const script = new Int8Array(CODE_POINTS).fill(-1);
  const packageScripts = new Set(await importDefault(dir, 'index.mjs').then((i) => i.Script));
  for (const [index, [code, longName, member, selector, count]] of scriptRows.entries()) {
    if (Number(selector) !== FIRST_SCRIPT + index) fail(`scripts.tsv: ${code} has selector ${selector}`);
    scriptNames.push(member);
    scriptCodes.push(code);
    if (!packageScripts.has(longName)) {
      // Katakana_Or_Hiragana is a Script value without code points in 6.1.
      if (Number(count) !== 0) fail(`scripts.tsv: ${longName} is not in ${PACKAGE_NAME}`);
      continue;
    }
    packageScripts.delete(longName);
    const r = await ranges(dir, 'Script', longName);
    if (countOf(r) !== Number(count)) fail(`scripts.tsv: ${longName} has ${countOf(r)} code points`);
    assign(script, r, index, 'Script');
  }
  if (packageScripts.size !== 0) fail(`scripts not in scripts.tsv: ${[...packageScripts]}`);
  if (scriptNames.length !== 104 || scriptNames[0] !== 'unKnown') fail('scripts.tsv: expected Unknown + 103 scripts');
  checkComplete(script, 'Script');

  // Blocks: the order and names of blocks.tsv, the ranges of the package.
  const blockRows = readTsv('blocks.tsv');
  const firstBlock = FIRST_SCRIPT + scriptNames.length;
  const packageBlocks = new Map(
      (await importDefault(dir, 'index.mjs')).Block.map((name) => [loose(name), name]));
  const blocks = [];
  const block = new Int16Array(CODE_POINTS).fill(-1);
  for (const [index, [first, last, name, member, selector]] of blockRows.entries()) {
    if (Number(selector) !== firstBlock + index) fail(`blocks.tsv: ${name} has selector ${selector}`);
    if (member !== 'In' + name.replace(/[ _-]/g, '')) fail(`blocks.tsv: bad member name ${member}`);
    const packageName = packageBlocks.get(loose(name));
    if (packageName === undefined) fail(`blocks.tsv: ${name} is not in ${PACKAGE_NAME}`);
    packageBlocks.delete(loose(name));
    const r = await ranges(dir, 'Block', packageName);
    const [firstCp, lastCp] = [parseInt(first, 16), parseInt(last, 16)];
    if (r.length !== 1 || r[0][0] !== firstCp || r[0][1] !== lastCp + 1) {
      fail(`blocks.tsv: ${name} ${first}..${last} differs from the package`);
    }
    if (blocks.length > 0 && blocks.at(-1).last >= firstCp) fail(`blocks.tsv: ${name} out of order`);
    blocks.push({ first: firstCp, last: lastCp, name: member });
    assign(block, r, index, 'Block');
  }
  if (packageBlocks.size !== 0) fail(`blocks not in blocks.tsv: ${[...packageBlocks.values()]}`);
  if (blocks.length !== 220) fail('blocks.tsv: expected 220 blocks');

  // Simple case mappings (Map code point -> code point, only where they differ).
  const upper = new Int32Array(CODE_POINTS).map((_, cp) => cp);
  const lower = new Int32Array(CODE_POINTS).map((_, cp) => cp);
  for (const [from, to] of await importDefault(dir, 'Simple_Case_Mapping/Uppercase/code-points.mjs')) upper[from] = to;
  for (const [from, to] of await importDefault(dir, 'Simple_Case_Mapping/Lowercase/code-points.mjs')) lower[from] = to;

  const names = [
    ...MAJOR_CLASSES,
    ...CATEGORIES,
    ...scriptNames,
    ...blocks.map((b) => b.name),
  ];
  if (names.length !== 362) fail(`expected 362 members, got ${names.length}`);
  const lowered = new Set(names.map((n) => n.toLowerCase()));
  if (lowered.size !== names.length || lowered.has('l&')) fail('member names collide without regard to case');

  return {
    packageName: pkg.name,
    packageVersion: pkg.version,
    unicodeVersion: pkg.name.replace(/^.*unicode-/, ''),
    category, script, block, upper, lower, blocks, scriptCodes, names,
    firstBlock,
  };
}

// The case mappings as the property tables define them: upper case only for
// Ll, lower case only for Lu, everything else maps to itself.
export function tableUpper(data, cp) {
  return data.category[cp] === CATEGORY_LL ? data.upper[cp] : cp;
}
export function tableLower(data, cp) {
  return data.category[cp] === CATEGORY_LU ? data.lower[cp] : cp;
}
