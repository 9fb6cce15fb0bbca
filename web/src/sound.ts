// Sound cues and chatter sounds: the program's own recordings, fetched the
// first time each is played. A new sound stops the one still playing.

export class SoundPlayer {
  private readonly cache = new Map<string, HTMLAudioElement>();
  private current: HTMLAudioElement | null = null;

  play(name: string): void {
    let audio = this.cache.get(name);
    if (!audio) {
      audio = new Audio(`sounds/${name}.wav`);
      audio.preload = "auto";
      this.cache.set(name, audio);
    }
    if (this.current && this.current !== audio) this.current.pause();
    this.current = audio;
    audio.currentTime = 0;
    // Browsers refuse sound until the player has used the page; a refused
    // cue is simply not heard.
    audio.play().catch(() => {});
  }
}
