// The join screen (join.js): a small script of its own, so that the screen
// is ready while the game's larger script (app.js) is still being fetched
// and compiled. A name sent before app.js has run waits in the hand-over
// until it has.

import { joinHandOver } from "./handover";
import { cleanPlayerName } from "./protocol";
import { store } from "./store";

function byId<T extends HTMLElement>(id: string): T {
  return document.getElementById(id) as T;
}

function join(event: Event): void {
  event.preventDefault();
  const button = byId<HTMLButtonElement>("join-button");
  if (button.disabled) return;
  const name = cleanPlayerName(byId<HTMLInputElement>("name").value);
  const error = byId("join-error");
  if (name === "") {
    error.textContent = "Please type your name.";
    byId("name").focus();
    return;
  }
  store.set("name", name);
  error.textContent = "Connecting\u2026";
  button.disabled = true;
  const handOver = joinHandOver();
  if (handOver.connect) handOver.connect(name);
  else handOver.waiting = name;
}

byId("join-form").addEventListener("submit", join);
// The name field has the focus by its autofocus: a focus() here would lay
// the page out before the browser's first rendering update.
byId<HTMLInputElement>("name").value = store.get("name") ?? "";
// For bench_webpage: the join screen is ready.
performance.mark("gorse-join-ready");
