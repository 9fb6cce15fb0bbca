// Playing the board from the keyboard, with the desktop program's rule.
//
// Letters: each letter typed joins the letters waiting for a card. As soon
// as they spell the face of a card on the table, the first pile showing
// that face is taken. While a letter group on the table (Qu, ER, ING...)
// begins with the waiting letters, the card waits for the next letter: if
// it continues the group, the group is taken; if not, the waiting letters
// are taken as the longest faces they begin with, and the new letter starts
// afresh. Letters that no card on the table can spell are refused.
//
// Digits 1..8 take that pile directly. Backspace takes back the last
// waiting letter, or the last card of the word. Escape forgets the waiting
// letters and clears the word. Enter takes the waiting letters and sends
// the word. Delete, then a pile's number, discards that pile (with the
// discard question as usual; Y or Enter answers yes, N or Escape no).

import { cardFace, isPile, PILE_COUNT } from "./protocol";

// The board operations the keyboard uses: the same ones a click uses.
export interface KeyboardBoard {
  canPick(): boolean;
  card(pile: number): number;
  inWord(pile: number): boolean;
  addPile(pile: number): void;
  clearLast(): void;
  clearWord(): void;
  submitWord(): void;
  discard(pile: number): void;
  discardQuestionShown(): boolean;
  answerDiscard(yes: boolean): void;
}

export type Key = "Enter" | "Backspace" | "Escape" | "Delete" | "Other";

// The piles left to right, top to bottom within a column (the board shows
// piles 1..4 above 5..8).
export const SEARCH_ORDER: number[] = [1, 5, 2, 6, 3, 7, 4, 8];

export class KeyboardPlay {
  pending = "";
  discardArmed = false;
  onRefused: (letters: string) => void = () => {};

  constructor(private readonly board: KeyboardBoard) {}

  hint(): string {
    return this.discardArmed ? "Discard which pile? Type its number, 1 to 8." : "";
  }

  // Forgets waiting letters when the board can no longer take them (a new
  // round, a result, the clock at 0).
  boardChanged(): void {
    if (!this.board.canPick()) this.pending = "";
  }

  private faceOf(pile: number): string {
    return cardFace(this.board.card(pile)).toUpperCase();
  }
  private freePiles(): number[] {
    if (!this.board.canPick()) return [];
    return SEARCH_ORDER.filter((p) => p <= PILE_COUNT && !this.board.inWord(p) && this.faceOf(p) !== "");
  }
  private pileWithFace(face: string): number {
    return this.freePiles().find((p) => this.faceOf(p) === face) ?? 0;
  }
  private someFaceContinues(letters: string): boolean {
    return this.freePiles().some((p) => {
      const face = this.faceOf(p);
      return face.length > letters.length && face.startsWith(letters);
    });
  }

  private settle(): void {
    let rest = this.pending;
    let dropped = "";
    while (rest !== "") {
      let taken = 0;
      for (let length = rest.length; length > 0 && taken === 0; --length) {
        const pile = this.pileWithFace(rest.slice(0, length));
        if (pile) {
          this.board.addPile(pile);
          rest = rest.slice(length);
          taken = pile;
        }
      }
      if (taken === 0) {
        dropped += rest[0];
        rest = rest.slice(1);
      }
    }
    this.pending = "";
    if (dropped !== "") this.onRefused(dropped);
  }

  private typeLetter(letter: string): void {
    const letters = this.pending + letter;
    if (this.someFaceContinues(letters)) {
      this.pending = letters;
      return;
    }
    const pile = this.pileWithFace(letters);
    if (pile) {
      this.pending = "";
      this.board.addPile(pile);
      return;
    }
    if (this.pending === "") {
      this.onRefused(letter);
      return;
    }
    // The new letter does not go on with the waiting ones: they become
    // cards of their own, and the letter starts afresh.
    this.settle();
    this.typeLetter(letter);
  }

  // One key press: the key and the text it types. Returns whether the key
  // was used (a refused letter counts: it was meant for the board).
  press(key: Key, text = ""): boolean {
    if (this.board.discardQuestionShown()) {
      const answer = text.toUpperCase();
      if (key === "Enter" || answer === "Y") {
        this.board.answerDiscard(true);
        return true;
      }
      if (key === "Escape" || answer === "N") {
        this.board.answerDiscard(false);
        return true;
      }
    }
    if (this.discardArmed) {
      this.discardArmed = false;
      const pile = /^[0-9]$/.test(text) ? Number(text) : 0;
      if (isPile(pile)) {
        this.board.discard(pile);
        return true;
      }
      // Any other key only takes the prompt away (Escape included).
      if (key === "Escape") return true;
    }
    switch (key) {
      case "Enter":
        this.settle();
        this.board.submitWord();
        return true;
      case "Backspace":
        if (this.pending !== "") this.pending = this.pending.slice(0, -1);
        else this.board.clearLast();
        return true;
      case "Escape":
        this.pending = "";
        this.board.clearWord();
        return true;
      case "Delete":
        this.discardArmed = true;
        return true;
      case "Other":
        break;
    }
    if (text.length !== 1) return false;
    if (/[0-9]/.test(text)) {
      const pile = Number(text);
      if (!isPile(pile)) return false;
      this.settle();
      this.board.addPile(pile);
      return true;
    }
    const letter = text.toUpperCase();
    if (letter < "A" || letter > "Z") return false;
    if (!this.board.canPick()) return true;
    this.typeLetter(letter);
    return true;
  }
}
