// The client's state: the connection's login, the seats and spies, the
// board with its word, the turn clock, round results and the winner. It
// reads the host's messages and sends through a callback; the page draws
// it after every change. Nothing here touches the page.

import { ChatLine, chatReceived, CHATTER_SOUNDS, colourToText, entryMessage, parseChatLine, PHRASES, SYSTEM_COLOUR } from "./chatline";
import {
  build, cardFace, CardItem, cleanChatText, decode, DISCARD_PENALTY, FieldError, isPile, isSeat,
  parseWordLog, PILE_COUNT, read, ROUND_EXTRA_SECONDS, ROUND_PAUSE_SECONDS, SEAT_COUNT, splitMessage,
} from "./protocol";

export const WAITING = "<Waiting>";

export interface Seat {
  name: string; // WAITING for an empty seat
  total: number;
  roundPoints: number;
  last: string; // the seat's last word or discard ("+25", "-5"), or ""
  heading: string; // the played-words heading: " [3] Bob"
  words: string[]; // the played-words list of the last round
}

export type Cue =
  | "entered" | "turn" | "turnnew" | "place" | "clear" | "goodword" | "badword"
  | "shift" | "timer" | "roundover" | "winner" | "gameover";

export interface Options {
  sounds: boolean;
  chatterSounds: boolean;
  warnDiscard: boolean;
  newTurnSound: boolean;
  chatColour: number;
}

export type Phase = "joining" | "playing" | "full" | "closed";

export interface Services {
  send(message: string): void;
  cue(cue: Cue): void;
  chatter(sound: number): void;
  log(line: string): void;
}

export class Game {
  phase: Phase = "joining";
  own = 0;
  loggedIn = false;
  readonly loginName: string;

  seats: Seat[] = [];
  spies: Array<{ conn: number; name: string }> = [];
  chat: ChatLine[] = [];
  // Bumped for every chat line added, so the page appends only new ones.
  chatAdded = 0;

  // The board.
  cards: number[] = new Array<number>(PILE_COUNT).fill(0);
  inWordFlags: boolean[] = new Array<boolean>(PILE_COUNT).fill(false);
  discardShown: boolean[] = new Array<boolean>(PILE_COUNT).fill(false);
  wordPiles: number[] = [];
  wordText = "GORSE";
  wordGate = 0;
  wordButtons = false;
  playingSeat = 0;
  timeLeft = 0;
  timePerTurn = 0;
  turnClockOn = false;
  pendingDiscard = 0;
  discardQuestion = false;

  // Texts of the board.
  theWord = "";
  status = "";
  roundText = "Round: 0";
  playToScoreText = "Play to Score: 1000";
  timePerTurnText = "Time Per Turn: 90";
  playedWordsShown = false;
  winnerShown = false;
  winnerText = "";
  gameRunning = false;
  pauseLeft = 0;

  // The round's first cards, and once the round is over (for a seated
  // player) the cards a suggestion is wanted for.
  private roundCards: number[] | null = null;
  suggestionWanted: number[] | null = null;
  suggestion = "";

  private phraseLockedUntil = 0;

  constructor(name: string, readonly options: Options, private readonly services: Services) {
    this.loginName = name;
    for (let n = 1; n <= SEAT_COUNT; ++n)
      this.seats.push({ name: WAITING, total: 0, roundPoints: 0, last: "", heading: "[0] <WAITING>", words: [] });
  }

  // ---- what the page asks ----

