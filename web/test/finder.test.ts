import assert from "node:assert/strict";
import { test } from "node:test";
import { bestWord } from "../src/finder";

const WORDS = ["AT", "QUIT", "QUITE", "TIE", "TIES", "STING", "TINGE", "EAT", "TEA", "ATE", "SEAT", "EASTING", "IT"];

test("the best word the cards allow, scored as the host scores it", () => {
  const cases: Array<[string, number[], string | null, number]> = [
    // Q U I T E as single cards, and the QU card: its bonus wins.
    ["QU card", [17, 9, 20, 5, 0, 0, 0, 0], "QUITE", 70],
    ["the highest score", [5, 1, 20, 19, 0, 0, 0, 0], "SEAT", 15],
    ["letter groups spell several letters", [33, 46, 5, 1, 0, 0, 0, 0], "EASTING", 30],
    ["each pile once", [1, 20, 0, 0, 0, 0, 0, 0], "AT", 5],
    ["nothing", [26, 26, 0, 0, 0, 0, 0, 0], null, 0],
  ];
  for (const [what, cards, word, points] of cases) {
    const best = bestWord(WORDS, cards);
    assert.deepEqual(best && [best.word, best.points], word && [word, points], what);
  }
  // EAT, TEA and ATE are worth the same: the first in the alphabet.
  assert.equal(bestWord(["TEA", "EAT", "ATE"], [5, 1, 20])?.word, "ATE");
});
