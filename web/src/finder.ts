// The best word a round's first cards allowed: every pile used at most once,
// its card spelled with the host's faces ("QU", "ST", "ING"...), scored as
// the host scores it. Shown with the round's results as a suggestion.

import { HOST_FACES, PILE_COUNT, QU_CARD, wordScore } from "./protocol";

export const QU_BONUS = 50;

export interface Suggestion {
  word: string;
  points: number;
}

// Whether a is a better suggestion than b: more points, then longer, then
// earlier in the alphabet.
function better(a: Suggestion, b: Suggestion): boolean {
  if (a.points !== b.points) return a.points > b.points;
  if (a.word.length !== b.word.length) return a.word.length > b.word.length;
  return a.word < b.word;
}

// cards: the exposed card of piles 1..8 (0 for none). words: upper case.
export function bestWord(words: readonly string[], cards: readonly number[]): Suggestion | null {
  const faces: Array<{ face: string; qu: boolean }> = [];
  for (let p = 0; p < PILE_COUNT; ++p) {
    const card = cards[p] ?? 0;
    if (card >= 1 && card <= HOST_FACES.length) faces.push({ face: HOST_FACES[card - 1], qu: card === QU_CARD });
  }
  const starts = new Set(faces.map((f) => f.face[0]));
  const used = new Array<boolean>(faces.length).fill(false);
  // Whether the rest of the word can be spelled; returns 1 if the QU card
  // was needed, 0 if not, -1 if it cannot.
  const spell = (word: string, at: number): number => {
    if (at === word.length) return 0;
    let result = -1;
    for (let i = 0; i < faces.length && result < 1; ++i) {
      if (used[i] || !word.startsWith(faces[i].face, at)) continue;
      used[i] = true;
      const rest = spell(word, at + faces[i].face.length);
      used[i] = false;
      if (rest >= 0) result = Math.max(result, faces[i].qu ? 1 : rest);
    }
    return result;
  };
  let best: Suggestion | null = null;
  for (const word of words) {
    if (word.length < 2 || !starts.has(word[0])) continue;
    const qu = spell(word, 0);
    if (qu < 0) continue;
    const found = { word, points: wordScore(word.length) + (qu > 0 ? QU_BONUS : 0) };
    if (!best || better(found, best)) best = found;
  }
  return best;
}

// The word list the page fetches when it first needs it: one word a line,
// gzip-compressed by the build.
export async function loadWords(url: string): Promise<string[]> {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`${url}: ${response.status}`);
  let bytes = new Uint8Array(await response.arrayBuffer());
  if (bytes[0] === 0x1f && bytes[1] === 0x8b) {
    const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip"));
    bytes = new Uint8Array(await new Response(stream).arrayBuffer());
  }
  return new TextDecoder().decode(bytes).split("\n").filter((w) => w !== "");
}