  seat(n: number): Seat {
    return this.seats[n - 1];
  }
  ownSeat(): boolean {
    return isSeat(this.own);
  }
  // The first connection of a dedicated host starts the games.
  mayStartGames(): boolean {
    return this.loggedIn && this.own === 1;
  }
  startButtonsShown(): boolean {
    return this.phase === "playing" && this.mayStartGames() && !this.gameRunning;
  }
  live(): boolean {
    return this.playingSeat !== 0 && this.playingSeat === this.own && this.timeLeft > 0;
  }
  canPick(): boolean {
    return this.live() && this.wordGate === 1;
  }
  card(pile: number): number {
    return this.cards[pile - 1];
  }
  inWord(pile: number): boolean {
    return this.inWordFlags[pile - 1];
  }
  // The face a pile shows: empty while its card is in the word.
  pileFace(pile: number): string {
    return this.inWord(pile) ? "" : cardFace(this.card(pile));
  }
  timerText(): string {
    const t = Math.max(0, this.timeLeft);
    return `Time: ${Math.floor(t / 60)}:${String(t % 60).padStart(2, "0")}`;
  }
  timerFraction(): number {
    return this.timePerTurn > 0 ? Math.max(0, Math.min(1, this.timeLeft / this.timePerTurn)) : 0;
  }
  clockUrgent(): boolean {
    return this.turnClockOn && this.timeLeft > 0 && this.timeLeft < 20;
  }
  pauseText(): string {
    return this.pauseLeft > 0 ? `Next round in ${this.pauseLeft} seconds.` : "";
  }

  // ---- the connection ----

  handleBytes(bytes: Uint8Array | ArrayBuffer): void {
    this.handleMessage(decode(bytes));
  }

  handleMessage(text: string): void {
    const { name, rest } = splitMessage(text);
    const handler = this.handlers[name];
    if (!handler) return;
    try {
      handler(rest);
    } catch (e) {
      if (!(e instanceof FieldError)) throw e;
      this.services.log(`dropped ${name}: ${e.message}`);
    }
  }

  // The host closed the connection, or it was lost.
  closed(): void {
    if (this.phase !== "full") this.phase = "closed";
    this.turnClockOn = false;
    this.pauseLeft = 0;
    this.wordGate = 0;
  }

  private send(message: string): void {
    this.services.send(message);
  }

  private systemLine(text: string): void {
    const line = parseChatLine("0+" + text, SYSTEM_COLOUR);
    if (line) this.addChat(line);
  }
  private addChat(line: ChatLine): void {
    this.chat.push(line);
    this.chatAdded++;
    // The pane keeps the last few thousand lines.
    if (this.chat.length > 5000) this.chat.splice(0, 500);
  }
  private cue(cue: Cue): void {
    if (this.options.sounds) this.services.cue(cue);
  }

  private readonly handlers: Record<string, (rest: string) => void> = {
    CMD_sendlogininfo: (r) => this.sendloginfo(r),
    CMD_chat: (r) => this.chatrecieved(r),
    CMD_action: (r) => this.chatrecieved(r),
    CMD_newplayerinfo: (r) => this.newplayerinfo(r),
    CMD_havewrongversion: (r) => this.systemLine(`${r} has a different version of the game then you.`),
    CMD_wrongversion: () => this.systemLine("You have a differnt version of the game then the host."),
    CMD_existingplayers: (r) => this.newplayerinfo(r),
    CMD_playerdisconnected: (r) => this.playerdisconnected(r),
    CMD_startgame: (r) => this.startthegame(r),
    CMD_winner: (r) => this.winner(r),
    CMD_full: () => {
      this.phase = "full";
    },
    CMD_playasound: (r) => this.playasound(r),
    CMD_startround: (r) => this.startround(r),
    CMD_thecards: (r) => this.thecards(read.cards(r)),
    CMD_pscore: (r) => this.pscore(r),
    CMD_theword: (r) => this.theword(r),
    CMD_rejected: (r) => this.rejected(r),
    CMD_discard: (r) => this.discardResult(r),
    CMD_endround: (r) => this.endround(r),
    CMD_tiegame: () => this.systemLine("Tie Game so playing another round."),
    CMD_gamestats: (r) => this.gamestats(r),
  };

  private sendloginfo(rest: string): void {
    const n = read.conn(rest);
    this.own = n;
    this.loggedIn = true;
    this.phase = "playing";
    this.send(build.logininfo(n, this.loginName));
  }

  private newplayerinfo(rest: string): void {
    const { conn: n, text: name } = read.connText(rest);
    if (n === this.own) this.systemLine("You are Connected.");
    else this.systemLine(`${name} is Connected.`);
    if (isSeat(n)) {
      const seat = this.seat(n);
      seat.name = name;
      seat.heading = `${name} [0]`;
    } else {
      this.spies = this.spies.filter((s) => s.conn !== n);
      this.spies.push({ conn: n, name });
      this.spies.sort((a, b) => a.conn - b.conn);
      this.systemLine(n === this.own ? "You are spying." : `${name} is spying.`);
    }
    this.cue("entered");
  }

