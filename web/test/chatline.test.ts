import assert from "node:assert/strict";
import { test } from "node:test";
import { chatReceived, colourFromText, colourToText, contrastRatio, entryMessage, linkTarget, parseChatLine, readableColour } from "../src/chatline";

test("a relayed line: name part, words, smilies and links", () => {
  const line = chatReceived("3+Bob chats: hi :)#12there www.example.com/x ftp://x http://a.b/?q=<b>|$0000FF00")!;
  assert.equal(line.origin, 3);
  assert.equal(line.colour, 0xff00);
  assert.equal(line.name, "Bob chats:");
  assert.deepEqual(line.pieces, [
    { kind: "text", text: " hi " },
    { kind: "smiley", image: 2 },
    { kind: "text", text: "there " },
    { kind: "link", text: "www.example.com/x ", href: "http://www.example.com/x" },
    { kind: "text", text: "ftp://x " },
    { kind: "link", text: "http://a.b/?q=<b>", href: "http://a.b/?q=%3Cb%3E" },
  ]);
});

test("colours: names in any case, $ and hex digits, red when missing or unreadable", () => {
  assert.equal(colourFromText("clnavy"), 0x800000);
  assert.equal(colourFromText("$FF"), 0xff);
  assert.equal(colourFromText("$12345678G"), null);
  assert.equal(colourToText(0x800000), "clNavy");
  assert.equal(colourToText(0x123456), "$00123456");
  assert.equal(chatReceived("3+Bob chats: a|b|nonsense")!.colour, 0x0000ff);
  const noBar = chatReceived("3+Bob chats: hi")!;
  assert.equal(noBar.colour, 0x0000ff);
  const barred = chatReceived("3+Bob chats: a|b|clGreen")!;
  assert.equal(barred.colour, 0x008000);
  assert.deepEqual(barred.pieces, [{ kind: "text", text: " a|b" }]);
});

test("smiley codes outside 10..27 show image 0; an action's colon cuts the smiley", () => {
  const images = (body: string) => parseChatLine("1+" + body, 0)!.pieces.filter((p) => p.kind === "smiley").map((p) => (p as { image: number }).image);
  assert.deepEqual(images("x: :)#27 :)#99 :)#ab :)#1"), [17, 0, 0, 0]);
  const action = parseChatLine("4+Bob waves :)#12", 0)!;
  assert.equal(action.name, "Bob waves :");
  assert.deepEqual(action.pieces, [{ kind: "text", text: ")#12" }]);
  assert.equal(parseChatLine("10+x", 0), null);
  assert.equal(parseChatLine("nothing", 0), null);
});

test("links open only http and https addresses", () => {
  for (const [word, href] of [
    ["http://example.com ", "http://example.com/"],
    ["HTTPS://Example.com/a", "https://example.com/a"],
    ["www.example.com", "http://www.example.com/"],
    ["javascript:alert(1)//http://x", null],
    ["xhttp://evil", null],
    ["http://", null],
  ] as Array<[string, string | null]>) assert.equal(linkTarget(word), href, word);
});

test("the chat entry: chat, /me actions, other slash texts dropped", () => {
  assert.deepEqual(entryMessage("hello"), { kind: "chat", text: "hello" });
  assert.deepEqual(entryMessage("/me waves"), { kind: "action", text: "waves" });
  assert.deepEqual(entryMessage("/mewaves"), { kind: "action", text: "aves" });
  assert.equal(entryMessage("/ME waves"), null);
  assert.equal(entryMessage(""), null);
});

test("player colours are made readable on light and dark backgrounds", () => {
  for (const background of [0xf7f8f9, 0x151b17]) {
    for (const colour of [0x00ffff, 0xffffff, 0x000000, 0xff0000, 0xc0c0c0]) {
      assert.ok(contrastRatio(readableColour(colour, background), background) >= 4.5, `${colour} on ${background}`);
    }
  }
  assert.equal(readableColour(0x000080, 0xffffff), 0x000080, "a readable colour stays as it is");
});
