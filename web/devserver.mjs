// A development server for the browser client when no gorse-host with a web
// port is at hand: serves the built page from DIST and carries each
// WebSocket message on /play to a game host's TCP port and back (one binary
// message per game message, the 0xFF terminator added and taken off).
// Written with node's own modules only.
//   node web/devserver.mjs DIST HOST:PORT [LISTEN_PORT]
// Prints "listening on port N" once it listens (0, the default, takes any
// free port).
import { createHash } from "node:crypto";
import { readFile } from "node:fs/promises";
import { createServer } from "node:http";
import { connect } from "node:net";
import { extname, join, normalize } from "node:path";

const [dist, target, listenPort = "0"] = process.argv.slice(2);
if (!dist || !target) {
  console.error("usage: node devserver.mjs DIST HOST:PORT [LISTEN_PORT]");
  process.exit(2);
}
const [host, port] = [target.slice(0, target.lastIndexOf(":")), Number(target.slice(target.lastIndexOf(":") + 1))];
const types = { ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css", ".wav": "audio/wav", ".png": "image/png" };
const soundsDir = new URL("../resources/sounds/", import.meta.url).pathname;

const server = createServer(async (req, res) => {
  const path = normalize(decodeURIComponent(new URL(req.url, "http://x").pathname)).replace(/^(\.\.[/\\])+/, "");
  const file = path === "/" ? "index.html" : path.slice(1);
  const full = file.startsWith("sounds/") ? join(soundsDir, file.slice(7))
    : file === "favicon.png" ? new URL("../resources/icons/hicolor/32x32/apps/com.velmarsoftware.Gorse.png", import.meta.url).pathname
    : join(dist, file);
  try {
    const body = await readFile(full);
    res.writeHead(200, { "Content-Type": types[extname(full)] ?? "application/octet-stream",
                         "Content-Security-Policy": "default-src 'self'; img-src 'self' data:" });
    res.end(body);
  } catch {
    res.writeHead(404).end("not found");
  }
});

function frame(payload) {
  const n = payload.length;
  const head = n < 126 ? Buffer.from([0x82, n]) : n < 65536 ? Buffer.from([0x82, 126, n >> 8, n & 255]) : null;
  if (!head) {
    const big = Buffer.alloc(10);
    big[0] = 0x82;
    big[1] = 127;
    big.writeBigUInt64BE(BigInt(n), 2);
    return Buffer.concat([big, payload]);
  }
  return Buffer.concat([head, payload]);
}

server.on("upgrade", (req, socket) => {
  if (new URL(req.url, "http://x").pathname !== "/play") return socket.destroy();
  const accept = createHash("sha1").update(req.headers["sec-websocket-key"] + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11").digest("base64");
  socket.write(`HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Accept: ${accept}\r\n\r\n`);
  const tcp = connect(port, host);
  let fromTcp = Buffer.alloc(0);
  tcp.on("data", (data) => {
    fromTcp = Buffer.concat([fromTcp, data]);
    for (let end; (end = fromTcp.indexOf(0xff)) >= 0; fromTcp = fromTcp.subarray(end + 1)) {
      if (end > 0) socket.write(frame(fromTcp.subarray(0, end)));
    }
  });
  const close = () => {
    if (!socket.destroyed) socket.end(Buffer.from([0x88, 2, 0x03, 0xe8]));
    tcp.destroy();
  };
  tcp.on("close", close);
  tcp.on("error", close);
  let fromWs = Buffer.alloc(0);
  socket.on("data", (data) => {
    fromWs = Buffer.concat([fromWs, data]);
    for (;;) {
      if (fromWs.length < 2) return;
      const opcode = fromWs[0] & 15;
      let length = fromWs[1] & 127;
      let at = 2;
      if (length === 126) {
        if (fromWs.length < 4) return;
        length = fromWs.readUInt16BE(2);
        at = 4;
      } else if (length === 127) {
        if (fromWs.length < 10) return;
        length = Number(fromWs.readBigUInt64BE(2));
        at = 10;
      }
      if (fromWs.length < at + 4 + length) return;
      const mask = fromWs.subarray(at, at + 4);
      const payload = Buffer.from(fromWs.subarray(at + 4, at + 4 + length));
      for (let i = 0; i < payload.length; ++i) payload[i] ^= mask[i & 3];
      fromWs = fromWs.subarray(at + 4 + length);
      if (opcode === 8) return close();
      if (opcode === 1 || opcode === 2) tcp.write(Buffer.concat([payload, Buffer.from([0xff])]));
    }
  });
  socket.on("close", () => tcp.destroy());
  socket.on("error", () => tcp.destroy());
});

server.listen(Number(listenPort), "127.0.0.1", () => {
  console.log(`listening on port ${server.address().port}`);
});
