// The game's messages as the browser reads and writes them. A message is
// the text "CMD_" + name, then fields each introduced by "+"; on the
// WebSocket every message is one binary frame holding its bytes (UTF-8 text,
// never the terminator byte 0xFF).

export const VERSION_TEXT = "1.2.0";
export const SEAT_COUNT = 6;
export const CONNECTION_COUNT = 9;
export const PILE_COUNT = 8;
export const DISCARD_PENALTY = 5;
export const ROUND_EXTRA_SECONDS = 4;
export const ROUND_PAUSE_SECONDS = 15;
// The longest chat text and player name the host keeps, in UTF-8 bytes.
export const MAX_CHAT_TEXT = 1000;
export const MAX_NAME_BYTES = 100;

export interface OptionRange {
  minimum: number;
  maximum: number;
  step: number;
  initial: number;
}
export const PLAY_TO_SCORE: OptionRange = { minimum: 300, maximum: 20000, step: 100, initial: 500 };
export const TIME_PER_TURN: OptionRange = { minimum: 45, maximum: 120, step: 10, initial: 120 };

// The position an up-down reaches from `from` after `steps` steps, stopping
// at the bounds: from 45 upwards 55, 65 ... 115, then 120.
export function stepFrom(range: OptionRange, from: number, steps: number): number {
  const to = from + steps * range.step;
  return Math.min(range.maximum, Math.max(range.minimum, to));
}
export function clampOption(range: OptionRange, value: number): number {
  if (!Number.isFinite(value)) return range.initial;
  return Math.min(range.maximum, Math.max(range.minimum, Math.round(value)));
}

export const isSeat = (n: number): boolean => n >= 1 && n <= SEAT_COUNT;
export const isSpy = (n: number): boolean => n > SEAT_COUNT && n <= CONNECTION_COUNT;
export const isPile = (n: number): boolean => Number.isInteger(n) && n >= 1 && n <= PILE_COUNT;

// The faces as the host spells them ("QU" for card 17).
export const HOST_FACES: readonly string[] = [
  "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
  "N", "O", "P", "QU", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
  "CH", "CK", "AND", "WH", "DE", "LD", "ST", "SH", "BR", "TH", "OO", "EE", "RR",
  "EST", "LE", "GHT", "ED", "ER", "IES", "ING", "ION", "LY", "RE", "UN",
];
export const QU_CARD = 17;

// The face the board shows: card 17 reads "Qu"; no card gives "".
export function cardFace(card: number): string {
  if (!Number.isInteger(card) || card < 1 || card > HOST_FACES.length) return "";
  return card === QU_CARD ? "Qu" : HOST_FACES[card - 1];
}

// Points for a word of so many letters (without the QU bonus).
export function wordScore(letters: number): number {
  const table: Record<number, number> = { 2: 5, 3: 10, 4: 15, 5: 20, 6: 25, 7: 30, 8: 40, 9: 60, 10: 80 };
  return table[letters] ?? 100;
}

const encoder = new TextEncoder();
const decoder = new TextDecoder("utf-8", { fatal: false });

export function encode(text: string): Uint8Array {
  return encoder.encode(text);
}
// Bytes that are not UTF-8 (a desktop player's 8-bit text) become
// replacement characters.
export function decode(bytes: Uint8Array | ArrayBuffer): string {
  return decoder.decode(bytes);
}
export function utf8Length(text: string): number {
  return encoder.encode(text).length;
}
// The longest start of text whose UTF-8 takes at most maxBytes bytes; never
// cuts a character in two.
export function cutToUtf8(text: string, maxBytes: number): string {
  let bytes = 0;
  let end = 0;
  for (const ch of text) {
    const n = utf8Length(ch);
    if (bytes + n > maxBytes) break;
    bytes += n;
    end += ch.length;
  }
  return text.slice(0, end);
}

// A player name as it goes on the wire: no "+" (it would shift the fields
// of the start of a game), no control characters, trimmed, at most the
// bytes the host keeps.
export function cleanPlayerName(raw: string): string {
  // eslint-disable-next-line no-control-regex
  const name = raw.replace(/[+\u0000-\u001f\u007f]/g, "").trim();
  return cutToUtf8(name, MAX_NAME_BYTES).trim();
}

// A chat text as it goes on the wire: no line breaks, at most the bytes the
// host relays.
export function cleanChatText(raw: string): string {
  // eslint-disable-next-line no-control-regex
  return cutToUtf8(raw.replace(/[\u0000-\u001f\u007f]/g, " "), MAX_CHAT_TEXT);
}

export class FieldError extends Error {}

export function parseNumber(text: string): number {
  if (!/^-?[0-9]+$/.test(text)) throw new FieldError(`not a number: "${text}"`);
  const value = Number(text);
  if (value < -2147483648 || value > 2147483647) throw new FieldError(`out of range: "${text}"`);
  return value;
}

// Reads fields from the left, cutting at each "+"; the last field is what
// remains.
export class Fields {
  private pos = 0;
  constructor(private readonly textValue: string) {}
  text(): string {
    const plus = this.textValue.indexOf("+", this.pos);
    const end = plus < 0 ? this.textValue.length : plus;
    const field = this.textValue.slice(this.pos, end);
    this.pos = plus < 0 ? this.textValue.length : plus + 1;
    return field;
  }
  number(): number {
    return parseNumber(this.text());
  }
  rest(): string {
    const rest = this.textValue.slice(this.pos);
    this.pos = this.textValue.length;
    return rest;
  }
  atEnd(): boolean {
    return this.pos >= this.textValue.length;
  }
}

