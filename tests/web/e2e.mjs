// Whole games in the browser: two headless Chromium browsers and one raw TCP
// client sit at one gorse-host serving the web client. The first browser
// starts a game; a word is played in it by keyboard and one in the other by
// clicks; the round ends and the results show in all three clients. A chat
// line carrying HTML shows as text; every sound the page plays decodes. At a
// second host, meanwhile, a browser player and the desktop program play a
// whole short game to the winner (wholeGame). Screenshots 360 px wide and
// wide are kept in ARTEFACTS.
//   node tests/web/e2e.mjs BIN_DIR WEB_DIR ARTEFACTS [--bridge DIST]
// --bridge: for working on the page without a host that serves it: the
// host's TCP port is reached through web/devserver.mjs instead.
import { spawn } from "node:child_process";
import { chmodSync, copyFileSync, existsSync, linkSync, mkdirSync, mkdtempSync, readFileSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import { connect } from "node:net";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";

const [binDir, webDir, artefacts] = process.argv.slice(2).map((p) => resolve(p));
const bridgeAt = process.argv.indexOf("--bridge");
const bridgeDist = bridgeAt > 0 ? resolve(process.argv[bridgeAt + 1]) : null;
if (!existsSync("/usr/bin/chromium")) {
  console.log("SKIPPED: /usr/bin/chromium is not installed (tools/bootstrap.sh installs it)");
  process.exit(77);
}
const { chromium } = createRequire(join(webDir, "package.json"))("playwright-core");
mkdirSync(artefacts, { recursive: true });

const children = [];
const cleanups = [];
function fail(message) {
  throw new Error(message);
}
async function within(ms, what, poll) {
  const end = Date.now() + ms;
  for (;;) {
    const value = await poll();
    if (value) return value;
    if (Date.now() > end) fail(`timed out waiting for ${what}`);
    await new Promise((r) => setTimeout(r, 100));
  }
}

// Starts a program and collects its standard error lines.
function start(command, args, env = process.env) {
  const child = spawn(command, args, { stdio: ["ignore", "pipe", "pipe"], env });
  children.push(child);
  const lines = [];
  let partial = "";
  const take = (data) => {
    partial += data.toString();
    const parts = partial.split("\n");
    partial = parts.pop();
    lines.push(...parts);
  };
  child.stdout.on("data", take);
  child.stderr.on("data", take);
  return { child, lines };
}

// The words of the game's list, for finding words the cards allow.
const FACES = ["A","B","C","D","E","F","G","H","I","J","K","L","M","N","O","P","QU","R","S","T","U","V","W","X","Y","Z",
  "CH","CK","AND","WH","DE","LD","ST","SH","BR","TH","OO","EE","RR","EST","LE","GHT","ED","ER","IES","ING","ION","LY","RE","UN"];
const words = readFileSync(new URL("../../resources/english.dic", import.meta.url), "latin1")
  .split("\x1e").map((w) => w.trim()).filter((w) => /^[A-Z]{3,7}$/.test(w));
// The words spelled from the faces of the cards (pile -> card), each pile
// once, avoiding the piles in `busy`, with their piles in order.
function findWords(cards, busy = []) {
  const spell = (rest, used) => {
    if (rest === "") return used;
    for (const [pile, card] of Object.entries(cards)) {
      const face = FACES[card - 1];
      if (!face || used.includes(+pile) || busy.includes(+pile) || !rest.startsWith(face)) continue;
      const found = spell(rest.slice(face.length), [...used, +pile]);
      if (found) return found;
    }
    return null;
  };
  const found = [];
  for (const w of words) {
    const piles = spell(w, []);
    if (piles && piles.length >= 3) found.push({ word: w, piles });
  }
  return found;
}
function findWord(cards, busy = []) {
  return findWords(cards, busy)[0] ?? fail("no word on these cards");
}

// A desktop-style client over TCP: logs in and records every message.
function rawClient(port, name) {
  const socket = connect(port, "127.0.0.1");
  const messages = [];
  let own = 0;
  let buffer = Buffer.alloc(0);
  socket.on("data", (data) => {
    buffer = Buffer.concat([buffer, data]);
    for (let end; (end = buffer.indexOf(0xff)) >= 0; buffer = buffer.subarray(end + 1)) {
      const text = buffer.subarray(0, end).toString("utf8");
      if (text === "") continue;
      messages.push(text);
      const login = /^CMD_sendlogininfo\+(\d+)/.exec(text);
      if (login) {
        own = Number(login[1]);
        send(`CMD_logininfo+${own}+1.2.0+${name}`);
      }
    }
  });
  const send = (text) => socket.write(Buffer.concat([Buffer.from(text, "utf8"), Buffer.from([0xff])]));
  cleanups.push(() => socket.destroy());
  return { messages, send, own: () => own };
}

async function browser(name) {
  const profile = mkdtempSync(join(tmpdir(), "gorse-e2e-"));
  cleanups.push(() => rmSync(profile, { recursive: true, force: true }));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync"],
    viewport: { width: 1280, height: 860 },
  });
  cleanups.push(() => context.close());
  return watched(context.pages()[0] ?? (await context.newPage()), name);
}

