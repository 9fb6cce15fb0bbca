import assert from "node:assert/strict";
import { test } from "node:test";
import { Cue, Game, Options, WAITING, addtolist } from "../src/game";

// A game at a table: what it sent, the cues it played and its chat as text.
function table(own = 2, options: Partial<Options> = {}) {
  const sent: string[] = [];
  const cues: Cue[] = [];
  const chatter: number[] = [];
  const opts: Options = { sounds: true, chatterSounds: true, warnDiscard: false, newTurnSound: false, chatColour: 0, ...options };
  const game = new Game("Ann", opts, {
    send: (m) => sent.push(m),
    cue: (c) => cues.push(c),
    chatter: (n) => chatter.push(n),
    log: () => {},
  });
  const chat = () => game.chat.map((l) => l.name + l.pieces.map((p) => ("text" in p ? p.text : `[${p.image}]`)).join(""));
  const feed = (...messages: string[]) => messages.forEach((m) => game.handleMessage(m));
  if (own > 0) feed(`CMD_sendlogininfo+${own}`, `CMD_newplayerinfo+${own}+Ann`);
  return { game, sent, cues, chatter, chat, feed };
}

// Faces of the eight piles: T Qu E S ING A R D.
const DEAL = "CMD_thecards+1+20+t+2+17+t+3+5+t+4+19+t+5+46+t+6+1+t+7+18+t+8+4+t";

function playing(own = 2, options: Partial<Options> = {}) {
  const t = table(own, options);
  t.feed("CMD_startgame+Bob+500+45+", DEAL, "CMD_startround+1+");
  t.sent.length = 0;
  t.cues.length = 0;
  return t;
}

test("logging in answers with the own number, version and name; seats and spies fill", () => {
  const t = table(0);
  t.feed("CMD_sendlogininfo+3", "CMD_existingplayers+1+Bob", "CMD_existingplayers+2+", "CMD_newplayerinfo+3+Ann", "CMD_newplayerinfo+7+Eve");
  assert.deepEqual(t.sent, ["CMD_logininfo+3+1.2.0+Ann"]);
  assert.deepEqual(t.game.seats.map((s) => s.name), ["Bob", "", "Ann", WAITING, WAITING, WAITING]);
  assert.deepEqual(t.game.spies, [{ conn: 7, name: "Eve" }]);
  assert.deepEqual(t.chat(), ["Bob is Connected.", " is Connected.", "You are Connected.", "Eve is Connected.", "Eve is spying."]);
  assert.equal(t.cues.filter((c) => c === "entered").length, 4);
  assert.equal(t.game.mayStartGames(), false);
  t.feed("CMD_playerdisconnected+1+Bob", "CMD_playerdisconnected+1+Bob", "CMD_playerdisconnected+8+Nobody", "CMD_playerdisconnected+7+Eve");
  assert.deepEqual(t.chat().slice(5), ["Bob disconnected.", "Eve has left."]);
  assert.equal(t.game.seat(1).name, WAITING);
  assert.deepEqual(t.game.spies, []);
});

test("only connection 1 may start games, with the dialog's values", () => {
  const first = table(1);
  assert.ok(first.game.startButtonsShown());
  first.game.startGame(800, 55);
  assert.deepEqual(first.sent.slice(1), ["CMD_startgame+Ann+800+55+"]);
  first.feed("CMD_startgame+Ann+800+55+");
  assert.equal(first.game.startButtonsShown(), false);
  const second = table(2);
  second.game.startGame(800, 55);
  assert.deepEqual(second.sent.slice(1), []);
});

test("game full and version answers", () => {
  const t = table(0);
  t.feed("CMD_full+");
  assert.equal(t.game.phase, "full");
  t.game.closed();
  assert.equal(t.game.phase, "full");
  const u = table(2);
  u.feed("CMD_wrongversion+", "CMD_havewrongversion+Zed");
  assert.deepEqual(u.chat().slice(1), ["You have a differnt version of the game then the host.", "Zed has a different version of the game then you."]);
});

