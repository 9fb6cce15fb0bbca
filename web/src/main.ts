// The page: the join screen, the table, the board and the chat, drawn from
// the game's state. Player texts are only ever set as text.

import { ChatLine, CHATTER_SOUNDS, Colour, colourFromCss, colourToCss, PHRASES, readableColour, SYSTEM_COLOUR } from "./chatline";
import { Game, Options, WAITING } from "./game";
import { KeyboardPlay, Key } from "./keyboard";
import { cleanPlayerName, encode, PILE_COUNT, PLAY_TO_SCORE, stepFrom, clampOption, TIME_PER_TURN, SEAT_COUNT } from "./protocol";
import { bestWord, loadWords } from "./finder";
import { smileyUrl } from "./smilies";
import { SoundPlayer } from "./sound";
import { describeTable, parseTables, preferredTable, tableFromQuery, TableInfo } from "./tables";

const $ = <T extends HTMLElement = HTMLElement>(id: string): T => {
  const el = document.getElementById(id);
  if (!el) throw new Error(`missing #${id}`);
  return el as T;
};
function el<K extends keyof HTMLElementTagNameMap>(tag: K, cls?: string, text?: string): HTMLElementTagNameMap[K] {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text !== undefined) e.textContent = text;
  return e;
}

// ---- stored choices ----

const store = {
  get(key: string): string | null {
    try {
      return localStorage.getItem("gorse." + key);
    } catch {
      return null;
    }
  },
  set(key: string, value: string): void {
    try {
      localStorage.setItem("gorse." + key, value);
    } catch {
      // private browsing: the choice lasts for this page only
    }
  },
};
const flag = (key: string, fallback: boolean): boolean => {
  const v = store.get(key);
  return v === null ? fallback : v === "true";
};
const options: Options = {
  sounds: flag("sounds", true),
  chatterSounds: flag("chatterSounds", true),
  warnDiscard: flag("warnDiscard", true),
  newTurnSound: flag("newTurnSound", false),
  chatColour: Number(store.get("chatColour") ?? 0) & 0xffffff,
};
let scrollOff = false; // not kept, as in the desktop program
let textSize = ["8", "10", "12", "14"].includes(store.get("textSize") ?? "") ? store.get("textSize")! : "10";
let target = clampOption(PLAY_TO_SCORE, Number(store.get("target") ?? PLAY_TO_SCORE.initial));
let seconds = clampOption(TIME_PER_TURN, Number(store.get("seconds") ?? TIME_PER_TURN.initial));

const sounds = new SoundPlayer();
let game: Game | null = null;
let socket: WebSocket | null = null;
let keyboard: KeyboardPlay | null = null;
let clock: number | undefined;
let clockRunning = false;

// ---- joining ----

function showPage(which: "join" | "full" | "game"): void {
  $("join").hidden = which !== "join";
  $("full").hidden = which !== "full";
  $("game").hidden = which !== "game";
}

function join(event: Event): void {
  event.preventDefault();
  const name = cleanPlayerName($<HTMLInputElement>("name").value);
  const error = $("join-error");
  if (name === "") {
    error.textContent = "Please type your name.";
    $("name").focus();
    return;
  }
  store.set("name", name);
  error.textContent = "Connecting\u2026";
  $<HTMLButtonElement>("join-button").disabled = true;
  connect(name);
}

