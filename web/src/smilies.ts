// The eighteen chat smilies, drawn as small SVG pictures and shown through
// data: addresses (the page loads no picture files for them).

type Eyes = "dots" | "wink" | "happy" | "shades" | "closed" | "crosses" | "round";
type Mouth = "smile" | "grin" | "frown" | "flat" | "open" | "tongue" | "wavy";
interface Face {
  fill: string;
  eyes: Eyes;
  mouth: Mouth;
  tear?: boolean;
  brows?: boolean;
}

const FACES: Face[] = [
  { fill: "#ffd200", eyes: "dots", mouth: "smile" },
  { fill: "#ffd200", eyes: "dots", mouth: "grin" },
  { fill: "#ffd200", eyes: "wink", mouth: "smile" },
  { fill: "#ffd200", eyes: "dots", mouth: "frown" },
  { fill: "#ffd200", eyes: "round", mouth: "open" },
  { fill: "#ffd200", eyes: "dots", mouth: "tongue" },
  { fill: "#ffd200", eyes: "shades", mouth: "smile" },
  { fill: "#ffd200", eyes: "dots", mouth: "flat" },
  { fill: "#ff5a3c", eyes: "dots", mouth: "frown", brows: true },
  { fill: "#ffd200", eyes: "happy", mouth: "grin" },
  { fill: "#a8d86a", eyes: "dots", mouth: "wavy" },
  { fill: "#9cc8ff", eyes: "dots", mouth: "frown", tear: true },
  { fill: "#ff9ec4", eyes: "happy", mouth: "smile" },
  { fill: "#ffd200", eyes: "closed", mouth: "flat" },
  { fill: "#ffa040", eyes: "dots", mouth: "smile" },
  { fill: "#c0c0c0", eyes: "crosses", mouth: "flat" },
  { fill: "#b070e0", eyes: "dots", mouth: "grin", brows: true },
  { fill: "#ffffff", eyes: "round", mouth: "open" },
];

const LINE = 'fill="none" stroke="#000" stroke-width="1" stroke-linecap="round"';

function eyes(kind: Eyes): string {
  switch (kind) {
    case "dots":
      return '<ellipse cx="6" cy="6" rx="1.2" ry="1.5"/><ellipse cx="11" cy="6" rx="1.2" ry="1.5"/>';
    case "wink":
      return `<ellipse cx="6" cy="6" rx="1.2" ry="1.5"/><path d="M9.5 6h3" ${LINE}/>`;
    case "happy":
      return `<path d="M4.5 6.5a1.5 1.5 0 0 1 3 0M9.5 6.5a1.5 1.5 0 0 1 3 0" ${LINE}/>`;
    case "shades":
      return `<rect x="3.5" y="4.5" width="4.5" height="3" rx="1"/><rect x="9" y="4.5" width="4.5" height="3" rx="1"/><path d="M7.5 5.5h2" ${LINE}/>`;
    case "closed":
      return `<path d="M4.5 6.5h3M9.5 6.5h3" ${LINE}/>`;
    case "crosses":
      return `<path d="M4.5 4.5l3 3M4.5 7.5l3-3M9.5 4.5l3 3M9.5 7.5l3-3" ${LINE}/>`;
    case "round":
      return '<g fill="#fff" stroke="#000" stroke-width=".8"><ellipse cx="6" cy="6" rx="2" ry="2.2"/><ellipse cx="11" cy="6" rx="2" ry="2.2"/></g><circle cx="6" cy="6" r=".8"/><circle cx="11" cy="6" r=".8"/>';
  }
}

function mouth(kind: Mouth): string {
  switch (kind) {
    case "smile":
      return `<path d="M5 10.5q3.5 3.5 7 0" ${LINE}/>`;
    case "grin":
      return '<path d="M4.5 9.5h8a4 3.5 0 0 1-8 0z" fill="#801010" stroke="#000" stroke-width="1"/>';
    case "frown":
      return `<path d="M5.5 13q3-3 6 0" ${LINE}/>`;
    case "flat":
      return `<path d="M5.5 11.5h6" ${LINE}/>`;
    case "open":
      return '<ellipse cx="8.5" cy="11.5" rx="1.8" ry="2" fill="#801010" stroke="#000" stroke-width="1"/>';
    case "tongue":
      return `<path d="M7 11.5a2 2.5 0 0 0 4 0z" fill="#ff6070" stroke="#a02020" stroke-width=".8"/><path d="M5 10.5h7" ${LINE}/>`;
    case "wavy":
      return `<path d="M4.5 11.5c1.5-2 2.5 2 4 0s2.5 2 4 0" ${LINE}/>`;
  }
}

function svg(face: Face): string {
  let body = `<ellipse cx="8.5" cy="8" rx="7.5" ry="7.5" fill="${face.fill}" stroke="#504000" stroke-width="1"/>`;
  body += eyes(face.eyes) + mouth(face.mouth);
  if (face.brows) body += `<path d="M4 2.5l3.5 1.5M13 2.5l-3.5 1.5" ${LINE}/>`;
  if (face.tear) body += '<ellipse cx="4.5" cy="9.5" rx="1" ry="1.5" fill="#2060e0"/>';
  return `<svg xmlns="http://www.w3.org/2000/svg" width="17" height="16" viewBox="0 0 17 16">${body}</svg>`;
}

const cache: string[] = [];

// The data: address of smiley image 0..17 (image 0 for any other number).
export function smileyUrl(image: number): string {
  const index = image >= 0 && image < FACES.length ? image : 0;
  if (!cache[index]) cache[index] = "data:image/svg+xml," + encodeURIComponent(svg(FACES[index]));
  return cache[index];
}
