import assert from "node:assert/strict";
import { test } from "node:test";
import { describeTable, parseTables, preferredTable, tableFromQuery, TableInfo } from "../src/tables";

const t = (number: number, players: string[], state: TableInfo["state"] = "waiting", spies = 0, round = 0): TableInfo => ({
  number, players, freeSeats: 6 - players.length, spies, state, round,
});

test("a /tables answer is read, and what is not a table is left out", () => {
  const good = { number: 2, port: 7773, players: ["Ann", "<b>Bo</b>"], freeSeats: 4, spies: 1, state: "playing", round: 3 };
  assert.deepEqual(parseTables([good]), [t(2, ["Ann", "<b>Bo</b>"], "playing", 1, 3)]);
  for (const bad of [
    { ...good, number: 0 },
    { ...good, number: "2" },
    { ...good, players: [1] },
    { ...good, freeSeats: -1 },
    { ...good, state: "<script>" },
    { ...good, round: 1.5 },
    null,
    "table",
  ]) {
    assert.deepEqual(parseTables([bad, good]), [t(2, ["Ann", "<b>Bo</b>"], "playing", 1, 3)], JSON.stringify(bad));
  }
  assert.deepEqual(parseTables({ tables: [good] }), []);
  assert.deepEqual(parseTables(null), []);
});

test("a table is described by its players, seats, game and spies", () => {
  const cases: Array<[TableInfo, string]> = [
    [t(1, []), "nobody seated, 6 free seats, waiting for a game"],
    [t(2, ["A"], "playing", 1, 4), "1 player, 5 free seats, playing round 4, 1 spy"],
    [{ ...t(3, ["A", "B", "C", "D", "E", "F"], "over", 3), freeSeats: 0 }, "6 players, no free seat (join to watch), game over, 3 spies"],
    [{ ...t(4, ["A", "B", "C", "D", "E"]), freeSeats: 1 }, "5 players, 1 free seat, waiting for a game"],
  ];
  for (const [table, detail] of cases) assert.deepEqual(describeTable(table), { title: `Table ${table.number}`, detail });
});

test("the table offered first", () => {
  const full = { ...t(1, ["A", "B", "C", "D", "E", "F"]), freeSeats: 0 };
  const empty = t(2, []);
  const busy = t(3, ["A"], "playing", 0, 2);
  const waiting = t(4, ["B"]);
  const cases: Array<[TableInfo[], number | null, number | null]> = [
    [[], 3, null],
    [[full, empty, busy, waiting], null, 4], // people waiting for more players
    [[full, empty, busy], null, 2], // else the first free seat
    [[full, { ...full, number: 2 }], null, 1], // else the first, to watch
    [[full, empty, waiting], 1, 1], // the address's choice holds, full or not
    [[full, empty, waiting], 9, 4], // a table that is not there does not
  ];
  for (const [tables, asked, wanted] of cases) assert.equal(preferredTable(tables, asked), wanted);
});

test("the table asked for in the page's address", () => {
  const cases: Array<[string, number | null]> = [
    ["?table=3", 3], ["?x=1&table=12", 12], ["", null], ["?table=0", null], ["?table=-1", null],
    ["?table=2x", null], ["?table=99999", null], ["?table=", null],
  ];
  for (const [search, wanted] of cases) assert.equal(tableFromQuery(search), wanted, search);
});