  private playerdisconnected(rest: string): void {
    const { conn: n, text: name } = read.connText(rest);
    if (isSeat(n)) {
      const seat = this.seat(n);
      if (seat.name !== WAITING) this.systemLine(`${seat.name} disconnected.`);
      seat.name = WAITING;
      seat.heading = `${WAITING} [0]`;
      return;
    }
    const at = this.spies.findIndex((s) => s.conn === n && s.name === name);
    if (at >= 0) {
      this.systemLine(`${name} has left.`);
      this.spies.splice(at, 1);
    }
  }

  private chatrecieved(rest: string): void {
    const line = chatReceived(rest);
    if (line) this.addChat(line);
  }

  private playasound(rest: string): void {
    const { conn, sound } = read.playASound(rest);
    const m = /^wave([0-9]+)$/i.exec(sound);
    const number = m ? Number(m[1]) : 0;
    if (number < 1 || number > CHATTER_SOUNDS.length) return;
    if (this.options.chatterSounds) {
      this.services.chatter(number);
      return;
    }
    if (!isSeat(conn)) return;
    this.systemLine(`${this.seat(conn).name}: <Chatter Sound> ${CHATTER_SOUNDS[number - 1]}`);
  }

  // ---- a game and its rounds ----

  private emptyAllPiles(): void {
    this.cards.fill(0);
    this.inWordFlags.fill(false);
    this.discardShown.fill(false);
  }

  private startthegame(rest: string): void {
    const g = read.startGame(rest);
    this.discardQuestion = false;
    this.playedWordsShown = false;
    this.winnerShown = false;
    this.wordGate = 0;
    for (const seat of this.seats) {
      seat.total = 0;
      seat.last = "";
    }
    this.playToScoreText = `Play to score: ${g.target}`;
    this.timePerTurnText = `Time per turn: ${g.seconds}`;
    this.timePerTurn = g.seconds;
    this.gameRunning = true;
    this.pauseLeft = 0;
    this.systemLine(`${g.name} has started a game.`);
    this.emptyAllPiles();
  }

  thecards(cards: CardItem[]): void {
    for (const item of cards) {
      if (!isPile(item.pile)) continue;
      this.cards[item.pile - 1] = item.card;
      this.inWordFlags[item.pile - 1] = false;
      this.discardShown[item.pile - 1] = true;
    }
  }

  private startround(rest: string): void {
    const round = read.startRound(rest);
    this.discardQuestion = false;
    this.playedWordsShown = false;
    this.roundText = `Round: ${round}`;
    this.roundCards = [...this.cards];
    this.suggestion = "";
    this.suggestionWanted = null;
    this.gameRunning = true;
    this.pauseLeft = 0;
    for (const seat of this.seats) {
      seat.roundPoints = 0;
      seat.last = "";
    }
    this.wordText = "";
    this.wordPiles = [];
    if (!this.ownSeat()) {
      this.playingSeat = 0;
      this.theWord = "";
      this.status = "";
    } else {
      this.playingSeat = this.own;
      this.theWord = "Find a word!";
      this.status = "Your Turn.";
      this.wordGate = 1;
      this.cue(this.options.newTurnSound ? "turnnew" : "turn");
    }
    this.timeLeft = this.timePerTurn;
    this.turnClockOn = true;
  }

  // One second of the turn clock (and of the pause after a round).
  tick(): void {
    if (this.pauseLeft > 0) this.pauseLeft--;
    if (!this.turnClockOn) return;
    this.timeLeft--;
    if (this.timeLeft < 1) {
      this.timeLeft = 0;
      this.wordButtons = false;
      this.wordGate = 0;
      this.wordPiles = [];
      return;
    }
    if (this.timeLeft === 20 || this.timeLeft === 15 || this.timeLeft <= 10) this.cue("timer");
  }

  // ---- building a word ----

