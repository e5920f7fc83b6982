// Evaluates a document with mathjs in Fraction mode, one line at a time with
// one shared scope, as a calculator notepad would.
//   node mathjs-run.js MODULES_DIR FILE          prints timings as JSON
//   node mathjs-run.js MODULES_DIR FILE --print  prints each line's value
// Times in milliseconds from the process start: loadMs until mathjs is ready
// (node's own start included), totalMs until the last line is evaluated;
// evalMs covers the lines alone. cpuMs is the process's user and system time
// in all its threads, evalCpuMs the part spent while evaluating.
'use strict';
const { performance } = require('perf_hooks');
const fs = require('fs');
const path = require('path');

const [modules, file, mode] = process.argv.slice(2);
if (!modules || !file || (mode !== undefined && mode !== '--print')) {
  console.error('usage: node mathjs-run.js MODULES_DIR FILE [--print]');
  process.exit(2);
}
const { create, all } = require(path.resolve(modules, 'node_modules', 'mathjs'));
const math = create(all, { number: 'Fraction' });
const loaded = performance.now();

const lines = fs.readFileSync(file, 'utf8').split('\n');
if (lines.length > 0 && lines[lines.length - 1] === '') lines.pop();
const scope = new Map();
const values = new Array(lines.length);
const started = performance.now();
const cpuStarted = process.cpuUsage();
for (let i = 0; i < lines.length; ++i) {
  values[i] = lines[i].trim() === '' ? undefined : math.evaluate(lines[i], scope);
}
const evaluated = performance.now();
const cpuEvaluating = process.cpuUsage(cpuStarted);

// In SI units, so that mathjs does not choose a prefix ("200/3 mm").
const text = (value) => value === undefined ? '' : math.format(math.isUnit(value) ? value.toSI() : value, { fraction: 'ratio' });
if (mode === '--print') {
  for (const value of values) console.log(text(value));
} else {
  console.log(JSON.stringify({
    version: math.version,
    lines: lines.length,
    loadMs: loaded,
    evalMs: evaluated - started,
    totalMs: evaluated,
    evalCpuMs: (cpuEvaluating.user + cpuEvaluating.system) / 1000,
    cpuMs: (process.cpuUsage().user + process.cpuUsage().system) / 1000,
    last: text(values[values.length - 1]),
  }));
}