function connect(name: string): void {
  const g = new Game(name, options, {
    send: (message) => {
      if (socket && socket.readyState === WebSocket.OPEN) socket.send(encode(message));
    },
    cue: (cue) => sounds.play(cue),
    chatter: (n) => sounds.play(`wave${n}`),
    log: (line) => console.warn(line),
  });
  game = g;
  keyboard = new KeyboardPlay(g);
  keyboard.onRefused = (letters) => {
    $("keys").textContent = `No card spells ${letters}`;
  };
  const query = chosenTable === null ? "" : `?table=${chosenTable}`;
  // A reload (Join again, Try again) comes back to the same table.
  if (query) history.replaceState(null, "", query);
  const ws = new WebSocket((location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/play" + query);
  ws.binaryType = "arraybuffer";
  socket = ws;
  let opened = false;
  ws.onopen = () => {
    opened = true;
  };
  ws.onmessage = (e: MessageEvent) => {
    if (game !== g) return;
    const wasPlaying = g.phase === "playing";
    if (typeof e.data === "string") g.handleMessage(e.data);
    else g.handleBytes(new Uint8Array(e.data as ArrayBuffer));
    if (!wasPlaying && g.phase === "playing") enterGame();
    if (g.phase === "full") showPage("full");
    suggest(g);
    render();
  };
  ws.onclose = (e: CloseEvent) => {
    if (game !== g) return;
    const wasPlaying = g.phase === "playing";
    g.closed();
    stopClock();
    if (g.phase === "full") {
      showPage("full");
      return;
    }
    if (!wasPlaying) {
      showPage("join");
      $("join-error").textContent = opened ? closeText("The host closed the connection.", e) : "Could not connect to the host.";
      $<HTMLButtonElement>("join-button").disabled = false;
      loadTables();
      return;
    }
    $("ended-text").textContent = e.wasClean ? closeText("The host ended the game.", e) : "The connection to the host was lost.";
    $("ended").hidden = false;
    render();
    ($("ended").querySelector("button") as HTMLButtonElement).focus();
  };
}

// What the page says when the host closed the connection, with the host's
// reason when it gave one.
function closeText(text: string, e: CloseEvent): string {
  return e.reason ? `${text} (${e.reason})` : text;
}

function enterGame(): void {
  $("join-error").textContent = "";
  showPage("game");
  $("board").focus();
}

// ---- choosing a table (a server with several) ----

let chosenTable: number | null = tableFromQuery(location.search);

function loadTables(): void {
  fetch("tables", { cache: "no-store" })
    .then((r) => (r.ok ? r.json() : []))
    .then((json: unknown) => showTables(parseTables(json)))
    .catch(() => showTables([]));
}

function showTables(tables: TableInfo[]): void {
  const box = $("tables");
  // One table, or a host that lists none: nothing to choose.
  box.hidden = tables.length < 2;
  if (box.hidden) return;
  chosenTable = preferredTable(tables, chosenTable);
  const list = $("table-list");
  list.textContent = "";
  for (const t of tables) {
    const { title, detail } = describeTable(t);
    const row = el("label", "table-choice");
    const radio = el("input");
    radio.type = "radio";
    radio.name = "table";
    radio.value = String(t.number);
    radio.checked = t.number === chosenTable;
    radio.addEventListener("change", () => (chosenTable = t.number));
    const text = el("span");
    text.append(el("strong", undefined, title), el("span", "minor", detail));
    row.append(radio, text);
    list.append(row);
  }
}

// ---- suggestions ----

let words: Promise<string[]> | null = null;
function suggest(g: Game): void {
  const cards = g.suggestionWanted;
  if (!cards) return;
  g.suggestionWanted = null;
  words ??= loadWords("words.txt.gz");
  words.then((list) => {
    const best = bestWord(list, cards);
    if (best && game === g && g.playedWordsShown) {
      g.setSuggestion(best.word, best.points);
      render();
    }
  }).catch((e) => {
    words = null;
    console.warn(`no suggestions: ${e}`);
  });
}

// ---- the clock ----

function stopClock(): void {
  if (clock !== undefined) window.clearInterval(clock);
  clock = undefined;
  clockRunning = false;
}
function syncClock(): void {
  if (!game) return;
  const wanted = game.turnClockOn || game.pauseLeft > 0;
  if (wanted === clockRunning) return;
  stopClock();
  if (wanted) {
    clockRunning = true;
    clock = window.setInterval(() => {
      game?.tick();
      render();
    }, 1000);
  }
}

// ---- drawing ----

const pileButtons: HTMLButtonElement[] = [];
const discardButtons: HTMLButtonElement[] = [];
const seatRows: HTMLTableRowElement[] = [];
let chatShown = 0;
const originColours = new Map<number, Colour>();

function buildStatic(): void {
  const piles = $("piles");
  for (let p = 1; p <= PILE_COUNT; ++p) {
    const pile = el("div", "pile");
    const card = el("button", "card");
    card.type = "button";
    card.dataset.pile = String(p);
    card.addEventListener("click", () => act(() => game?.addPile(p)));
    card.addEventListener("contextmenu", (e) => {
      e.preventDefault();
      act(() => game?.submitWord());
    });
    const discard = el("button", "discard", "Discard");
    discard.type = "button";
    discard.setAttribute("aria-label", `Discard pile ${p} for 5 points`);
    discard.addEventListener("click", () => act(() => game?.discard(p)));
    pile.append(card, discard);
    piles.append(pile);
    pileButtons.push(card);
    discardButtons.push(discard);
  }
  const body = $("seats").querySelector("tbody") as HTMLTableSectionElement;
  for (let n = 1; n <= SEAT_COUNT; ++n) {
    const row = el("tr");
    row.append(el("td", "name"), el("td"), el("td"), el("td"));
    body.append(row);
    seatRows.push(row);
  }
  const phrases = $("phrases");
  PHRASES.forEach((phrase, i) => {
    const b = el("button", undefined, phrase);
    b.type = "button";
    b.addEventListener("click", () => act(() => game?.sendPhrase(i, Date.now())));
    phrases.append(b);
  });
  const smilies = $("smilies");
  for (let i = 0; i < 18; ++i) {
    const b = el("button");
    b.type = "button";
    const code = `:)#${10 + i}`;
    b.setAttribute("aria-label", `Smiley ${code}`);
    const img = el("img");
    img.src = smileyUrl(i);
    img.alt = "";
    b.append(img);
    b.addEventListener("click", () => {
      const entry = $<HTMLInputElement>("entry");
      entry.value += code;
      closePopups();
      entry.focus();
    });
    smilies.append(b);
  }
  const soundList = $("sounds");
  CHATTER_SOUNDS.forEach((name, i) => {
    const b = el("button", undefined, name);
    b.type = "button";
    b.addEventListener("click", () => {
      game?.sendChatterSound(i + 1);
      closePopups();
      $("sounds-button").focus();
    });
    soundList.append(b);
  });
}

function act(action: () => void): void {
  action();
  keyboard?.boardChanged();
  render();
}

function setText(id: string, text: string): void {
  const e = $(id);
  if (e.textContent !== text) e.textContent = text;
}

function chatBackground(): Colour {
  const m = /rgba?\((\d+),\s*(\d+),\s*(\d+)/.exec(getComputedStyle($("log")).backgroundColor);
  return m ? Number(m[1]) | (Number(m[2]) << 8) | (Number(m[3]) << 16) : 0xf7f8f9;
}
function applyOriginColours(): void {
  const bg = chatBackground();
  const log = $("log");
  for (const [origin, colour] of originColours) log.style.setProperty(`--o${origin}`, colourToCss(readableColour(colour, bg)));
}

function chatLineElement(line: ChatLine): HTMLElement {
  const p = el("p", `o${line.origin}`);
  if (line.name !== "") p.append(el("span", "name", line.name + " "));
  for (const piece of line.pieces) {
    if (piece.kind === "text") p.append(document.createTextNode(piece.text));
    else if (piece.kind === "link") {
      const a = el("a", undefined, piece.text);
      a.href = piece.href;
      a.target = "_blank";
      a.rel = "noopener noreferrer";
      p.append(a);
    } else {
      const img = el("img");
      img.src = smileyUrl(piece.image);
      img.alt = `:)#${piece.image + 10}`;
      p.append(img);
    }
  }
  return p;
}

function renderChat(g: Game): void {
  const log = $("log");
  const fresh = Math.min(g.chatAdded - chatShown, g.chat.length);
  if (fresh <= 0) return;
  const atEnd = log.scrollHeight - log.scrollTop - log.clientHeight < 40;
  let recolour = false;
  for (const line of g.chat.slice(g.chat.length - fresh)) {
    // Every line of an origin shows in the colour of its latest line.
    const colour = line.origin === 0 ? SYSTEM_COLOUR : line.colour;
    if (originColours.get(line.origin) !== colour) {
      originColours.set(line.origin, colour);
      recolour = true;
    }
    log.append(chatLineElement(line));
  }
  chatShown = g.chatAdded;
  while (log.childElementCount > 5000) log.firstElementChild?.remove();
  if (recolour) applyOriginColours();
  if (atEnd && !scrollOff) log.scrollTop = log.scrollHeight;
}

function render(): void {
  const g = game;
  if (!g) return;
  syncClock();
  setText("playto", g.playToScoreText);
  setText("timeper", g.timePerTurnText);
  setText("roundnum", g.roundText);
  const startShown = g.startButtonsShown();
  $("start").hidden = !startShown;

  setText("timer", g.turnClockOn || g.timeLeft > 0 ? g.timerText() : "Time: 0:00");
  $("timer").classList.toggle("urgent", g.clockUrgent());
  $("timer-fill").style.width = `${Math.round(g.timerFraction() * 100)}%`;

  const word = $<HTMLButtonElement>("word");
  setText("word", g.wordText === "" ? "\u00a0" : g.wordText);
  word.setAttribute("aria-label", g.wordText === "" ? "Word: empty" : `Word: ${g.wordText}`);
  $("clear").parentElement!.classList.toggle("off", !g.wordButtons);
  for (const id of ["clear", "clearlast", "done"]) $<HTMLButtonElement>(id).disabled = !g.wordButtons;
  setText("theword", g.theWord);
  setText("status", g.status);

  for (let p = 1; p <= PILE_COUNT; ++p) {
    const card = pileButtons[p - 1];
    const face = g.pileFace(p);
    const shown = face;
    if (card.dataset.face !== shown) {
      card.dataset.face = shown;
      card.textContent = "";
      card.append(el("span", "num", String(p)), el("span", "face", shown));
    }
    card.classList.toggle("empty", face === "");
    card.setAttribute("aria-label", face === "" ? (g.inWord(p) ? `Pile ${p}: in the word` : `Pile ${p}: empty`) : `Pile ${p}: ${face}`);
    card.setAttribute("aria-disabled", String(!g.canPick() || face === ""));
    const discard = discardButtons[p - 1];
    discard.classList.toggle("off", !g.discardShown[p - 1]);
    discard.disabled = !g.discardShown[p - 1];
  }
  const k = keyboard;
  setText("keys", k ? (k.hint() || (k.pending ? `Typed: ${k.pending}` : $("keys").textContent ?? "")) : "");

  const question = $("discardq");
  if (question.hidden === g.discardQuestion) {
    question.hidden = !g.discardQuestion;
    // The question takes the focus while it is up, and gives it back.
    if (g.discardQuestion) $("yes").focus();
    else if (question.contains(document.activeElement) || document.activeElement === document.body) $("board").focus();
  }
  setText("role", g.own > SEAT_COUNT ? `Watching as spy ${g.own}` : g.own > 0 ? `Seat ${g.own}` : "");

  // The seats and spies.
  g.seats.forEach((seat, i) => {
    const row = seatRows[i];
    const cells = row.cells;
    const name = seat.name === "" ? "\u00a0" : seat.name;
    if (cells[0].textContent !== name) cells[0].textContent = name;
    cells[0].title = seat.name;
    cells[1].textContent = String(seat.total);
    cells[2].textContent = String(seat.roundPoints);
    cells[3].textContent = seat.last;
    row.classList.toggle("waiting", seat.name === WAITING);
    row.classList.toggle("me", i + 1 === g.own);
  });
  const spies = $("spies");
  spies.textContent = "";
  for (const spy of g.spies) spies.append(el("li", undefined, `${spy.conn}: ${spy.name}`));
  if (g.spies.length === 0) spies.append(el("li", "muted", "None"));

  // Round results and the winner.
  const pwords = $("pwords");
  const wasHidden = pwords.hidden;
  pwords.hidden = !g.playedWordsShown;
  if (g.playedWordsShown) {
    setText("pause", g.pauseText());
    setText("suggestion", g.suggestion);
    if (wasHidden) {
      const lists = $("pwords-lists");
      lists.textContent = "";
      g.seats.forEach((seat, i) => {
        if (seat.name === WAITING && seat.words.length <= 1 && seat.total === 0) return;
        const box = el("div");
        box.append(el("h3", undefined, seat.heading.trim() || seat.name || `Seat ${i + 1}`));
        const ul = el("ul");
        for (const line of seat.words) ul.append(el("li", undefined, line));
        box.append(ul);
        lists.append(box);
      });
    }
  }
  const winner = $("winner");
  winner.hidden = !g.winnerShown;
  setText("winner-text", g.winnerText);
  $("start2").hidden = !(g.winnerShown && startShown);

  renderChat(g);
}

function closePopups(): void {
  for (const [popup, button] of [["smilies", "smilies-button"], ["sounds", "sounds-button"]]) {
    $(popup).hidden = true;
    $(button).setAttribute("aria-expanded", "false");
  }
}
function togglePopup(popup: string, button: string): void {
  const open = $(popup).hidden;
  closePopups();
  $(popup).hidden = !open;
  $(button).setAttribute("aria-expanded", String(open));
  if (open) ($(popup).querySelector("button") as HTMLButtonElement).focus();
}

// ---- keyboard play ----

function keyOf(e: KeyboardEvent): Key {
  switch (e.key) {
    case "Enter": return "Enter";
    case "Backspace": return "Backspace";
    case "Escape": return "Escape";
    case "Delete": return "Delete";
    default: return "Other";
  }
}

function onKey(e: KeyboardEvent): void {
  if (!game || !keyboard || $("game").hidden || e.ctrlKey || e.metaKey || e.altKey) return;
  if (document.querySelector("dialog[open]")) return;
  const target = e.target as HTMLElement;
  if (target.closest("input, textarea, select, .popup")) return;
  const key = keyOf(e);
  // Enter and Space on a focused button are the button's own.
  // Enter on a pile sends the word, as it does anywhere on the board.
  if (target.tagName === "BUTTON" && (e.key === " " || (key === "Enter" && !target.classList.contains("card")))) return;
  if (key === "Escape" && (!$("smilies").hidden || !$("sounds").hidden)) {
    closePopups();
    return;
  }
  const text = e.key.length === 1 ? e.key : "";
  if (key === "Other" && text === "") return;
  // A refusal is shown until the next key.
  $("keys").textContent = "";
  if (keyboard.press(key, text)) {
    e.preventDefault();
    act(() => {});
  }
}

// ---- the dialogs ----

function openStartDialog(): void {
  if (!game?.mayStartGames()) return;
  const dlg = $<HTMLDialogElement>("startdlg");
  setText("target", String(target));
  setText("seconds", String(seconds));
  dlg.showModal();
}

function wireJoin(): void {
  $("join-form").addEventListener("submit", join);
  $("tables-refresh").addEventListener("click", loadTables);
  // The page shows the field before this runs: what the player has typed
  // by now stays.
  const name = $<HTMLInputElement>("name");
  if (name.value === "") name.value = store.get("name") ?? "";
}

function wire(): void {
  for (const b of Array.from(document.querySelectorAll<HTMLButtonElement>(".rejoin"))) b.addEventListener("click", () => location.reload());

  $("word").addEventListener("click", () => act(() => game?.clearLast()));
  $("clear").addEventListener("click", () => act(() => game?.clearWord()));
  $("clearlast").addEventListener("click", () => act(() => game?.clearLast()));
  $("done").addEventListener("click", () => act(() => game?.submitWord()));
  $("yes").addEventListener("click", () => act(() => game?.answerDiscard(true)));
  $("no").addEventListener("click", () => act(() => game?.answerDiscard(false)));
  $("pwords-close").addEventListener("click", () => act(() => game && (game.playedWordsShown = false)));
  $("start").addEventListener("click", openStartDialog);
  $("start2").addEventListener("click", openStartDialog);
  document.addEventListener("keydown", onKey);

  const startDlg = $<HTMLDialogElement>("startdlg");
  for (const b of Array.from(startDlg.querySelectorAll<HTMLButtonElement>("[data-step]"))) {
    b.addEventListener("click", () => {
      const by = Number(b.dataset.by);
      if (b.dataset.step === "target") target = stepFrom(PLAY_TO_SCORE, target, by);
      else seconds = stepFrom(TIME_PER_TURN, seconds, by);
      setText("target", String(target));
      setText("seconds", String(seconds));
    });
  }
  startDlg.addEventListener("close", () => {
    if (startDlg.returnValue !== "start") return;
    store.set("target", String(target));
    store.set("seconds", String(seconds));
    act(() => game?.startGame(target, seconds));
    $("board").focus();
  });

  const optionsDlg = $<HTMLDialogElement>("optionsdlg");
  const boxes: Array<[string, keyof Options]> = [
    ["opt-sounds", "sounds"], ["opt-chatter", "chatterSounds"], ["opt-newturn", "newTurnSound"], ["opt-warn", "warnDiscard"],
  ];
  $("options-button").addEventListener("click", () => {
    for (const [id, key] of boxes) $<HTMLInputElement>(id).checked = options[key] as boolean;
    $<HTMLInputElement>("opt-colour").value = colourToCss(options.chatColour);
    $<HTMLInputElement>("opt-noscroll").checked = scrollOff;
    $<HTMLSelectElement>("opt-size").value = textSize;
    optionsDlg.showModal();
  });
  for (const [id, key] of boxes) {
    $<HTMLInputElement>(id).addEventListener("change", (e) => {
      const on = (e.target as HTMLInputElement).checked;
      (options[key] as boolean) = on;
      store.set(key, String(on));
    });
  }
  $<HTMLInputElement>("opt-noscroll").addEventListener("change", (e) => {
    scrollOff = (e.target as HTMLInputElement).checked;
  });
  const applySize = () => {
    for (const size of ["8", "12", "14"]) $("log").classList.toggle(`size${size}`, size === textSize);
  };
  applySize();
  $<HTMLSelectElement>("opt-size").addEventListener("change", (e) => {
    textSize = (e.target as HTMLSelectElement).value;
    store.set("textSize", textSize);
    applySize();
  });
  $("clear-chat").addEventListener("click", () => {
    $("log").textContent = "";
    optionsDlg.close();
    $("entry").focus();
  });
  $<HTMLInputElement>("opt-colour").addEventListener("change", (e) => {
    options.chatColour = colourFromCss((e.target as HTMLInputElement).value);
    store.set("chatColour", String(options.chatColour));
  });

  $("chat-form").addEventListener("submit", (e) => {
    e.preventDefault();
    const entry = $<HTMLInputElement>("entry");
    if (game?.sendChat(entry.value)) entry.value = "";
  });
  $("smilies-button").addEventListener("click", () => togglePopup("smilies", "smilies-button"));
  $("sounds-button").addEventListener("click", () => togglePopup("sounds", "sounds-button"));
  matchMedia("(prefers-color-scheme: dark)").addEventListener("change", applyOriginColours);
}

// The join screen is in the page itself and may be shown before this script
// has run; from here on its button works. (The focus is given here rather
// than by autofocus, which bench_webpage finds delays the first paint.)
wireJoin();
showPage("join");
$("name").focus();
// For bench_webpage: the join screen works.
performance.mark("gorse-join-ready");
// The table is built after the join screen has been shown.
setTimeout(() => {
  buildStatic();
  wire();
  loadTables();
}, 0);