// A page whose script errors, failed requests and dialogs are collected.
function watched(page, name) {
  const problems = [];
  page.on("pageerror", (e) => problems.push(`${name}: ${e.message}`));
  page.on("console", (m) => {
    if (m.type() === "error" && !/Failed to load resource/.test(m.text())) problems.push(`${name}: ${m.text()}`);
  });
  page.on("response", (r) => {
    if (r.status() >= 400) problems.push(`${name}: ${r.status()} for ${r.url()}`);
  });
  page.on("dialog", (d) => problems.push(`${name}: unexpected ${d.type()} "${d.message()}"`));
  return { page, problems, name };
}

async function sitDown(b, url) {
  await b.page.goto(url);
  await b.page.fill("#name", b.name);
  await b.page.click("#join-button");
  await b.page.waitForSelector("#game:not([hidden])", { timeout: 10000 });
}

async function cardsOf(page) {
  return page.$$eval("#piles .card", (cards) => {
    const faces = {};
    cards.forEach((c, i) => (faces[i + 1] = (c.querySelector(".face")?.textContent ?? "").toUpperCase()));
    return faces;
  });
}
const cardNumbers = (faces) => Object.fromEntries(Object.entries(faces).filter(([, f]) => f).map(([p, f]) => [p, FACES.indexOf(f) + 1]));

// Controls without a name for screen readers, and text under the WCAG AA
// contrast (4.5:1, or 3:1 for large text) against what is behind it.
async function audit(page, label) {
  const found = await page.evaluate(() => {
    const problems = [];
    const shown = (e) => e.offsetParent !== null && getComputedStyle(e).visibility !== "hidden";
    for (const e of document.querySelectorAll("button, input, [role=log], output")) {
      if (!shown(e)) continue;
      const byId = (ids) => ids.split(" ").map((id) => document.getElementById(id)?.textContent ?? "").join(" ");
      const name = e.getAttribute("aria-label") || (e.getAttribute("aria-labelledby") && byId(e.getAttribute("aria-labelledby")))
        || (e.labels && e.labels[0]?.textContent) || (e.tagName === "BUTTON" && e.textContent);
      if (!name || !name.trim()) problems.push(`no name: ${e.outerHTML.slice(0, 80)}`);
    }
    const rgb = (c) => (c.match(/[\d.]+/g) || []).map(Number);
    const lum = ([r, g, b]) => [r, g, b].map((v) => (v /= 255) <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4)
      .reduce((s, v, i) => s + v * [0.2126, 0.7152, 0.0722][i], 0);
    const behind = (e) => {
      for (let x = e; x; x = x.parentElement) {
        const c = rgb(getComputedStyle(x).backgroundColor);
        if (c.length === 3 || (c.length === 4 && c[3] > 0.5)) return c.slice(0, 3);
      }
      return [255, 255, 255];
    };
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    const seen = new Set();
    for (let t = walker.nextNode(); t; t = walker.nextNode()) {
      const e = t.parentElement;
      if (!t.textContent.trim() || seen.has(e) || !shown(e) || e.closest(".sr-only")) continue;
      seen.add(e);
      const style = getComputedStyle(e);
      if (Number(style.opacity) < 1 || e.closest("button:disabled")) continue;
      const a = lum(rgb(style.color).slice(0, 3));
      const b = lum(behind(e));
      const ratio = (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05);
      const size = parseFloat(style.fontSize);
      const large = size >= 24 || (size >= 18.66 && Number(style.fontWeight) >= 700);
      if (ratio < (large ? 3 : 4.5)) problems.push(`contrast ${ratio.toFixed(2)}: "${t.textContent.trim().slice(0, 30)}"`);
    }
    return problems;
  });
  return found.map((p) => `${label}: ${p}`);
}