test("a round: building, submitting and the host's answers", () => {
  const t = playing();
  assert.equal(t.game.theWord, "Find a word!");
  assert.equal(t.game.status, "Your Turn.");
  assert.equal(t.game.timerText(), "Time: 0:45");
  for (const pile of [1, 2, 3, 2]) t.game.addPile(pile);
  assert.equal(t.game.wordText, "TQuE");
  assert.deepEqual(t.game.wordPiles, [1, 2, 3]);
  t.game.clearLast();
  assert.equal(t.game.wordText, "TQu");
  assert.equal(t.game.inWord(3), false);
  t.game.addPile(3);
  t.game.submitWord();
  assert.deepEqual(t.sent, ["CMD_sendword+2+1+2+3"]);
  assert.equal(t.game.wordGate, 0);
  t.game.addPile(4);
  assert.deepEqual(t.game.wordPiles, [], "no cards while the word is with the host");
  t.feed("CMD_rejected+2+TQUE+1+20+t+2+17+t+3+5+t");
  assert.equal(t.game.theWord, "TQUE in not a valid word.");
  assert.equal(t.game.inWord(1), false);
  t.feed("CMD_theword+2+QUIT+65+50+2+9+t", "CMD_pscore+2+65+65+65+", "CMD_theword+1+CAT+10+0+1+1+t");
  assert.equal(t.game.theWord, "BONUS! You made: QUIT for 65 points. BONUS!");
  assert.equal(t.game.card(2), 9);
  assert.deepEqual([t.game.seat(2).total, t.game.seat(2).roundPoints, t.game.seat(2).last], [65, 65, "+65"]);
  t.feed("CMD_discard+2+60+60+5+3+t");
  assert.equal(t.game.seat(2).last, "-5");
  assert.equal(t.game.theWord, "You discarded a card and lost 5 points.");
  assert.deepEqual(t.cues, ["place", "place", "place", "place", "badword", "goodword", "shift"]);
});

test("discarding asks first when the warning is on", () => {
  const quiet = playing(2, { warnDiscard: false });
  quiet.game.discard(4);
  assert.deepEqual(quiet.sent, ["CMD_discard+2+4+"]);
  const asking = playing(2, { warnDiscard: true });
  asking.game.discard(4);
  assert.ok(asking.game.discardQuestion);
  asking.game.answerDiscard(false);
  asking.game.discard(5);
  asking.game.answerDiscard(true);
  assert.deepEqual(asking.sent, ["CMD_discard+2+5+"]);
  asking.game.addPile(6);
  asking.game.discard(6);
  assert.equal(asking.game.discardQuestion, false, "a pile in the word cannot be discarded");
});

test("the turn clock: red under 20, ticks at 20, 15 and 10..1, and nothing can be played at 0", () => {
  const t = playing();
  t.game.addPile(1);
  t.cues.length = 0;
  const ticks: number[] = [];
  while (t.game.timeLeft > 0) {
    t.game.tick();
    if (t.cues.includes("timer")) ticks.push(t.game.timeLeft);
    t.cues.length = 0;
    if (t.game.timeLeft === 19) assert.ok(t.game.clockUrgent());
    if (t.game.timeLeft === 20) assert.ok(!t.game.clockUrgent());
  }
  assert.deepEqual(ticks, [20, 15, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1]);
  assert.equal(t.game.timerText(), "Time: 0:00");
  t.game.submitWord();
  t.game.addPile(2);
  assert.deepEqual(t.sent, []);
  assert.deepEqual(t.game.wordPiles, []);
});

test("a spy sees the cards but plays nothing and hears no turn", () => {
  const t = playing(7);
  assert.equal(t.game.theWord, "");
  t.game.addPile(1);
  t.game.submitWord();
  t.game.sendChatterSound(1);
  assert.deepEqual(t.sent, []);
  assert.equal(t.game.pileFace(1), "T");
  t.feed("CMD_winner+Bob+");
  assert.equal(t.game.winnerText, "Bob has Won the Game!");
  assert.deepEqual(t.cues, ["winner"]);
});

