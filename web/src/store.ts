// The player's choices kept in the browser between visits, under "gorse.".

export const store = {
  get(key: string): string | null {
    try {
      return localStorage.getItem("gorse." + key);
    } catch {
      return null;
    }
  },
  set(key: string, value: string): void {
    try {
      localStorage.setItem("gorse." + key, value);
    } catch {
      // private browsing: the choice lasts for this page only
    }
  },
};