// The web port a gorse-host serving the web client names.
async function webPortOf(host) {
  const m = await within(10000, "the host's web port", () => host.lines.map((l) => /event=web_listen port=(\d+)|http:\/\/[^:\s]+:(\d+)/i.exec(l)).find(Boolean));
  return Number(m.slice(1).find(Boolean));
}

// A whole game to the winner, at a table of its own while the other game
// goes on: the TCP client, connection 1, starts a game of one point and
// twelve-second rounds (the host's --any-game takes it; the browser's dialog
// keeps to its ranges); the desktop program joins offscreen and sits without
// playing; the browser player clicks a longer word than the TCP client's.
// After the round and its pause the browser player has won: her page says
// so, the TCP client hears it, and the desktop program counts the game in
// the tally it keeps beside itself.
async function wholeGame(context) {
  const host = start(join(binDir, "gorse-host"), ["--port", "0", "--web", "0", "--no-announce", "--seed", "11", "--any-game"]);
  const tcpPort = Number((await within(10000, "the host's port", () => host.lines.map((l) => /event=listen port=(\d+)/.exec(l)).find(Boolean)))[1]);
  const url = `http://127.0.0.1:${await webPortOf(host)}/`;
  const eve = rawClient(tcpPort, "Eve");
  await within(5000, "Eve's login", () => eve.own() === 1);
  const dana = watched(await context.newPage(), "Dana");
  await sitDown(dana, url);

  const desk = mkdtempSync(join(tmpdir(), "gorse-e2e-desk-"));
  cleanups.push(() => rmSync(desk, { recursive: true, force: true }));
  // A second name for the program (or a copy), as it keeps its settings and
  // tally beside itself.
  try {
    linkSync(join(binDir, "gorse"), join(desk, "gorse"));
  } catch {
    copyFileSync(join(binDir, "gorse"), join(desk, "gorse"));
    chmodSync(join(desk, "gorse"), 0o755);
  }
  const tally = join(desk, "lexmoor2tally.tld");
  const gorse = start(join(desk, "gorse"), ["--port", String(tcpPort), "Desk", "127.0.0.1", "false"],
                      { ...process.env, QT_QPA_PLATFORM: "offscreen", XDG_RUNTIME_DIR: desk });
  await within(20000, "the desktop program's login", () => host.lines.some((l) => /event=login conn=3 name=Desk /.test(l)));

  eve.send("CMD_startgame+Eve+1+12+");
  await dana.page.waitForSelector("#status:text('Your Turn.')", { timeout: 5000 });
  const cards = cardNumbers(await cardsOf(dana.page));
  const found = findWords(cards);
  const longest = found.reduce((a, b) => (b.word.length > a.word.length ? b : a), found[0] ?? fail("no word on these cards"));
  const lesser = found.find((w) => w.word.length < longest.word.length && !w.word.includes("QU"))
    ?? fail(`no word shorter than ${longest.word} on these cards`);
  eve.send(`CMD_sendword+1+${lesser.piles.join("+")}`);
  for (const pile of longest.piles) await dana.page.click(`#piles .card[data-pile='${pile}']`);
  await dana.page.click("#done");
  await dana.page.waitForSelector(`#theword:has-text('You made: ${longest.word}')`, { timeout: 5000 });
  if (existsSync(tally)) fail("the desktop program wrote its tally before the game ended");

  const winner = await within(45000, "the winner", () => eve.messages.find((m) => m.startsWith("CMD_winner+")));
  if (winner !== "CMD_winner+Dana+") fail(`${winner}: Dana's word was ${longest.word}, Eve's ${lesser.word}`);
  await dana.page.waitForSelector("#winner:not([hidden]) #winner-text:text('You have Won the Game!')", { timeout: 5000 });
  await within(5000, "the desktop program's tally", () => existsSync(tally));
  if (gorse.child.exitCode !== null) fail(`the desktop program ended: ${gorse.lines.join("\n")}`);
  // The winner and the round's words are both on the board, over neither
  // each other nor the word and the piles, wide and at 360 px.
  for (const [width, shot] of [[1280, "web-winner.png"], [360, "web-360-winner.png"]]) {
    await dana.page.setViewportSize({ width, height: 860 });
    await apart(dana.page, ["#winner", "#pwords", "#word", "#piles", "#board"], width);
    await dana.page.screenshot({ path: join(artefacts, shot), fullPage: true });
  }
  return { dana, word: longest.word };
}

