// Chat lines: the origin, "+" and the body; a name part up to the body's
// first ":", then text cut into words, where words holding "http://",
// "https://" or "www." are links and ":)#" with two digits is a smiley.
// Everything here is plain data: the page shows it as text, never as HTML.

// Colours are 0x00BBGGRR values.
export type Colour = number;
export const SYSTEM_COLOUR: Colour = 0xff0000; // blue
export const FALLBACK_COLOUR: Colour = 0x0000ff; // red
export const SMILEY_COUNT = 18;

const NAMED: Array<[string, Colour]> = [
  ["clBlack", 0x000000], ["clMaroon", 0x000080], ["clGreen", 0x008000], ["clOlive", 0x008080],
  ["clNavy", 0x800000], ["clPurple", 0x800080], ["clTeal", 0x808000], ["clGray", 0x808080],
  ["clSilver", 0xc0c0c0], ["clRed", 0x0000ff], ["clLime", 0x00ff00], ["clYellow", 0x00ffff],
  ["clBlue", 0xff0000], ["clFuchsia", 0xff00ff], ["clAqua", 0xffff00], ["clWhite", 0xffffff],
];

// A colour name in any letter case, or "$" and one to eight hexadecimal
// digits; null for anything else.
export function colourFromText(text: string): Colour | null {
  const lower = text.toLowerCase();
  for (const [name, value] of NAMED) if (name.toLowerCase() === lower) return value;
  if (/^\$[0-9a-fA-F]{1,8}$/.test(text)) return parseInt(text.slice(1), 16) & 0xffffff;
  return null;
}

export function colourToText(colour: Colour): string {
  for (const [name, value] of NAMED) if (value === colour) return name;
  return "$" + colour.toString(16).toUpperCase().padStart(8, "0");
}

export function colourFromCss(hex: string): Colour {
  const m = /^#([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})$/i.exec(hex);
  if (!m) return 0;
  return parseInt(m[1], 16) | (parseInt(m[2], 16) << 8) | (parseInt(m[3], 16) << 16);
}
function rgb(colour: Colour): [number, number, number] {
  return [colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff];
}
export function colourToCss(colour: Colour): string {
  return "#" + rgb(colour).map((c) => c.toString(16).padStart(2, "0")).join("");
}

function luminance([r, g, b]: number[]): number {
  const lin = (c: number): number => {
    const s = c / 255;
    return s <= 0.03928 ? s / 12.92 : Math.pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(r) + 0.7152 * lin(g) + 0.0722 * lin(b);
}
export function contrastRatio(a: Colour, b: Colour): number {
  const la = luminance(rgb(a));
  const lb = luminance(rgb(b));
  return (Math.max(la, lb) + 0.05) / (Math.min(la, lb) + 0.05);
}

// The colour a line is drawn in on a background: the sender's colour, moved
// towards black (or white, on a dark background) until it can be read at
// the 4.5:1 contrast of ordinary text.
export function readableColour(colour: Colour, background: Colour): Colour {
  const dark = luminance(rgb(background)) < 0.5;
  const target = dark ? [255, 255, 255] : [0, 0, 0];
  const [r, g, b] = rgb(colour);
  for (let t = 0; t <= 1.0001; t += 0.05) {
    const mix = [r, g, b].map((c, i) => Math.round(c + (target[i] - c) * t));
    const candidate = mix[0] | (mix[1] << 8) | (mix[2] << 16);
    if (contrastRatio(candidate, background) >= 4.5) return candidate;
  }
  return dark ? 0xffffff : 0x000000;
}

export type Piece =
  | { kind: "text"; text: string }
  | { kind: "link"; text: string; href: string }
  | { kind: "smiley"; image: number };

export interface ChatLine {
  origin: number; // 0 for the client's own notices, else the sender's connection
  colour: Colour;
  name: string; // the body up to and including its first ":"
  pieces: Piece[];
}

// The address a link word opens, or null unless it is an http or https
// address with a host.
export function linkTarget(word: string): string | null {
  let address = word.trim();
  if (/^www\./i.test(address)) address = "http://" + address;
  let url: URL;
  try {
    url = new URL(address);
  } catch {
    return null;
  }
  if ((url.protocol !== "http:" && url.protocol !== "https:") || url.hostname === "") return null;
  return url.href;
}

function isLinkWord(word: string): boolean {
  const lower = word.toLowerCase();
  return lower.includes("http://") || lower.includes("https://") || lower.includes("www.");
}

export function smileyImage(code: string): number {
  if (!/^[0-9]{2}$/.test(code)) return 0;
  const n = Number(code);
  return n >= 10 && n <= 27 ? n - 10 : 0;
}

// Text cut into words after every space; links become link pieces, the
// other words join up into text pieces.
function addWords(pieces: Piece[], text: string): void {
  if (text === "") return;
  const words = text.match(/[^ ]* ?/g) ?? [];
  for (const word of words) {
    if (word === "") continue;
    const href = isLinkWord(word) ? linkTarget(word) : null;
    const last = pieces[pieces.length - 1];
    if (href !== null) pieces.push({ kind: "link", text: word, href });
    else if (last && last.kind === "text") last.text += word;
    else pieces.push({ kind: "text", text: word });
  }
}

// One chat line as text, links and smilies; null when the origin is not a
// number from 0 to 9.
export function parseChatLine(line: string, colour: Colour): ChatLine | null {
  const plus = line.indexOf("+");
  if (plus < 0) return null;
  const originText = line.slice(0, plus);
  if (!/^[0-9]$/.test(originText)) return null;
  const origin = Number(originText);
  let body = line.slice(plus + 1);
  let name = "";
  const colon = body.indexOf(":");
  if (colon >= 0) {
    name = body.slice(0, colon + 1);
    body = body.slice(colon + 1);
  }
  const pieces: Piece[] = [];
  for (;;) {
    const at = body.indexOf(":)#");
    if (at < 0) break;
    addWords(pieces, body.slice(0, at));
    pieces.push({ kind: "smiley", image: smileyImage(body.slice(at + 3, at + 5)) });
    body = body.slice(at + 5);
  }
  addWords(pieces, body);
  return { origin, colour, name, pieces };
}

// A relayed CMD_chat or CMD_action: the line, "|" and the colour text; the
// last "|" separates the colour, and a colour that does not read is red.
export function chatReceived(fields: string): ChatLine | null {
  const bar = fields.lastIndexOf("|");
  if (bar < 0) return parseChatLine(fields, FALLBACK_COLOUR);
  const colour = colourFromText(fields.slice(bar + 1));
  return parseChatLine(fields.slice(0, bar), colour ?? FALLBACK_COLOUR);
}

export const PHRASES = [
  "Way To Go!", "Good One!", "Nice Try!", "Excellent!", "Brilliant!",
  "Wow, WTG!", "Thanks!", "Way To Go Teamie!", "Good Game Everyone!",
];

export const CHATTER_SOUNDS = [
  "Doh", "Cough", "Hello", "Thank You", "Where have you been?", "Snoring", "Sneezing",
  "Sorry", "Welcome", "Yeehaa", "Yippee", "Oh No", "Applause", "Honk", "Oooh",
  "Razzberry", "Cheer", "Woman Laughing", "Man Laughing", "Crying",
];

// What the chat entry sends for a typed text: a chat, an action for
// "/me " and what follows it, nothing for other texts beginning with "/".
export function entryMessage(text: string): { kind: "chat" | "action"; text: string } | null {
  if (text === "") return null;
  if (!text.startsWith("/")) return { kind: "chat", text };
  if (text.startsWith("/me")) return { kind: "action", text: text.slice(4) };
  return null;
}