test("round end lists every seat's words by points, and the winner", () => {
  const t = playing(1);
  t.feed("CMD_newplayerinfo+2+Bob");
  t.feed("CMD_endround+25+1+25+25+2+/10-ANT/25-STRING/10-CAT+2+-5+-5+1++3+0+0+0+");
  assert.equal(t.game.theWord, "You Scored 25 points this round.");
  assert.deepEqual(t.game.seat(1).words, ["This Turn: 25", " -10 for discards", "25: STRING", "10: ANT", "10: CAT"]);
  assert.equal(t.game.seat(1).heading, " [3] Ann");
  assert.deepEqual(t.game.seat(2).words, ["This Turn: -5"]);
  assert.equal(t.game.seat(2).heading, "Bob [0]");
  assert.ok(t.game.playedWordsShown);
  assert.equal(t.game.pauseText(), "Next round in 15 seconds.");
  assert.deepEqual(t.game.cards, [0, 0, 0, 0, 0, 0, 0, 0]);
  t.feed("CMD_tiegame+", "CMD_winner+Ann+");
  assert.equal(t.game.winnerText, "You have Won the Game!");
  assert.deepEqual(t.chat().slice(-2), ["Tie Game so playing another round.", "You have Won the Game!"]);
  assert.ok(t.game.startButtonsShown());
  assert.deepEqual(t.cues.slice(-3), ["roundover", "winner", "gameover"]);
});

test("joining a running game plays along only with more than 5 seconds left", () => {
  for (const [countdown, plays] of [[20, true], [9, false]] as Array<[number, boolean]>) {
    const t = table(3);
    t.feed(`CMD_gamestats+3+500+90+${countdown}+1+10+2+0+3+0+4+0+5+0+6+0`, DEAL);
    assert.equal(t.game.timeLeft, countdown - 4);
    assert.equal(t.game.canPick(), plays);
    assert.equal(t.game.seat(1).total, 10);
    assert.equal(t.game.playToScoreText, "Play to Score: 500");
  }
});

test("chat, actions, phrases and chatter sounds", () => {
  const t = table(2);
  t.game.sendChat("Hi+there|x");
  t.game.sendChat("/me waves");
  t.game.sendChat("/ME shouts");
  t.game.sendChat("/help");
  assert.ok(t.game.sendPhrase(1, 1000));
  assert.ok(!t.game.sendPhrase(2, 2500), "one phrase every 2 seconds");
  assert.ok(t.game.sendPhrase(2, 3000));
  t.game.sendChatterSound(13);
  assert.deepEqual(t.sent.slice(1), [
    "CMD_chat+2+Hi+there|x|clBlack", "CMD_action+2+waves|clBlack",
    "CMD_action+2+says: Good One!|clBlack", "CMD_action+2+says: Nice Try!|clBlack", "CMD_playasound+2+wave13+",
  ]);
  t.feed("CMD_playasound+2+wave13+");
  assert.deepEqual(t.chatter, [13]);
  t.game.options.chatterSounds = false;
  t.feed("CMD_playasound+2+wave1+");
  assert.deepEqual(t.chat().slice(-1), ["Ann: <Chatter Sound> Doh"]);
  t.feed("CMD_chat+2+Ann chats: <img src=x onerror=alert(1)>|clRed", "CMD_chat+x+junk", "CMD_pscore+1+bad+0+0+");
  assert.deepEqual(t.chat().slice(-1), ["Ann chats: <img src=x onerror=alert(1)>"]);
});

test("played words go in by points, earlier first among equals", () => {
  const list: string[] = [];
  for (const [word, points] of [["ANT", 10], ["STRING", 25], ["CAT", 10], ["QUIT", 65]] as Array<[string, number]>) addtolist(list, word, points);
  assert.deepEqual(list, ["65: QUIT", "25: STRING", "10: ANT", "10: CAT"]);
});
