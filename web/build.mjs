// Builds the browser client: the page's script (app.js, from src/main.ts),
// its style sheet and page (and the empty page bench_webpage compares it
// with), the word list for suggestions, into OUTDIR, and the unit tests into
// OUTDIR/tests. Type-checks everything first.
//   node build.mjs OUTDIR [--no-check]
import { build } from "esbuild";
import { execFileSync } from "node:child_process";
import { copyFileSync, mkdirSync, readdirSync, readFileSync, writeFileSync } from "node:fs";
import { gzipSync } from "node:zlib";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";

const here = dirname(fileURLToPath(import.meta.url));
const out = resolve(process.argv[2] ?? join(here, "dist"));
mkdirSync(join(out, "tests"), { recursive: true });

if (!process.argv.includes("--no-check")) {
  execFileSync(process.execPath, [join(here, "node_modules/typescript/bin/tsc"), "-p", here], { stdio: "inherit" });
}

await build({
  entryPoints: [join(here, "src/main.ts")],
  outfile: join(out, "app.js"),
  bundle: true,
  minify: true,
  format: "iife",
  target: "es2020",
  legalComments: "none",
  logLevel: "warning",
});
await build({
  entryPoints: [join(here, "style.css")],
  outfile: join(out, "style.css"),
  minify: true,
  logLevel: "warning",
});
for (const page of ["index.html", "blank.html"]) copyFileSync(join(here, page), join(out, page));

// The word list for the round's suggestions, one word a line, compressed:
// the page fetches it when a round first ends.
const records = readFileSync(join(here, "../resources/english.dic"), "latin1").split("\x1e");
const words = records.map((w) => w.trim()).filter((w) => /^[A-Z]{2,14}$/.test(w));
writeFileSync(join(out, "words.txt.gz"), gzipSync(Buffer.from(words.join("\n") + "\n", "latin1"), { level: 9 }));

const tests = readdirSync(join(here, "test")).filter((f) => f.endsWith(".test.ts"));
await build({
  entryPoints: tests.map((f) => join(here, "test", f)),
  outdir: join(out, "tests"),
  outExtension: { ".js": ".mjs" },
  bundle: true,
  format: "esm",
  platform: "node",
  target: "node18",
  external: ["node:*"],
  logLevel: "warning",
});