  addPile(pile: number): void {
    if (!isPile(pile)) return;
    this.discardQuestion = false;
    if (!this.live() || this.inWord(pile) || this.wordGate !== 1) return;
    this.wordText += cardFace(this.card(pile));
    this.wordPiles.push(pile);
    this.inWordFlags[pile - 1] = true;
    this.wordButtons = true;
    this.discardShown[pile - 1] = false;
    this.cue("place");
  }

  submitWord(): void {
    if (this.wordPiles.length === 0 || !this.live()) return;
    this.wordButtons = false;
    this.wordGate = 0;
    if (this.loggedIn) this.send(build.sendword(this.own, this.wordPiles));
    this.wordPiles = [];
    this.wordText = "";
  }

  clearWord(): void {
    if (!this.live()) return;
    this.wordButtons = false;
    this.wordGate = 1;
    this.wordPiles = [];
    this.wordText = "";
    for (let p = 1; p <= PILE_COUNT; ++p) {
      if (this.inWord(p)) {
        this.inWordFlags[p - 1] = false;
        this.discardShown[p - 1] = true;
      }
    }
    this.cue("clear");
  }

  clearLast(): void {
    const last = this.wordPiles.pop();
    if (last === undefined) return;
    this.wordText = this.wordPiles.map((p) => cardFace(this.card(p))).join("");
    this.inWordFlags[last - 1] = false;
    this.discardShown[last - 1] = true;
  }

  // A click on a pile's discard control.
  discard(pile: number): void {
    if (!isPile(pile) || this.inWord(pile) || !this.discardShown[pile - 1]) return;
    this.pendingDiscard = pile;
    if (this.options.warnDiscard) {
      this.discardQuestion = true;
      return;
    }
    if (this.loggedIn) this.send(build.discard(this.own, pile));
    this.pendingDiscard = 0;
  }

  answerDiscard(yes: boolean): void {
    if (yes && this.pendingDiscard && this.loggedIn) this.send(build.discard(this.own, this.pendingDiscard));
    this.discardQuestion = false;
    this.pendingDiscard = 0;
  }
  discardQuestionShown(): boolean {
    return this.discardQuestion;
  }

  // ---- results ----

  private theword(rest: string): void {
    const w = read.theWord(rest);
    if (w.seat !== this.own) return;
    this.wordPiles = [];
    const word = w.word.toUpperCase();
    this.theWord = w.bonus <= 0
      ? `You made: ${word} for ${w.points} points.`
      : `BONUS! You made: ${word} for ${w.points} points. BONUS!`;
    this.thecards(w.cards);
    this.cue("goodword");
    this.wordGate = 1;
  }

  private rejected(rest: string): void {
    const r = read.rejected(rest);
    if (r.seat !== this.own) return;
    this.theWord = `${r.word.toUpperCase()} in not a valid word.`;
    this.thecards(r.cards);
    this.wordGate = 1;
    this.cue("badword");
  }

  private pscore(rest: string): void {
    const p = read.pscore(rest);
    if (!isSeat(p.seat)) return;
    const seat = this.seat(p.seat);
    seat.total = p.total;
    seat.roundPoints = p.roundPoints;
    seat.last = `+${p.points}`;
  }

  private discardResult(rest: string): void {
    const d = read.discard(rest);
    if (d.seat !== this.own || !isSeat(d.seat)) return;
    const seat = this.seat(d.seat);
    seat.total = d.total;
    seat.roundPoints = d.roundPoints;
    seat.last = `-${DISCARD_PENALTY}`;
    this.theWord = "You discarded a card and lost 5 points.";
    if (d.card) this.thecards([d.card]);
    this.cue("shift");
  }

