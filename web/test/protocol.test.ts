import assert from "node:assert/strict";
import { test } from "node:test";
import {
  build, cardFace, cleanChatText, cleanPlayerName, cutToUtf8, decode, encode, FieldError, Fields,
  parseWordLog, PLAY_TO_SCORE, read, splitMessage, stepFrom, TIME_PER_TURN, utf8Length,
} from "../src/protocol";

test("fields are cut at each + from the left and the last runs to the end", () => {
  const f = new Fields("3+Ann chats: Hi+there|clBlack");
  assert.equal(f.number(), 3);
  assert.equal(f.rest(), "Ann chats: Hi+there|clBlack");
  assert.ok(f.atEnd());
  for (const bad of ["", "+5", "5x", "1.5", " 5", "2147483648", "--1"]) {
    assert.throws(() => new Fields(bad).number(), FieldError, bad);
  }
  assert.equal(new Fields("-5+").number(), -5);
  assert.deepEqual(splitMessage("CMD_tiegame+"), { name: "CMD_tiegame", rest: "" });
  assert.deepEqual(splitMessage("CMD_tiegame"), { name: "", rest: "" });
});

test("the readers take the host's messages apart", () => {
  assert.deepEqual(read.theWord("2+QUIT+65+50+3+12+t+5+1+f"), {
    seat: 2, word: "QUIT", points: 65, bonus: 50,
    cards: [{ pile: 3, card: 12, flag: true }, { pile: 5, card: 1, flag: false }],
  });
  assert.deepEqual(read.cards(""), []);
  assert.deepEqual(read.startGame("Ann+500+120+"), { name: "Ann", target: 500, seconds: 120 });
  assert.deepEqual(read.discard("3+-5+-5+4+20+t"), { seat: 3, total: -5, roundPoints: -5, card: { pile: 4, card: 20, flag: true } });
  const stats = read.gameStats("4+500+90+24+1+10+2+0+3+0+4+0+5+0+6+-5");
  assert.deepEqual(stats.totals, [10, 0, 0, 0, 0, -5]);
  assert.equal(stats.countdown, 24);
  const end = read.endRound("25+1+25+25+2+/25-STRING/10-ANT+2+0+0+0++3+0+0+0+");
  assert.equal(end.ownRoundPoints, 25);
  assert.deepEqual(end.seats.map((s) => [s.seat, s.discards, s.wordLog]), [[1, 2, "/25-STRING/10-ANT"], [2, 0, ""], [3, 0, ""]]);
  assert.throws(() => read.pscore("1+x+0+0+"), FieldError);
});

test("the builders write the client's messages", () => {
  const cases: Array<[string, string]> = [
    [build.logininfo(3, "Ann"), "CMD_logininfo+3+1.2.0+Ann"],
    [build.sendword(2, [3, 5, 1]), "CMD_sendword+2+3+5+1"],
    [build.discard(2, 4), "CMD_discard+2+4+"],
    [build.startgame("Ann", 20000, 45), "CMD_startgame+Ann+20000+45+"],
    [build.chat(3, "Hi+there", "clBlack"), "CMD_chat+3+Hi+there|clBlack"],
    [build.phrase(3, "Good One!", "clBlack"), "CMD_action+3+says: Good One!|clBlack"],
    [build.playasound(1, 13), "CMD_playasound+1+wave13+"],
  ];
  for (const [got, want] of cases) assert.equal(got, want);
});

test("text is UTF-8 both ways; bytes that are not become replacement characters", () => {
  assert.deepEqual(Array.from(encode("é+")), [0xc3, 0xa9, 0x2b]);
  assert.equal(decode(new Uint8Array([0x41, 0xe9, 0x42])), "A\ufffdB");
  assert.ok(!Array.from(encode("ÿ\u00ff\uffff")).includes(0xff));
  assert.equal(cutToUtf8("aé€😀", 5), "aé");
  assert.equal(cutToUtf8("aé€😀", 6), "aé€");
  assert.equal(utf8Length(cutToUtf8("😀😀", 5)), 4);
});

test("names lose + and control characters; chat texts stay within the host's limit", () => {
  assert.equal(cleanPlayerName("  A+n\tn  "), "Ann");
  assert.equal(cleanPlayerName("+++"), "");
  assert.equal(utf8Length(cleanPlayerName("é".repeat(80))), 100);
  assert.equal(cleanChatText("a\nb"), "a b");
  assert.equal(utf8Length(cleanChatText("x".repeat(1500))), 1000);
});

test("faces, word logs and the options' steps", () => {
  assert.deepEqual([1, 17, 26, 27, 46, 50, 0, 51].map(cardFace), ["A", "Qu", "Z", "CH", "ING", "UN", "", ""]);
  assert.deepEqual(parseWordLog("/25-STRING/10-ANT"), [{ points: 25, word: "STRING" }, { points: 10, word: "ANT" }]);
  assert.deepEqual(parseWordLog(""), []);
  assert.equal(parseWordLog("/x-AB"), null);
  const down: number[] = [];
  for (let v = 120; v > 45; ) down.push((v = stepFrom(TIME_PER_TURN, v, -1)));
  assert.deepEqual(down, [110, 100, 90, 80, 70, 60, 50, 45]);
  assert.equal(stepFrom(TIME_PER_TURN, 45, 1), 55);
  assert.equal(stepFrom(TIME_PER_TURN, 115, 1), 120);
  assert.equal(stepFrom(PLAY_TO_SCORE, 19950, 1), 20000);
  assert.equal(stepFrom(PLAY_TO_SCORE, 300, -1), 300);
});
