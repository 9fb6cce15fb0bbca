// The tables of a server that runs several: what /tables says of each,
// checked, described for the join screen, and the one to offer first.

export interface TableInfo {
  number: number;
  players: string[];
  freeSeats: number;
  spies: number;
  state: "waiting" | "playing" | "over";
  round: number;
}

const STATES = new Set(["waiting", "playing", "over"]);
const count = (v: unknown): v is number => typeof v === "number" && Number.isInteger(v) && v >= 0;

// The tables in a /tables answer; entries that are not tables are left out.
export function parseTables(json: unknown): TableInfo[] {
  if (!Array.isArray(json)) return [];
  const tables: TableInfo[] = [];
  for (const t of json) {
    if (typeof t !== "object" || t === null) continue;
    const o = t as Record<string, unknown>;
    if (!count(o.number) || o.number < 1 || !count(o.freeSeats) || !count(o.spies) || !count(o.round)) continue;
    if (!Array.isArray(o.players) || !o.players.every((p) => typeof p === "string")) continue;
    if (typeof o.state !== "string" || !STATES.has(o.state)) continue;
    tables.push({
      number: o.number,
      players: o.players as string[],
      freeSeats: o.freeSeats,
      spies: o.spies,
      state: o.state as TableInfo["state"],
      round: o.round,
    });
  }
  return tables;
}

const plural = (n: number, one: string, many: string) => `${n} ${n === 1 ? one : many}`;

// "Table 2", and a line of what goes on there.
export function describeTable(t: TableInfo): { title: string; detail: string } {
  const who = t.players.length === 0 ? "nobody seated" : plural(t.players.length, "player", "players");
  const seats = t.freeSeats === 0 ? "no free seat (join to watch)" : plural(t.freeSeats, "free seat", "free seats");
  const game = t.state === "playing" ? `playing round ${t.round}` : t.state === "over" ? "game over" : "waiting for a game";
  const parts = [who, seats, game];
  if (t.spies > 0) parts.push(plural(t.spies, "spy", "spies"));
  return { title: `Table ${t.number}`, detail: parts.join(", ") };
}

// The table to offer: the one the address asks for if it exists; else one
// where people wait for more players; else one with a free seat; else the
// first.
export function preferredTable(tables: TableInfo[], asked: number | null): number | null {
  if (tables.length === 0) return null;
  if (asked !== null && tables.some((t) => t.number === asked)) return asked;
  const waiting = tables.find((t) => t.state !== "playing" && t.players.length > 0 && t.freeSeats > 0);
  const free = tables.find((t) => t.freeSeats > 0);
  return (waiting ?? free ?? tables[0]).number;
}

// The table number in a page address's query ("?table=3"), or null.
export function tableFromQuery(search: string): number | null {
  const value = new URLSearchParams(search).get("table");
  if (value === null || !/^[1-9][0-9]{0,3}$/.test(value)) return null;
  return Number(value);
}
