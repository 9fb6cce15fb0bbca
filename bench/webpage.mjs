// bench_webpage: the browser client's page weight and how soon it shows the
// join screen, in headless Chromium against a gorse-host serving it.
//   page weight: the gzipped bytes of everything "/" pulls in (the sounds are
//     fetched only when first played and are not part of it); target under
//     150 KB.
//   join screen: navigation start until the join screen is both on the
//     screen (the page's first contentful paint: the form, styled) and
//     working (the page's "gorse-join-ready" mark, set once its script has
//     wired the form), whichever comes later, as a ratio to the time until an
//     empty page from the same server is loaded and on the screen (its load
//     event and its first paint: the empty page has the page's background
//     colour, or the browser would not say when it painted it). Both pages are
//     loaded RUNS times, each in a fresh browser context (a cold cache and a
//     new connection for both), in turns whose order alternates, after one
//     load of each that is not counted; the medians are compared. Target at
//     most 2.
//   node bench/webpage.mjs BIN_DIR WEB_DIR [RUNS] [--bridge DIST]
import { spawn } from "node:child_process";
import { createRequire } from "node:module";
import { resolve, join } from "node:path";
import { gzipSync } from "node:zlib";

const args = process.argv.slice(2);
const bridgeAt = args.indexOf("--bridge");
const bridgeDist = bridgeAt >= 0 ? resolve(args[bridgeAt + 1]) : null;
if (bridgeAt >= 0) args.splice(bridgeAt, 2);
const [binDir, webDir] = args.slice(0, 2).map((p) => resolve(p));
const runs = Number(args[2] ?? 15);
const { chromium } = createRequire(join(webDir, "package.json"))("playwright-core");

function start(command, argv, pattern) {
  const child = spawn(command, argv, { stdio: ["ignore", "pipe", "pipe"] });
  let text = "";
  return {
    child,
    port: new Promise((ok, no) => {
      const take = (d) => {
        text += d;
        const m = pattern.exec(text);
        if (m) ok(Number(m.slice(1).find(Boolean)));
      };
      child.stdout.on("data", take);
      child.stderr.on("data", take);
      child.on("exit", () => no(new Error(`${command} ended: ${text}`)));
      setTimeout(() => no(new Error(`no port from ${command}: ${text}`)), 10000);
    }),
  };
}

const children = [];
let browser;
try {
  let port;
  if (bridgeDist) {
    const host = start(join(binDir, "gorse-host"), ["--port", "0", "--no-announce"], /event=listen port=(\d+)/);
    children.push(host.child);
    const bridge = start(process.execPath, [join(webDir, "devserver.mjs"), bridgeDist, `127.0.0.1:${await host.port}`], /listening on port (\d+)/);
    children.push(bridge.child);
    port = await bridge.port;
  } else {
    const host = start(join(binDir, "gorse-host"), ["--port", "0", "--web", "0", "--no-announce"], /event=web_listen port=(\d+)|http:\/\/[^:\s]+:(\d+)/i);
    children.push(host.child);
    port = await host.port;
  }
  const base = `http://127.0.0.1:${port}/`;
  browser = await chromium.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync"],
  });

  // Page weight.
  {
    const context = await browser.newContext();
    const page = await context.newPage();
    const bodies = [];
    page.on("response", (r) => bodies.push(r.body().then((b) => ({ url: r.url(), raw: b.length, gz: gzipSync(b, { level: 9 }).length }))));
    await page.goto(base, { waitUntil: "load" });
    await page.waitForFunction(() => performance.getEntriesByName("gorse-join-ready").length > 0);
    const got = (await Promise.all(bodies)).filter((b) => !b.url.includes("/sounds/"));
    const total = got.reduce((s, b) => s + b.gz, 0);
    for (const b of got) console.log(`  ${b.url.replace(base, "/")}: ${b.raw} bytes, ${b.gz} gzipped`);
    console.log(`page weight without sounds: ${total} bytes gzipped (${(total / 1024).toFixed(1)} KiB; target under 150 KB)`);
    await context.close();
  }

  // Time to the join screen, against an empty page.
  const load = async (which) => {
    const context = await browser.newContext();
    const page = await context.newPage();
    try {
      if (which === "blank") {
        await page.goto(base + "blank.html", { waitUntil: "load" });
        await page.waitForFunction(() => performance.getEntriesByName("first-paint").length > 0);
        return { at: await page.evaluate(() => Math.max(performance.getEntriesByType("navigation")[0].loadEventStart,
                                                        performance.getEntriesByName("first-paint")[0].startTime)) };
      }
      await page.goto(base, { waitUntil: "load" });
      await page.waitForFunction(() => performance.getEntriesByName("gorse-join-ready").length > 0 &&
                                       performance.getEntriesByName("first-contentful-paint").length > 0);
      const [ready, painted] = await page.evaluate(() => [performance.getEntriesByName("gorse-join-ready")[0].startTime,
                                                          performance.getEntriesByName("first-contentful-paint")[0].startTime]);
      return { at: Math.max(ready, painted), ready, painted };
    } finally {
      await context.close();
    }
  };
  await load("blank");
  await load("join");
  const times = { blank: [], join: [], ready: [], painted: [] };
  for (let i = 0; i < runs; ++i) {
    for (const which of i % 2 === 0 ? ["blank", "join"] : ["join", "blank"]) {
      const t = await load(which);
      times[which].push(t.at);
      if (which === "join") {
        times.ready.push(t.ready);
        times.painted.push(t.painted);
      }
    }
  }
  const median = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
  const [j, b] = [median(times.join), median(times.blank)];
  console.log(`join screen: median ${j.toFixed(1)} ms (painted ${median(times.painted).toFixed(1)}, working ` +
              `${median(times.ready).toFixed(1)}); empty page: median ${b.toFixed(1)} ms; ratio ${(j / b).toFixed(2)} ` +
              `(target at most 2; ${runs} runs each)`);
} finally {
  if (browser) await browser.close();
  for (const c of children) c.kill("SIGKILL");
}