// A server of two tables: the join screen lists them and offers the one
// where somebody waits for players; the browser player sits at table 2,
// where a TCP client on table 2's port sees her arrive.
async function chooseTable(context) {
  const host = start(join(binDir, "gorse-host"), ["--tables", "2", "--port", "0", "--web", "0", "--no-announce"]);
  const port2 = Number((await within(10000, "table 2's port", () => host.lines.map((l) => /table=2 event=listen port=(\d+)/.exec(l)).find(Boolean)))[1]);
  const tia = rawClient(port2, "Tia");
  await within(5000, "Tia's login", () => tia.own() === 1);
  const pia = watched(await context.newPage(), "Pia");
  await pia.page.goto(`http://127.0.0.1:${await webPortOf(host)}/`);
  await pia.page.waitForSelector("#tables:not([hidden]) #table-list label:nth-child(2) :text('1 player, 5 free seats')");
  if (!(await pia.page.isChecked("#table-list input[value='2']"))) fail("the table where Tia waits is not offered first");
  await pia.page.fill("#name", "Pia");
  await pia.page.click("#join-button");
  await within(5000, "Pia at table 2", () => tia.messages.includes("CMD_newplayerinfo+2+Pia"));
  if (!pia.page.url().endsWith("?table=2")) fail(`the page's address does not keep the table: ${pia.page.url()}`);
  return pia;
}

// Fails unless every one of the first selectors is shown, the first ones
// do not overlap one another, and all lie within the last.
async function apart(page, selectors, label) {
  const boxes = [];
  for (const selector of selectors) {
    const box = await page.locator(selector).boundingBox();
    if (!box || box.width === 0 || box.height === 0) fail(`${selector} is not shown (${label})`);
    boxes.push({ selector, ...box });
  }
  const outer = boxes.pop();
  for (const [i, a] of boxes.entries()) {
    if (a.x < outer.x - 0.5 || a.y < outer.y - 0.5 || a.x + a.width > outer.x + outer.width + 0.5 ||
        a.y + a.height > outer.y + outer.height + 0.5)
      fail(`${a.selector} reaches out of ${outer.selector} (${label}): ${JSON.stringify([a, outer])}`);
    for (const b of boxes.slice(i + 1)) {
      if (a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height)
        fail(`${a.selector} overlaps ${b.selector} (${label}): ${JSON.stringify([a, b])}`);
    }
  }
}