  private endround(rest: string): void {
    const e = read.endRound(rest);
    if (this.ownSeat()) this.theWord = `You Scored ${e.ownRoundPoints} points this round.`;
    this.status = "The Round is Over. One Moment Please..";
    this.wordButtons = false;
    this.wordGate = 0;
    this.wordText = "";
    this.discardQuestion = false;
    this.emptyAllPiles();
    for (const summary of e.seats) {
      if (!isSeat(summary.seat)) continue;
      const seat = this.seat(summary.seat);
      seat.total = summary.total;
      seat.roundPoints = summary.roundPoints;
      const list: string[] = [];
      const words = parseWordLog(summary.wordLog);
      if (words && words.length > 0) {
        for (const w of words) addtolist(list, w.word, w.points);
        seat.heading = ` [${words.length}] ${seat.name}`;
        list.unshift(` -${DISCARD_PENALTY * summary.discards} for discards`);
      }
      list.unshift(`This Turn: ${summary.roundPoints}`);
      seat.words = list;
    }
    this.pauseLeft = ROUND_PAUSE_SECONDS;
    this.playedWordsShown = true;
    if (this.ownSeat() && this.roundCards) this.suggestionWanted = this.roundCards;
    this.roundCards = null;
    this.cue("roundover");
  }

  private winner(rest: string): void {
    const name = read.winner(rest);
    this.wordButtons = false;
    this.wordGate = 0;
    this.cue("winner");
    const won = this.ownSeat() && this.seat(this.own).name === name;
    this.winnerText = won ? "You have Won the Game!" : `${name} has Won the Game!`;
    this.status = "Game Over!";
    this.systemLine(this.winnerText);
    this.winnerShown = true;
    this.gameRunning = false;
    this.pauseLeft = 0;
    if (!this.ownSeat()) return;
    this.cue("gameover");
  }

  private gamestats(rest: string): void {
    const s = read.gameStats(rest);
    if (s.conn !== this.own) return;
    this.playToScoreText = `Play to Score: ${s.target}`;
    this.timePerTurn = s.seconds;
    this.timePerTurnText = `Time Per Turn: ${s.seconds}`;
    this.timeLeft = s.countdown - ROUND_EXTRA_SECONDS;
    s.totals.forEach((total, i) => (this.seats[i].total = total));
    this.gameRunning = true;
    if (this.timeLeft > 5 && this.ownSeat()) {
      this.playingSeat = this.own;
      this.turnClockOn = true;
      this.wordText = "";
      this.wordGate = 1;
    }
  }

  // The best word the round's first cards allowed, once found.
  setSuggestion(word: string, points: number): void {
    this.suggestionWanted = null;
    this.suggestion = `Best word these cards allowed: ${word} for ${points} points (a suggestion)`;
  }

  // ---- what the player says ----

  sendChat(typed: string): boolean {
    if (!this.loggedIn) return false;
    const m = entryMessage(cleanChatText(typed));
    if (m) {
      const colour = colourToText(this.options.chatColour);
      this.send(m.kind === "chat" ? build.chat(this.own, m.text, colour) : build.action(this.own, m.text, colour));
    }
    return true;
  }

  // A phrase button; one phrase every 2 seconds. Returns whether it went.
  sendPhrase(index: number, now: number): boolean {
    const phrase = PHRASES[index];
    if (phrase === undefined || now < this.phraseLockedUntil || !this.loggedIn) return false;
    const colour = colourToText(this.options.chatColour);
    this.send(phrase.startsWith("/me ") ? build.action(this.own, phrase.slice(4), colour)
                                        : build.phrase(this.own, phrase, colour));
    this.phraseLockedUntil = now + 2000;
    return true;
  }

  sendChatterSound(sound: number): void {
    if (sound >= 1 && sound <= CHATTER_SOUNDS.length && this.ownSeat() && this.loggedIn)
      this.send(build.playasound(this.own, sound));
  }

  startGame(target: number, seconds: number): void {
    if (this.mayStartGames()) this.send(build.startgame(this.loginName, target, seconds));
  }
}

// Inserts "points: word" before the first line whose leading number is
// less than the points (a line without one counts as 100).
export function addtolist(list: string[], word: string, points: number): void {
  const line = `${points}: ${word}`;
  const at = list.findIndex((l) => {
    const lead = l.slice(0, Math.max(0, l.indexOf(":")));
    const value = /^-?[0-9]+$/.test(lead.trim()) ? Number(lead) : 100;
    return value < points;
  });
  if (at < 0) list.push(line);
  else list.splice(at, 0, line);
}
