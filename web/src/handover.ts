// The join screen's script (join.js) and the game's (app.js) load side by
// side: app.js puts its connect here, and a name sent before app.js had run
// waits here for it.

export interface JoinHandOver {
  connect?: (name: string) => void;
  waiting?: string;
}

export function joinHandOver(): JoinHandOver {
  const w = window as unknown as { gorseJoin?: JoinHandOver };
  return (w.gorseJoin ??= {});
}