async function main() {
  const host = start(join(binDir, "gorse-host"), ["--port", "0", ...(bridgeDist ? [] : ["--web", "0"]), "--no-announce", "--seed", "7"]);
  const started = await within(10000, "the host's port", () =>
    host.child.exitCode !== null ? "exited" : host.lines.map((l) => /event=listen port=(\d+)/.exec(l)).find(Boolean));
  if (started === "exited") {
    // A host built without the web server refuses the option: nothing to test.
    if (!bridgeDist && host.lines.some((l) => /unknown option.*web/i.test(l))) {
      console.log(`SKIPPED: this gorse-host serves no web client (${host.lines.join(" ")})`);
      process.exitCode = 77;
      return;
    }
    fail(`gorse-host ended: ${host.lines.join("\n")}`);
  }
  const tcpPort = Number(started[1]);
  let webPort;
  if (bridgeDist) {
    const bridge = start(process.execPath, [join(webDir, "devserver.mjs"), bridgeDist, `127.0.0.1:${tcpPort}`]);
    webPort = Number((await within(10000, "the bridge's port", () => bridge.lines.map((l) => /listening on port (\d+)/.exec(l)).find(Boolean)))[1]);
  } else {
    webPort = await webPortOf(host);
  }
  const url = `http://127.0.0.1:${webPort}/`;

  const alma = await browser("Alma");
  const bruno = await browser("Bruno");
  await sitDown(alma, url);
  await alma.page.waitForSelector("#seats tbody tr.me td.name:text('Alma')");
  // The join screen shows before the page's script has run: a name typed by
  // then stays, the remembered one ("Alma") fills only an empty field.
  {
    const early = await alma.page.context().newPage();
    let release;
    const held = new Promise((r) => (release = r));
    await early.route("**/app.js", async (route) => {
      await held;
      await route.continue();
    });
    await early.goto(url, { waitUntil: "commit" });
    await early.fill("#name", "Zed", { timeout: 5000 });
    release();
    await early.waitForFunction(() => performance.getEntriesByName("gorse-join-ready").length > 0, null, { timeout: 5000 });
    const kept = await early.inputValue("#name");
    await early.close();
    if (kept !== "Zed") fail(`the name typed before the script ran became "${kept}"`);
  }
  await sitDown(bruno, url);
  // Settled at the end; a failure is kept until then.
  const whole = bridgeDist ? Promise.resolve(null) : wholeGame(bruno.page.context()).catch((e) => e);
  const chosen = bridgeDist ? Promise.resolve(null) : chooseTable(alma.page.context()).catch((e) => e);
  const cyd = rawClient(tcpPort, "Cyd <b>");
  await within(10000, "three seats", async () => (await alma.page.$$eval("#seats td.name", (c) => c.map((x) => x.textContent))).slice(0, 3).join("|") === "Alma|Bruno|Cyd <b>");
  if (cyd.own() !== 3) fail(`the TCP client got number ${cyd.own()}`);
  if (await bruno.page.isVisible("#start")) fail("the second browser may start games");

  // The first connection starts a game with the shortest rounds.
  await alma.page.click("#start");
  await alma.page.waitForSelector("#startdlg[open]");
  for (let i = 0; i < 8; ++i) await alma.page.click("[data-step=seconds][data-by='-1']");
  if ((await alma.page.textContent("#seconds")) !== "45") fail("the creation time does not step down to 45");
  await alma.page.click("#startdlg-start");
  await within(5000, "the round", () => cyd.messages.some((m) => m.startsWith("CMD_startround+1")));
  if (!cyd.messages.some((m) => m.startsWith("CMD_startgame+Alma+500+45+"))) fail("the game did not start with 500 and 45");
  await alma.page.waitForSelector("#status:text('Your Turn.')");
  await bruno.page.waitForSelector("#status:text('Your Turn.')");

  // Alma types a word; Bruno clicks one.
  const cards = cardNumbers(await cardsOf(alma.page));
  const typed = findWord(cards);
  await alma.page.focus("#board");
  await alma.page.keyboard.type(typed.word.toLowerCase());
  await alma.page.keyboard.press("Enter");
  await alma.page.waitForSelector(`#theword:has-text('You made: ${typed.word}')`, { timeout: 5000 });

  const clicked = findWord(cards, typed.piles.slice(0, 0));
  for (const pile of clicked.piles) await bruno.page.click(`#piles .card[data-pile='${pile}']`);
  const built = await bruno.page.textContent("#word");
  await bruno.page.click("#done");
  await bruno.page.waitForSelector(`#theword:has-text('You made: ${clicked.word}')`, { timeout: 5000 });
  if (built.toUpperCase() !== clicked.word) fail(`clicks built ${built}, not ${clicked.word}`);

  // A discard asks first; Y answers.
  await bruno.page.click("#piles .pile:nth-child(8) .discard");
  await bruno.page.waitForSelector("#discardq:not([hidden])");
  await bruno.page.keyboard.press("y");
  await bruno.page.waitForSelector("#theword:text('You discarded a card and lost 5 points.')", { timeout: 5000 });

  // The page from a phone held upright, and in a wide window.
  await bruno.page.setViewportSize({ width: 360, height: 780 });
  await bruno.page.screenshot({ path: join(artefacts, "web-360.png"), fullPage: true });
  const overflow = await bruno.page.evaluate(() => document.documentElement.scrollWidth);
  if (overflow > 360) fail(`the page is ${overflow} px wide at 360`);
  const small = await bruno.page.$$eval("button", (bs) => bs.filter((b) => b.offsetParent && getComputedStyle(b).visibility !== "hidden" && (b.getBoundingClientRect().height < 44 || b.getBoundingClientRect().width < 44)).map((b) => b.textContent));
  if (small.length) fail(`touch targets under 44 px: ${small.join(", ")}`);
  await alma.page.screenshot({ path: join(artefacts, "web-wide.png"), fullPage: true });
  const findings = [...(await audit(alma.page, "wide")), ...(await audit(bruno.page, "360"))];

  // Chat: HTML from the desktop client stays text; the browser's own chat reaches TCP.
  const evil = "<img src=x onerror=window.__owned=1>";
  cyd.send(`CMD_chat+3+${evil}|clRed`);
  await alma.page.waitForSelector(`#log p:last-child:has-text('${evil}')`);
  if ((await alma.page.$$("#log img[src='x']")).length > 0 || (await alma.page.evaluate(() => window.__owned))) fail("chat HTML was run");
  await bruno.page.fill("#entry", "hi :)#12 see www.example.com");
  await bruno.page.press("#entry", "Enter");
  await within(5000, "the chat relay", () => cyd.messages.some((m) => m === "CMD_chat+2+Bruno chats: hi :)#12 see www.example.com|clBlack"));
  await alma.page.waitForSelector("#log a[href='http://www.example.com/'][rel='noopener noreferrer'][target='_blank']");
  await alma.page.waitForSelector("#log img[src^='data:image/svg+xml']");

  // The round ends: every client shows the words.
  const endround = await within(60000, "the end of the round", () => cyd.messages.find((m) => m.startsWith("CMD_endround+")));
  for (const w of [typed.word, clicked.word]) if (!endround.includes(`-${w}`)) fail(`${w} is not in ${endround}`);
  for (const b of [alma, bruno]) {
    await b.page.waitForSelector("#pwords:not([hidden])", { timeout: 5000 });
    const shown = await b.page.textContent("#pwords");
    for (const w of [typed.word, clicked.word]) if (!shown.includes(w)) fail(`${b.name} does not show ${w}`);
  }

  await alma.page.waitForSelector("#suggestion:has-text('Best word these cards allowed: ')", { timeout: 15000 });
  await bruno.page.screenshot({ path: join(artefacts, "web-360-results.png"), fullPage: true });

  // A tenth connection finds the table full.
  for (let i = 0; i < 6; ++i) rawClient(tcpPort, `Extra ${i}`);
  await within(5000, "a full table", async () => (await alma.page.$$eval("#spies li", (l) => l.length)) === 3);
  const late = await bruno.page.context().newPage();
  await late.goto(url);
  await late.fill("#name", "Late");
  await late.click("#join-button");
  await late.waitForSelector("#full:not([hidden]) :text('Game is full')", { timeout: 5000 });

  await alma.page.emulateMedia({ colorScheme: "dark" });
  await alma.page.screenshot({ path: join(artefacts, "web-wide-dark.png"), fullPage: true });
  findings.push(...(await audit(alma.page, "dark")));
  if (findings.length) fail(findings.join("\n"));

  const won = await whole;
  if (won instanceof Error) throw won;
  const pia = await chosen;
  if (pia instanceof Error) throw pia;

  // Every sound the page plays decodes in the browser.
  const cues = ["entered", "turn", "turnnew", "place", "clear", "goodword", "badword", "shift", "timer", "roundover", "winner", "gameover"];
  const sounds = [...cues, ...Array.from({ length: 20 }, (_, i) => `wave${i + 1}`)];
  const undecoded = await alma.page.evaluate(async (names) => {
    const audio = new OfflineAudioContext(1, 1, 44100);
    const bad = [];
    for (const name of names) {
      try {
        const data = await (await fetch(`sounds/${name}.wav`)).arrayBuffer();
        if (!((await audio.decodeAudioData(data)).duration > 0)) bad.push(`${name}: no sound`);
      } catch (e) {
        bad.push(`${name}: ${e}`);
      }
    }
    return bad;
  }, sounds);
  if (undecoded.length) fail(`sounds the browser cannot play: ${undecoded.join(", ")}`);

  // The host going away is said plainly.
  host.child.kill("SIGTERM");
  await alma.page.waitForSelector("#ended:not([hidden])", { timeout: 10000 });
  const problems = [...alma.problems, ...bruno.problems, ...(won?.dana.problems ?? []), ...(pia?.problems ?? [])].filter((p) => !/WebSocket|ERR_CONNECTION|favicon/.test(p));
  if (problems.length) fail(problems.join("\n"));
  console.log(`played ${typed.word} by keyboard and ${clicked.word} by clicks` +
              (won ? `; ${won.word} won a whole game` : "") + `; screenshots in ${artefacts}`);
}

try {
  await main();
} catch (e) {
  console.error(e.stack ?? String(e));
  process.exitCode = 1;
} finally {
  for (const c of cleanups.reverse()) await Promise.resolve(c()).catch(() => {});
  for (const c of children) c.kill("SIGKILL");
}
