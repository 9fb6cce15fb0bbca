import assert from "node:assert/strict";
import { test } from "node:test";
import { Key, KeyboardBoard, KeyboardPlay } from "../src/keyboard";

// A board that records what the keyboard did with it.
function board(cards: number[]) {
  const word: number[] = [];
  const log: string[] = [];
  let question = false;
  const b: KeyboardBoard = {
    canPick: () => true,
    card: (p) => cards[p - 1],
    inWord: (p) => word.includes(p),
    addPile: (p) => {
      if (!word.includes(p)) word.push(p);
    },
    clearLast: () => void word.pop(),
    clearWord: () => void word.splice(0),
    submitWord: () => log.push("submit " + word.splice(0).join(",")),
    discard: (p) => {
      log.push("discard? " + p);
      question = true;
    },
    discardQuestionShown: () => question,
    answerDiscard: (yes) => {
      log.push(yes ? "yes" : "no");
      question = false;
    },
  };
  const kb = new KeyboardPlay(b);
  const refused: string[] = [];
  kb.onRefused = (l) => refused.push(l);
  const type = (keys: string) => {
    for (const k of keys.split(" ")) {
      const named = ["Enter", "Backspace", "Escape", "Delete"].includes(k);
      kb.press((named ? k : "Other") as Key, named ? "" : k);
    }
  };
  return { kb, word, log, refused, type };
}

// Piles: 1 T, 2 Qu, 3 E, 4 S, 5 ING, 6 I, 7 R, 8 E.
const CARDS = [20, 17, 5, 19, 46, 9, 18, 5];

test("letters take the leftmost pile with that face, top before bottom", () => {
  const t = board(CARDS);
  t.type("t e");
  assert.deepEqual(t.word, [1, 3]);
  t.type("e");
  assert.deepEqual(t.word, [1, 3, 8]);
});

test("a letter group waits for its next letter and falls back to single letters", () => {
  const cases: Array<[string, number[], string]> = [
    ["q u i t", [2, 6, 1], ""], // Qu, I, T
    ["s t i n g", [4, 1, 5], ""], // S, T, ING
    ["i n", [6], "N"], // I waits for ING; N continues nothing alone
    ["i r", [6, 7], ""], // I was waiting for ING; R takes I and R
    ["q t", [1], "Q"], // no Q card of its own
    ["x", [], "X"],
  ];
  for (const [keys, piles, refused] of cases) {
    const t = board(CARDS);
    t.type(keys);
    if (t.kb.pending) t.type("Enter");
    const got = t.log.length ? t.log[0].replace("submit ", "").split(",").filter(Boolean).map(Number) : t.word;
    assert.deepEqual(got, piles, keys);
    assert.equal(t.refused.join(""), refused, keys);
  }
});

test("digits, Backspace, Escape, Enter and Delete", () => {
  const t = board(CARDS);
  t.type("7 3 1 Backspace");
  assert.deepEqual(t.word, [7, 3]);
  t.type("i Backspace");
  assert.equal(t.kb.pending, "");
  assert.deepEqual(t.word, [7, 3]);
  t.type("Escape");
  assert.deepEqual(t.word, []);
  t.type("1 6 Enter");
  assert.deepEqual(t.log, ["submit 1,6"]);
  t.type("Delete");
  assert.match(t.kb.hint(), /Discard which pile/);
  t.type("4 n Delete 2 Enter");
  assert.deepEqual(t.log.slice(1), ["discard? 4", "no", "discard? 2", "yes"]);
  t.type("Delete 9");
  assert.equal(t.kb.discardArmed, false, "a key that is no pile takes the prompt away");
});
