// Checks that Tarvine, mathjs and qalc give the same value on every line of
// a peer document, so that the timings compare the same work.
//   node agree.js TARVINE_JSON MATHJS_LINES [QALC_LINES]
// TARVINE_JSON is tarvine-cli --json output; MATHJS_LINES is mathjs-run.js
// --print output; QALC_LINES is qalc -t output with prefixes off and a high
// precision. Tarvine and mathjs must agree exactly; qalc prints decimals, so
// it must agree to 20 significant digits. Exits 1 on any difference.
'use strict';
const fs = require('fs');

// A value's text as an exact fraction and unit exponents, whoever wrote it:
// "1 2/3 m per s" (Tarvine), "5/12 (kg m) / s" (mathjs), "0.5 kg·m/s" (qalc).
function parseValue(text) {
  const match = /^([-−]?)(\d+(?:\.\d+)?)(?: (\d+)\/(\d+)|\/(\d+))?(.*)$/.exec(text.trim());
  if (!match) return null;
  const [, minus, whole, mixedNumerator, mixedDenominator, denominator, unitText] = match;
  let [n, d] = decimal(whole);
  if (mixedNumerator !== undefined) {
    [n, d] = [n * BigInt(mixedDenominator) + BigInt(mixedNumerator) * d, d * BigInt(mixedDenominator)];
  } else if (denominator !== undefined) {
    d *= BigInt(denominator);
  }
  if (minus) n = -n;
  return { n, d, units: parseUnits(unitText) };
}

function decimal(text) {
  const [integer, fraction = ''] = text.split('.');
  return [BigInt(integer + fraction), 10n ** BigInt(fraction.length)];
}

function parseUnits(text) {
  const exponents = {};
  const parts = text.replace(/ per /g, '/').replace(/^\s*per /, '/').split('/');
  parts.forEach((part, index) => {
    const sign = index === 0 ? 1 : -1;
    for (const [, name, power, superscript] of part.matchAll(/(kg|m|s)(?:\^(\d+)|([²³]))?/g)) {
      const exponent = power ? Number(power) : superscript ? '  ²³'.indexOf(superscript) : 1;
      exponents[name] = (exponents[name] || 0) + sign * exponent;
    }
  });
  return Object.entries(exponents).filter(([, e]) => e !== 0).sort().map(([u, e]) => `${u}^${e}`).join(' ');
}

const abs = (x) => (x < 0n ? -x : x);

function agree(exact, other, relativeDigits) {
  if (!exact || !other || exact.units !== other.units) return false;
  const difference = abs(exact.n * other.d - other.n * exact.d);
  if (relativeDigits === undefined) return difference === 0n;
  return difference * 10n ** BigInt(relativeDigits) <= abs(exact.n * other.d);
}

const [tarvineFile, mathjsFile, qalcFile] = process.argv.slice(2);
if (!mathjsFile) {
  console.error('usage: node agree.js TARVINE_JSON MATHJS_LINES [QALC_LINES]');
  process.exit(2);
}
const tarvineRun = JSON.parse(fs.readFileSync(tarvineFile, 'utf8'));
if (tarvineRun.error) {
  console.error(`Tarvine reported errors: ${tarvineRun.error}`);
  process.exit(1);
}
const readLines = (file) => fs.readFileSync(file, 'utf8').replace(/\n$/, '').split('\n');
const tarvine = tarvineRun.results.slice(0, -1); // the empty line after the last line end
const mathjs = readLines(mathjsFile);
const qalc = qalcFile ? readLines(qalcFile) : undefined;
if (tarvine.length !== mathjs.length || (qalc && tarvine.length !== qalc.length)) {
  console.error(`line counts differ: Tarvine ${tarvine.length}, mathjs ${mathjs.length}, qalc ${qalc ? qalc.length : '-'}`);
  process.exit(1);
}
let differences = 0;
tarvine.forEach((text, line) => {
  const exact = parseValue(text);
  const qalcAgrees = !qalc || agree(exact, parseValue(qalc[line]), 20);
  if (!exact || !agree(exact, parseValue(mathjs[line])) || !qalcAgrees) {
    ++differences;
    const qalcText = qalc ? `, qalc "${qalc[line]}"` : '';
    console.error(`line ${line + 1}: Tarvine "${text}", mathjs "${mathjs[line]}"${qalcText}`);
  }
});
if (differences > 0) {
  console.error(`${differences} of ${tarvine.length} lines differ`);
  process.exit(1);
}
const who = qalc ? 'Tarvine, mathjs and qalc' : 'Tarvine and mathjs';
console.log(`${who} agree on all ${tarvine.length} lines; the last is ${tarvine[tarvine.length - 1]}.`);