// A message split into its command name and the text after the name's "+".
// A message without "+" has no name.
export function splitMessage(text: string): { name: string; rest: string } {
  const plus = text.indexOf("+");
  if (plus < 0) return { name: "", rest: "" };
  return { name: text.slice(0, plus), rest: text.slice(plus + 1) };
}

export interface CardItem {
  pile: number;
  card: number;
  flag: boolean;
}

// A card list: items of pile, card and flag.
export function parseCardList(f: Fields): CardItem[] {
  const cards: CardItem[] = [];
  while (!f.atEnd()) {
    const pile = f.number();
    const card = f.number();
    const flag = f.text() === "t";
    cards.push({ pile, card, flag });
  }
  return cards;
}

export interface SeatSummary {
  seat: number;
  total: number;
  roundPoints: number;
  discards: number;
  wordLog: string;
}

export interface LoggedWord {
  points: number;
  word: string;
}

// "/25-STRING/10-ANT": the words of a round in the order they were made.
// Returns null when an entry does not read.
export function parseWordLog(log: string): LoggedWord[] | null {
  const words: LoggedWord[] = [];
  const text = log.startsWith("/") ? log.slice(1) : log;
  if (text === "") return words;
  for (const entry of text.split("/")) {
    const dash = entry.indexOf("-", entry.startsWith("-") ? 1 : 0);
    if (dash < 0 || !/^-?[0-9]+$/.test(entry.slice(0, dash))) return null;
    words.push({ points: Number(entry.slice(0, dash)), word: entry.slice(dash + 1) });
  }
  return words;
}

// Readers: each takes the text after the command name's "+".
export const read = {
  conn(rest: string): number {
    return new Fields(rest).number();
  },
  connText(rest: string): { conn: number; text: string } {
    const f = new Fields(rest);
    const conn = f.number();
    return { conn, text: f.rest() };
  },
  startGame(rest: string): { name: string; target: number; seconds: number } {
    const f = new Fields(rest);
    const name = f.text();
    const target = f.number();
    const seconds = f.number();
    return { name, target, seconds };
  },
  gameStats(rest: string): { conn: number; target: number; seconds: number; countdown: number; totals: number[] } {
    const f = new Fields(rest);
    const conn = f.number();
    const target = f.number();
    const seconds = f.number();
    const countdown = f.number();
    const totals = new Array<number>(SEAT_COUNT).fill(0);
    while (!f.atEnd()) {
      const seat = f.number();
      const total = f.number();
      if (isSeat(seat)) totals[seat - 1] = total;
    }
    return { conn, target, seconds, countdown, totals };
  },
  cards(rest: string): CardItem[] {
    return parseCardList(new Fields(rest));
  },
  startRound(rest: string): number {
    return new Fields(rest).number();
  },
  rejected(rest: string): { seat: number; word: string; cards: CardItem[] } {
    const f = new Fields(rest);
    const seat = f.number();
    const word = f.text();
    return { seat, word, cards: parseCardList(f) };
  },
  theWord(rest: string): { seat: number; word: string; points: number; bonus: number; cards: CardItem[] } {
    const f = new Fields(rest);
    const seat = f.number();
    const word = f.text();
    const points = f.number();
    const bonus = f.number();
    return { seat, word, points, bonus, cards: parseCardList(f) };
  },
  pscore(rest: string): { seat: number; total: number; roundPoints: number; points: number } {
    const f = new Fields(rest);
    const seat = f.number();
    const total = f.number();
    const roundPoints = f.number();
    const points = f.number();
    return { seat, total, roundPoints, points };
  },
  discard(rest: string): { seat: number; total: number; roundPoints: number; card: CardItem | null } {
    const f = new Fields(rest);
    const seat = f.number();
    const total = f.number();
    const roundPoints = f.number();
    const cards = parseCardList(f);
    return { seat, total, roundPoints, card: cards[0] ?? null };
  },
  endRound(rest: string): { ownRoundPoints: number; seats: SeatSummary[] } {
    const f = new Fields(rest);
    const ownRoundPoints = f.number();
    const seats: SeatSummary[] = [];
    while (!f.atEnd()) {
      const seat = f.number();
      const total = f.number();
      const roundPoints = f.number();
      const discards = f.number();
      const wordLog = f.text();
      seats.push({ seat, total, roundPoints, discards, wordLog });
    }
    return { ownRoundPoints, seats };
  },
  winner(rest: string): string {
    return new Fields(rest).text();
  },
  playASound(rest: string): { conn: number; sound: string } {
    const f = new Fields(rest);
    const conn = f.number();
    return { conn, sound: f.text() };
  },
};

// Builders of what a client sends.
export const build = {
  logininfo: (conn: number, name: string): string => `CMD_logininfo+${conn}+${VERSION_TEXT}+${name}`,
  chat: (conn: number, text: string, colour: string): string => `CMD_chat+${conn}+${text}|${colour}`,
  action: (conn: number, text: string, colour: string): string => `CMD_action+${conn}+${text}|${colour}`,
  phrase: (conn: number, text: string, colour: string): string => `CMD_action+${conn}+says: ${text}|${colour}`,
  playasound: (conn: number, sound: number): string => `CMD_playasound+${conn}+wave${sound}+`,
  startgame: (name: string, target: number, seconds: number): string => `CMD_startgame+${name}+${target}+${seconds}+`,
  sendword: (seat: number, piles: number[]): string => `CMD_sendword+${seat}${piles.map((p) => `+${p}`).join("")}`,
  discard: (seat: number, pile: number): string => `CMD_discard+${seat}+${pile}+`,
};
