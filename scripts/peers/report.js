// Turns the raw timings of compare-peers.sh into results.md, results.csv and
// the data file the plot reads.
//   node report.js RAW_DIR OUT_DIR
// RAW_DIR holds hyperfine exports tarvine-N.json and qalc-N.json (N = 1 is
// the start-up document), mathjs-N.jsonl (one mathjs-run.js report a run),
// and memory.csv (what,lines,kilobytes).
'use strict';
const fs = require('fs');
const path = require('path');

const [rawDir, outDir] = process.argv.slice(2);
if (!outDir) {
  console.error('usage: node report.js RAW_DIR OUT_DIR');
  process.exit(2);
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const mean = (values) => values.reduce((a, b) => a + b, 0) / values.length;

const files = fs.readdirSync(rawDir);
const sizesOf = (tool, extension) =>
  files
    .map((name) => new RegExp(`^${tool}-(\\d+)\\.${extension}$`).exec(name))
    .filter(Boolean)
    .map((match) => Number(match[1]))
    .sort((a, b) => a - b);

// Whole process runs, timed by hyperfine: start-up is the one-line document,
// evaluation the rest.
function processRuns(tool) {
  const read = (lines) => {
    const result = JSON.parse(fs.readFileSync(path.join(rawDir, `${tool}-${lines}.json`), 'utf8')).results[0];
    return { wholeMs: median(result.times) * 1000, cpuMs: (result.user + result.system) * 1000, runs: result.times.length };
  };
  const { wholeMs: startup, cpuMs: startupCpu } = read(1);
  return sizesOf(tool, 'json')
    .filter((lines) => lines > 1)
    .map((lines) => {
      const run = read(lines);
      return { tool, lines, ...run, startupMs: startup, evalMs: run.wholeMs - startup, evalCpuMs: run.cpuMs - startupCpu };
    });
}

// mathjs times itself: loading apart from evaluating.
function mathjsRuns() {
  return sizesOf('mathjs', 'jsonl').map((lines) => {
    const runs = fs
      .readFileSync(path.join(rawDir, `mathjs-${lines}.jsonl`), 'utf8')
      .trim()
      .split('\n')
      .map((line) => JSON.parse(line));
    return {
      tool: 'mathjs',
      lines,
      wholeMs: median(runs.map((r) => r.totalMs)),
      cpuMs: mean(runs.map((r) => r.cpuMs)),
      runs: runs.length,
      startupMs: median(runs.map((r) => r.loadMs)),
      evalMs: median(runs.map((r) => r.evalMs)),
      evalCpuMs: median(runs.map((r) => r.evalCpuMs)),
    };
  });
}

const rows = [...processRuns('tarvine'), ...mathjsRuns(), ...processRuns('qalc')];
const tarvineAt = new Map(rows.filter((r) => r.tool === 'tarvine').map((r) => [r.lines, r]));
for (const row of rows) {
  row.perLineUs = row.evalMs > 0 ? (row.evalMs * 1000) / row.lines : NaN;
  row.linesPerSecond = row.evalMs > 0 ? row.lines / (row.evalMs / 1000) : NaN;
  row.perLineCpuUs = row.evalCpuMs > 0 ? (row.evalCpuMs * 1000) / row.lines : NaN;
  const tarvine = tarvineAt.get(row.lines);
  row.perLineRatio = tarvine ? row.perLineUs / tarvine.perLineUs : NaN;
  row.perLineCpuRatio = tarvine ? row.perLineCpuUs / tarvine.perLineCpuUs : NaN;
  row.wholeRatio = tarvine ? row.wholeMs / tarvine.wholeMs : NaN;
}

const fixed = (value, digits) => (Number.isFinite(value) ? value.toFixed(digits) : '');
const grouped = (value) => (Number.isFinite(value) ? Math.round(value).toLocaleString('en-US') : '—');
const figure = (value) => {
  if (!Number.isFinite(value) || value <= 0) return '—';
  const digits = value >= 100 ? 0 : value >= 10 ? 1 : value >= 1 ? 2 : 3;
  return value.toLocaleString('en-US', { minimumFractionDigits: digits, maximumFractionDigits: digits });
};
const ratio = (value) => (Number.isFinite(value) && value > 0 ? `${figure(value)}×` : '—');

const csv = [
  'tool,lines,runs,whole_ms,startup_ms,eval_ms,per_line_us,lines_per_second,cpu_ms,eval_cpu_ms,per_line_cpu_us,' +
    'per_line_vs_tarvine,per_line_cpu_vs_tarvine,whole_vs_tarvine',
  ...rows.map((r) =>
    [r.tool, r.lines, r.runs, fixed(r.wholeMs, 3), fixed(r.startupMs, 3), fixed(r.evalMs, 3), fixed(r.perLineUs, 4),
      fixed(r.linesPerSecond, 0), fixed(r.cpuMs, 3), fixed(r.evalCpuMs, 3), fixed(r.perLineCpuUs, 4),
      fixed(r.perLineRatio, 3), fixed(r.perLineCpuRatio, 3), fixed(r.wholeRatio, 3)].join(','),
  ),
];
fs.writeFileSync(path.join(outDir, 'results.csv'), csv.join('\n') + '\n');

const table = [
  '| Tool | Lines | Whole run (ms) | Start-up (ms) | Evaluation (ms) | Per line (µs) | Lines per second | ' +
    'Per line, CPU (µs) | Per line vs Tarvine | Per line vs Tarvine, CPU | Whole run vs Tarvine |',
  '|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|',
  ...rows.map((r) =>
    `| ${r.tool} | ${r.lines.toLocaleString('en-US')} | ${figure(r.wholeMs)} | ${figure(r.startupMs)} | ${figure(r.evalMs)} | ` +
    `${figure(r.perLineUs)} | ${grouped(r.linesPerSecond)} | ${figure(r.perLineCpuUs)} | ${ratio(r.perLineRatio)} | ` +
    `${ratio(r.perLineCpuRatio)} | ${ratio(r.wholeRatio)} |`,
  ),
];

const memoryFile = path.join(rawDir, 'memory.csv');
const memory = fs.existsSync(memoryFile)
  ? fs.readFileSync(memoryFile, 'utf8').trim().split('\n').map((line) => line.split(','))
  : [];
const memoryTable = [
  '| Run | Lines | Peak memory (MiB) | Peak memory (MB) |',
  '|---|--:|--:|--:|',
  // time(1) reports kibibytes.
  ...memory.map(([what, lines, kilobytes]) =>
    `| ${what} | ${Number(lines).toLocaleString('en-US')} | ${(Number(kilobytes) / 1024).toFixed(1)} | ${(Number(kilobytes) * 1024 / 1e6).toFixed(1)} |`),
];
fs.writeFileSync(path.join(outDir, 'results.md'), `${table.join('\n')}\n\n${memoryTable.join('\n')}\n`);

// One row per size: whole run and evaluation of each tool, "?" where a tool
// did not run.
const sizes = [...new Set(rows.map((r) => r.lines))].sort((a, b) => a - b);
const at = (tool, lines) => rows.find((r) => r.tool === tool && r.lines === lines);
const plotValue = (row, key) => (row && row[key] > 0 ? row[key].toFixed(4) : '?');
const plot = ['# lines tarvine_whole tarvine_eval mathjs_whole mathjs_eval qalc_whole qalc_eval'];
for (const lines of sizes) {
  const cells = [lines];
  for (const tool of ['tarvine', 'mathjs', 'qalc'])
    cells.push(plotValue(at(tool, lines), 'wholeMs'), plotValue(at(tool, lines), 'evalMs'));
  plot.push(cells.join(' '));
}
fs.writeFileSync(path.join(outDir, 'plot.dat'), plot.join('\n') + '\n');
